// The block an untouched OK gives back, board by board, and what the DSL dialogs show as they open.
#include <gtest/gtest.h>

#include "core/boards/UntouchedBlock.h"
#include "support/UntouchedBlocks.h"

namespace tervis::boards {
namespace {

TEST(UntouchedBlock, EveryBoardsRuleOfAnUntouchedOk) {
    for (const test::TUntouchedCase& c : test::kUntouchedBlocks) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(UntouchedBlock(c.Type, c.In), c.Out);
    }
    // Types without a dialog of their own give the block back as it came.
    const TBoardConfig block{1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(UntouchedBlock(25, block), block);
    EXPECT_EQ(UntouchedBlock(0, block), block);
}

// The DSL lists as the dialogs open: the 4DSLv2's line-rate list is built for the stored line code first,
// and the TDM list for the line rate shown, less the management and self-monitoring channels.
TEST(UntouchedBlock, DslListsAsTheDialogOpens) {
    struct TCase {
        const char* What;
        std::uint8_t Type;
        TBoardConfig Block;
        int Set;
        TDslLineShown Shown;
    };
    // clang-format off
    const TCase cases[] = {
        {"4DSL 32 channels, remote management", 24, {0, 0, 0, 0, 0x0001, 0x0020, 0, 0x001E, 0}, 0, {-1, 87, 29, 32, 30}},
        {"4DSL 32 channels, self-monitoring too", 24, {0, 0, 0, 0, 0x0005, 0x0020, 0, 0x001E, 0}, 0, {-1, 87, 29, 31, 30}},
        {"4DSL mode 3 (remote station) takes the management channel", 24, {0, 0, 0x0003, 0, 0, 0x0020, 0, 0x0020, 0}, 0, {-1, 87, 29, 32, -1}},
        {"4DSL mode 2 leaves all 32", 24, {0, 0, 0x0002, 0, 0, 0x0020, 0, 0x0020, 0}, 0, {-1, 87, 29, 33, 32}},
        {"4DSL rate above the list: no TDM list", 24, {0, 0, 0, 0, 0, 0x005A, 0, 0x0005, 0}, 0, {-1, 87, -1, 0, -1}},
        {"4DSLv2 TC-PAM 32 offers 3..157", 29, {0, 0, 0, 0x0003, 0, 0x009D, 0, 0x0040, 0}, 0, {3, 155, 154, 65, 64}},
        {"4DSLv2 TC-PAM 16 ends at 78", 29, {0, 0, 0, 0x0010, 0, 0x4F00, 0, 0x0000, 0}, 1, {1, 76, -1, 0, -1}},
        // The line code's rebuild selects 12 channels; the checked self-monitoring box rebuilds the TDM
        // list for them, and a stored rate without an item leaves it so.
        {"4DSLv2 TC-PAM 32, rate without an item", 29, {0, 0, 0, 0x0003, 0x0004, 0x00FF, 0, 0x000B, 0}, 0, {3, 155, -1, 12, 11}},
        {"4DSLv2 TC-PAM 32, rate without an item, no box", 29, {0, 0, 0, 0x0003, 0, 0x00FF, 0, 0, 0}, 0, {3, 155, -1, 0, -1}},
        {"4DSLv2 line code without an item", 29, {0, 0, 0, 0x000F, 0, 0x0020, 0, 0, 0}, 0, {-1, 36, 29, 33, 0}},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TDslLineShown shown = ShownDslLine(*FindBlockLayout(c.Type), c.Block, c.Set);
        EXPECT_EQ(shown.LineCode, c.Shown.LineCode);
        EXPECT_EQ(shown.LineRateCount, c.Shown.LineRateCount);
        EXPECT_EQ(shown.LineRate, c.Shown.LineRate);
        EXPECT_EQ(shown.TdmCount, c.Shown.TdmCount);
        EXPECT_EQ(shown.Tdm, c.Shown.Tdm);
    }
}

}  // namespace
}  // namespace tervis::boards
