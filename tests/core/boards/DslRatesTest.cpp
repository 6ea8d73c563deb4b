#include <gtest/gtest.h>

#include "core/boards/DslRates.h"

namespace tervis::boards::dsl {
namespace {

TEST(DslRates, TdmMaximumAndLanFigure) {
    struct TCase {
        int LineRate;
        bool Remote;
        bool Self;
        int Tdm;
        int Maximum;
        std::optional<int> Lan;
    };
    const TCase cases[] = {
        {32, true, false, 30, 31, 1},  // management channel taken
        {32, false, false, 32, 32, 0},
        {32, true, true, 30, 30, 0},
        {89, true, true, 64, 64, 23},  // capped: neither channel reduces the TDM list
        {65, false, true, 64, 64, 0},
        {64, false, true, 63, 64, 0},  // at 64 the self-monitoring channel does not reduce the list
        {64, true, false, 64, 63, std::nullopt},
        {64, true, true, 62, 62, 0},  // 63 after the management channel is below the cap: S takes one more
        {63, false, true, 62, 62, 0},
        {3, true, true, 0, 1, 1},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TdmMaximum(c.LineRate, c.Remote, c.Self), c.Maximum) << c.LineRate;
        EXPECT_EQ(LanChannels(c.LineRate, c.Remote, c.Self, c.Tdm), c.Lan) << c.LineRate;
    }
    EXPECT_EQ(LanText(5), "5x64 = 320 кбит/с");
    EXPECT_EQ(LanText(1), "1x64 = 64 кбит/с");
    EXPECT_EQ(TdmIndexAfterRebuild(30, 31), 30);
    EXPECT_EQ(TdmIndexAfterRebuild(31, 31), 31);
    EXPECT_EQ(TdmIndexAfterRebuild(40, 31), 31);
    EXPECT_EQ(TdmIndexAfterRebuild(-1, 31), -1);
}

TEST(DslRates, TcPamButtonsOfThe4Dsl) {
    struct TCase {
        int Index;
        bool TcPam16;
        bool TcPam32;
        std::optional<bool> Forced;
    };
    const TCase cases[] = {
        {0, true, false, false},        {8, true, false, false}, {9, true, true, std::nullopt},
        {57, true, true, std::nullopt}, {58, false, true, true}, {86, false, true, true},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TcPamEnabling(c.Index).TcPam16, c.TcPam16) << c.Index;
        EXPECT_EQ(TcPamEnabling(c.Index).TcPam32, c.TcPam32) << c.Index;
        EXPECT_EQ(ForcedTcPam32(c.Index), c.Forced) << c.Index;
    }
}

TEST(DslRates, LineRateListsOfThe4DslV2) {
    const int highest[] = {38, 78, 118, 157, 178, 178, 38, 38};
    for (int code = 0; code < 8; ++code) {
        EXPECT_EQ(HighestLineRate(code), highest[code]) << code;
    }
    EXPECT_EQ(HighestLineRate(-1), 38);
    // TC-PAM 4 with 100x64 chosen: the last item, 38x64.
    EXPECT_EQ(LineRateIndexAfterRebuild(97, 0), 35);
    EXPECT_EQ(LineRateIndexAfterRebuild(10, 0), 10);
    // TC-PAM 4 offers 36 items: the remembered index 35 stays, 36 (the item count) becomes the last.
    EXPECT_EQ(LineRateIndexAfterRebuild(35, 0), 35);
    EXPECT_EQ(LineRateIndexAfterRebuild(36, 0), 35);
    EXPECT_EQ(LineRateIndexAfterRebuild(75, 1), 75);
    EXPECT_EQ(LineRateIndexAfterRebuild(76, 1), 75);
    EXPECT_EQ(LineRateIndexAfterRebuild(-1, 5), -1);
    // TC-PAM 32 always starts at 12 channels.
    EXPECT_EQ(LineRateIndexAfterRebuild(100, 3), 9);
    EXPECT_EQ(LineRateIndexAfterRebuild(0, 3), 9);
    EXPECT_EQ(LineRateIndexForCode(4, 3), 9);
    EXPECT_EQ(LineRateIndexForCode(20, 3), 20);
    EXPECT_EQ(LineRateIndexForCode(4, 2), 4);
    EXPECT_EQ(RateItemLatin(12), "12x64 кбит/с");
    EXPECT_EQ(RateItemCyrillic(12), "12х64 кбит/с");
}

}  // namespace
}  // namespace tervis::boards::dsl
