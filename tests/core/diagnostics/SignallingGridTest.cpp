// The signalling-bit editor's layouts and cell arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/diagnostics/SignallingGrid.h"

namespace tervis {
namespace {

using namespace casgrid;

TEST(SignallingGrid, TitlesAndTabsPerBoardType) {
    struct TCase {
        std::uint8_t Type;
        int Slot;
        const char* Title;
        std::vector<std::string> Tabs;
    };
    const std::vector<std::string> four = {"компл.0", "компл.1", "компл.2", "компл.3"};
    const std::vector<std::string> dsl = {"компл.0 CAS#1", "компл.0 CAS#2", "компл.1 CAS#1", "компл.1 CAS#2"};
    const std::vector<std::string> dslAlt = {"компл.2 CAS#1", "компл.2 CAS#2", "компл.3 CAS#1",
                                             "компл.3 CAS#2"};
    const TCase cases[] = {
        {7, 2, "Настройка CAS 1E1, слот 2", {"комплект 0"}},
        {10, 3, "Настройка CAS 4E1, слот 3", four},
        {22, 3, "Настройка CAS 4ToP, слот 3", four},
        // One blank after the first comma, none after the second.
        {13, 1, "Настройка CAS 4I15, слот 1", {"комплекты 0, 1", "комплекты 2,3"}},
        {23, 9, "Настройка CAS 1DSL, слот 9", {"комплект 0"}},
        {24, 9, "Настройка CAS 4DSL, слот 9", dsl},
        {29, 9, "Настройка CAS 4DSL, слот 9", dsl},
        {33, 5, "Настройка CAS 4DSL, слот 4", dslAlt},
        {33, 0, "Настройка CAS 4DSL, слот 15", dslAlt},
    };
    for (const TCase& c : cases) {
        const auto layout = LayoutFor(c.Type, c.Slot);
        ASSERT_TRUE(layout) << int(c.Type);
        EXPECT_EQ(layout->Title, c.Title);
        EXPECT_EQ(layout->Tabs, c.Tabs) << c.Title;
    }
    EXPECT_EQ(LayoutFor(22, 0)->Code, 10) << "4ToP takes the 4E1 layout";
    EXPECT_FALSE(LayoutFor(1, 0));
    EXPECT_FALSE(LayoutFor(0, 0));
}

TEST(SignallingGrid, CellsMapToEntriesAndLabels) {
    EXPECT_EQ(EntryOf(2, 5, 1), 69);
    EXPECT_EQ(EntryOf(2, 5, 5), 85);
    EXPECT_EQ(EntryOf(0, 15, 4), 31);
    EXPECT_EQ(RowLabel(10, 1, false), "1");
    EXPECT_EQ(RowLabel(10, 15, true), "31");
    EXPECT_EQ(RowLabel(13, 15, true), "15") << "the 4И15 right half is a second set of 15 channels";
    EXPECT_FALSE(IsEditable(0, 3));
    EXPECT_FALSE(IsEditable(3, 3));
    EXPECT_FALSE(IsEditable(2, 0));
    EXPECT_TRUE(IsEditable(5, 15));
    EXPECT_EQ(CellText(0x50, 1), "0101");
    EXPECT_EQ(CellText(0x50, 2), "0000");
    EXPECT_EQ(CellText(0xD8, 5), "1000");
}

TEST(SignallingGrid, HalfRowsConvertOrRefuse) {
    EXPECT_EQ(JoinHalfRow("1101", "1000"), 0xD8);
    EXPECT_EQ(JoinHalfRow("11  ", "1   "), 0xC8) << "blanks count as zeros";
    EXPECT_FALSE(JoinHalfRow("1201", "1000"));
    EXPECT_FALSE(JoinHalfRow("1101", "10x0"));
}

TEST(SignallingGrid, ButtonsForAllKeepTheOtherNibble) {
    TSlotSignalling entries{};
    entries.fill(0x50);
    entries[0] = 0x3C;
    ApplyToAll(entries, 144);  // abcd = 1001
    EXPECT_EQ(entries[0], 0x9C);
    EXPECT_EQ(entries[16], 0x90) << "positions that are not shown change too";
    ApplyToAll(entries, 4);  // акт. = 0100
    EXPECT_EQ(entries[0], 0x94);
    EXPECT_EQ(entries[127], 0x94);
    ApplyToAll(entries, 0);  // акт. = 0000
    EXPECT_EQ(entries[5], 0x90);
}

TEST(SignallingGrid, SelectionSkipsTheChannelColumns) {
    EXPECT_EQ(SelectableColumn(3, 2), 4);
    EXPECT_EQ(SelectableColumn(3, 4), 2);
    EXPECT_EQ(SelectableColumn(0, 1), 1);
    EXPECT_EQ(SelectableColumn(5, 4), 5);
}

}  // namespace
}  // namespace tervis
