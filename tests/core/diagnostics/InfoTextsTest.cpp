// The texts of the board information windows.
#include <gtest/gtest.h>

#include <utility>

#include "core/diagnostics/InfoTexts.h"

namespace tervis {
namespace {

// A CPU status packet as the link stores it: header with an address of `addressBytes`, then the reply.
TCpuStatus CpuBlock(std::uint8_t version, std::uint16_t load1, std::uint16_t load2, std::uint32_t uptime,
                    std::uint32_t level, std::uint8_t syncType = 32, std::uint8_t syncPlace = 0,
                    std::uint8_t addressBytes = 0) {
    TCpuStatus block{};
    block[2] = addressBytes;
    const std::size_t p = 3 + addressBytes;
    block[p] = 160;
    block[p + 1] = version;
    block[p + 2] = 16;
    block[p + 3] = syncType;
    block[p + 4] = syncPlace;
    block[p + 5] = static_cast<std::uint8_t>(load1 & 0xFF);
    block[p + 6] = static_cast<std::uint8_t>(load1 >> 8);
    block[p + 7] = static_cast<std::uint8_t>(load2 & 0xFF);
    block[p + 8] = static_cast<std::uint8_t>(load2 >> 8);
    for (int k = 0; k < 4; ++k) {
        block[p + 9 + k] = static_cast<std::uint8_t>(uptime >> (8 * k));
        block[p + 14 + k] = static_cast<std::uint8_t>(level >> (8 * k));
    }
    block[p + 13] = 7;
    return block;
}

TEST(InfoTexts, CpuBlock) {
    // kind 2, minor 1, major 3
    const TCpuInfo info = CpuInfo(CpuBlock(0x36, 250, 2, 90061, 4492800, 32, 0, 4));
    EXPECT_EQ(info.Kind, "ЦП91");
    EXPECT_EQ(info.Version, "3.1");
    EXPECT_EQ(info.Chassis, "16 п/л");
    EXPECT_EQ(info.Load, "2/12") << "2.5 and 12.5 round to the even neighbour";
    EXPECT_EQ(info.Uptime, "(1) 01:01:01");
    EXPECT_EQ(info.Restarts, "7");
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0x01000000, 0)).Uptime, "(194) 04:20:16") << "all four bytes count";
    EXPECT_EQ(info.Level, "0.00");
    EXPECT_EQ(info.SyncSlot, "ЦП");
    EXPECT_EQ(info.SyncPort, "-");

    EXPECT_EQ(CpuInfo(CpuBlock(0x01, 350, 40, 0, 0)).Kind, "ЦП86");
    EXPECT_EQ(CpuInfo(CpuBlock(0x01, 350, 40, 0, 0)).Load, "4/250");
    EXPECT_EQ(CpuInfo(CpuBlock(0x00, 0, 0, 0, 0)).Kind, "???");
    EXPECT_EQ(CpuInfo(CpuBlock(0x00, 0, 0, 0, 0)).Uptime, "(0) 00:00:00");
    // Two decimals, as the cross-connect field shows it; below 2400 counts as 2400.
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0, 0)).Level, "-65.45");
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0, 2399)).Level, "-65.45");
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0, 2401)).Level, "-65.44");
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0, 449280)).Level, "-20.00");
    // An address so long that the record lies past the stored packet: nothing is known, not -65.45.
    TCpuStatus tooLong{};
    tooLong[2] = 236;
    EXPECT_EQ(CpuInfo(tooLong).Level, "???");
    EXPECT_EQ(CpuInfo(tooLong).Uptime, "???");
    EXPECT_EQ(CpuInfo(CpuBlock(0, 0, 0, 0, 4492800, 32, 0, 235)).Level, "0.00");

    struct TSync {
        std::uint8_t Type;
        std::uint8_t Place;
        const char* Slot;
        const char* Port;
    };
    for (const TSync& s : {TSync{7, 0x05, "5 - 1E1", "-"}, TSync{10, 0x23, "3 - 4E1", "2"},
                           TSync{32, 0x00, "ЦП", "-"}, TSync{24, 0x19, "9", "1"}}) {
        const TCpuInfo sync = CpuInfo(CpuBlock(0, 0, 0, 0, 0, s.Type, s.Place));
        EXPECT_EQ(sync.SyncSlot, s.Slot);
        EXPECT_EQ(sync.SyncPort, s.Port);
    }
}

// The DSL tables, every named value, written out as the device documents them.
TEST(InfoTexts, DslNamesEveryValue) {
    const std::pair<const char*, unsigned> reasons[] = {
        {"-", 0},
        {"ERR_ANNEX_MIS", 1},
        {"ERR_MODE_MIS", 2},
        {"ERR_SPAR2_MIS", 3},
        {"ERR_TPS_TC_CLOCK_MIS", 4},
        {"ERR_TPS_TC_CHANNEL_MIS", 5},
        {"ERR_DATA_RATES_MIS", 6},
        {"ERR_SUB_RATES_MIS", 7},
        {"ERR_DUAL_TPSTC_MIS", 8},
        {"ERR_LP_PARA_DN_MIS", 16},
        {"ERR_LP_PARA_UP_MIS", 32},
        {"ERR_LP_TIME_MIS", 48},
        {"ERR_LP_ECHO_DN_MIS", 64},
        {"ERR_LP_PARA_DN_LACK", 80},
        {"ERR_LP_PARA_UP_LACK", 96},
        {"ERR_LP_PARA_DNUP_LACK", 112},
        {"PROBE_NOT_DETECTED", 144},
        {"PROBE_END_NOT_DETECTED", 145},
        {"CR_NOT_DETECTED", 163},
        {"NOT_CONVERGED_ON_SR", 166},
        {"TR_NOT_DETECTED", 169},
        {"DSL_FRAMING_NOT_SYNCHRONIZED", 172},
        {"NOT_CONVERGED_ON_SC", 179},
        {"TC_NOT_DETECTED", 182},
        {"FC_NOT_DETECTED", 185},
        {"DATA_EXCEPTION", 192},
        {"ERR_MS_NO_MODE", 255},
        {"??? (9)", 9},
        {"??? (254)", 254},
    };
    for (const auto& [text, value] : reasons) {
        EXPECT_EQ(DslReasonText(value), text) << value;
    }
    const char* const conditions[] = {"??? (0)",
                                      "GHS_TRANSFER",
                                      "LP_START",
                                      "GHS_NO_COMMON",
                                      "EXCEPTION",
                                      "SINGLE_PAIR_DET",
                                      "GHS_STARTUP",
                                      "GHS_SILENCE",
                                      "GHS_RSP_FAILURE",
                                      "GHS_IDLE",
                                      "GHS_WAIT_STU_R",
                                      "GHS_WAIT_STU_C",
                                      "GHS_LINK_INITIATION",
                                      "GHS_CAP_AVAILABLE",
                                      "GHS_30SEC_TIMEOUT",
                                      "FOUR_WIRE_DET",
                                      "LP_EXCEPTION",
                                      "M_PAIR_DET",
                                      "M_PAIR_COUNT_MIS",
                                      "??? (19)"};
    for (unsigned value = 0; value < std::size(conditions); ++value) {
        EXPECT_EQ(DslConditionText(value), conditions[value]);
    }
    const char* const states[] = {"MAIN_INIT", "MAIN_PRE_ACT",   "MAIN_CORE_ACT", "MAIN_DATA_MODE",
                                  "??? (4)",   "MAIN_EXCEPTION", "MAIN_TEST",     "??? (7)"};
    for (unsigned value = 0; value < std::size(states); ++value) {
        EXPECT_EQ(DslStateText(value), states[value]);
    }
    const char* const codings[] = {"TC-PAM4",  "TC-PAM8",   "TC-PAM16", "TC-PAM32",
                                   "TC-PAM64", "TC-PAM128", "??? (6)"};
    for (unsigned value = 0; value < std::size(codings); ++value) {
        EXPECT_EQ(DslCodingText(value), codings[value]);
    }
}

TEST(InfoTexts, DslTables) {
    EXPECT_EQ(DslStateText(3), "MAIN_DATA_MODE");
    EXPECT_EQ(DslStateText(4), "??? (4)");
    EXPECT_EQ(DslCodingText(5), "TC-PAM128");
    EXPECT_EQ(DslCodingText(6), "??? (6)");
    EXPECT_EQ(DslConditionText(0), "??? (0)");
    EXPECT_EQ(DslConditionText(18), "M_PAIR_COUNT_MIS");
    EXPECT_EQ(DslReasonText(0), "-");
    EXPECT_EQ(DslReasonText(172), "DSL_FRAMING_NOT_SYNCHRONIZED");
    EXPECT_EQ(DslReasonText(255), "ERR_MS_NO_MODE");
    EXPECT_EQ(DslReasonText(9), "??? (9)");

    TDslLine line{};
    line[0] = 2;
    line[3] = 3;
    EXPECT_EQ(DslLineCodingText(line), "unknown") << "the coding means something in data mode only";
    line[0] = 3;
    EXPECT_EQ(DslLineCodingText(line), "TC-PAM32");
    line[4] = 1;
    EXPECT_EQ(DslLineCodingText(line), "??? (259)");
    line[20] = 29;
    EXPECT_EQ(DslInfoTitle(line), "Информация о потоке DSL [4DSLv2]");
    line[20] = 24;
    EXPECT_EQ(DslInfoTitle(line), "Информация о потоке DSL [4DSL]");
    line[20] = 0;
    EXPECT_EQ(DslInfoTitle(line), "");
}

TEST(InfoTexts, I15LossesImplyEachOther) {
    TStreamState state;
    state.Flags[0] = 1;
    EXPECT_TRUE(I15Losses(state).Frame);
    EXPECT_TRUE(I15Losses(state).Multiframe);
    state.Flags = {0, 1, 0};
    EXPECT_FALSE(I15Losses(state).Signal);
    EXPECT_TRUE(I15Losses(state).Multiframe);
    state.Flags = {0, 0, 1};
    EXPECT_FALSE(I15Losses(state).Frame);
    EXPECT_TRUE(I15Losses(state).Multiframe);
}

TEST(InfoTexts, CasRowsAndRemotePower) {
    TCasSnapshot snapshot{};
    snapshot[0] = 0x5A;
    snapshot[14] = 0xF1;
    const auto e1 = E1CasRows(snapshot);
    EXPECT_EQ(e1[0].Channel1, "к.1");
    EXPECT_EQ(e1[0].Bits1, "0101");
    EXPECT_EQ(e1[0].Channel2, "к.17");
    EXPECT_EQ(e1[0].Bits2, "1010");
    EXPECT_EQ(e1[14].Channel2, "к.31");
    EXPECT_EQ(e1[14].Bits1, "1111");
    const auto i15 = I15CasRows(snapshot);
    EXPECT_EQ(i15[14].Channel1, "к.15");
    EXPECT_EQ(i15[14].Bits1, "0001");
    EXPECT_TRUE(i15[14].Bits2.empty());

    TDpState dp;
    dp.Mode = 1;
    dp.Voltage = 230;
    dp.Current = 57.5;
    dp.Leakage = 0.3;
    dp.BreakVoltage = 150;
    TDpInfo info = DpInfo(dp);
    EXPECT_EQ(info.Stabilisation, "U");
    EXPECT_EQ(info.Voltage, "230");
    EXPECT_EQ(info.Current, "57.5");
    EXPECT_EQ(info.Leakage, "0.3");
    EXPECT_EQ(info.BreakVoltage, "???") << "measured by the line test only";
    dp.BreakValid = 1;
    EXPECT_EQ(DpInfo(dp).BreakVoltage, "150");
    dp.Mode = 3;
    const char* const kLine[] = {"отключено", "утечка!", "обрыв!", "КЗ!", "???"};
    for (std::uint8_t state = 0; state < 5; ++state) {
        dp.LineState = state;
        EXPECT_EQ(DpInfo(dp).Stabilisation, kLine[state]);
    }
}

}  // namespace
}  // namespace tervis
