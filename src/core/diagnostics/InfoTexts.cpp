#include "core/diagnostics/InfoTexts.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/base/Format.h"
#include "core/link/StatusDecoding.h"
#include "core/model/BoardTypes.h"

namespace tervis {

// One-character texts are assigned as std::string objects ("-"s): GCC 12 at -O3 warns falsely (-Wrestrict,
// a known false positive) inside std::string's assignment from a character pointer.
using namespace std::string_literals;

namespace {

std::string Lookup(const std::map<unsigned, const char*>& table, unsigned value) {
    const auto it = table.find(value);
    return it != table.end() ? std::string(it->second) : Format("??? (%u)", value);
}

// Percent of a load value, rounded to the nearest, halves to even.
unsigned LoadPercent(std::uint32_t value, double full) {
    return static_cast<unsigned>(std::nearbyint(value * 100.0 / full));
}

}  // namespace

std::string YesNo(std::uint8_t flag) {
    return flag != 0 ? "да" : "нет";
}

std::string RateText(double rate) {
    return Format("%.4f", rate);
}

std::string DslStateText(unsigned state) {
    static const std::map<unsigned, const char*> kTable{{0, "MAIN_INIT"},      {1, "MAIN_PRE_ACT"},
                                                        {2, "MAIN_CORE_ACT"},  {3, "MAIN_DATA_MODE"},
                                                        {5, "MAIN_EXCEPTION"}, {6, "MAIN_TEST"}};
    return Lookup(kTable, state);
}

std::string DslCodingText(unsigned coding) {
    static const std::map<unsigned, const char*> kTable{{0, "TC-PAM4"},  {1, "TC-PAM8"},  {2, "TC-PAM16"},
                                                        {3, "TC-PAM32"}, {4, "TC-PAM64"}, {5, "TC-PAM128"}};
    return Lookup(kTable, coding);
}

std::string DslConditionText(unsigned condition) {
    static const std::map<unsigned, const char*> kTable{
        {1, "GHS_TRANSFER"},       {2, "LP_START"},           {3, "GHS_NO_COMMON"},
        {4, "EXCEPTION"},          {5, "SINGLE_PAIR_DET"},    {6, "GHS_STARTUP"},
        {7, "GHS_SILENCE"},        {8, "GHS_RSP_FAILURE"},    {9, "GHS_IDLE"},
        {10, "GHS_WAIT_STU_R"},    {11, "GHS_WAIT_STU_C"},    {12, "GHS_LINK_INITIATION"},
        {13, "GHS_CAP_AVAILABLE"}, {14, "GHS_30SEC_TIMEOUT"}, {15, "FOUR_WIRE_DET"},
        {16, "LP_EXCEPTION"},      {17, "M_PAIR_DET"},        {18, "M_PAIR_COUNT_MIS"}};
    return Lookup(kTable, condition);
}

std::string DslReasonText(unsigned reason) {
    static const std::map<unsigned, const char*> kTable{{0, "-"},
                                                        {1, "ERR_ANNEX_MIS"},
                                                        {2, "ERR_MODE_MIS"},
                                                        {3, "ERR_SPAR2_MIS"},
                                                        {4, "ERR_TPS_TC_CLOCK_MIS"},
                                                        {5, "ERR_TPS_TC_CHANNEL_MIS"},
                                                        {6, "ERR_DATA_RATES_MIS"},
                                                        {7, "ERR_SUB_RATES_MIS"},
                                                        {8, "ERR_DUAL_TPSTC_MIS"},
                                                        {16, "ERR_LP_PARA_DN_MIS"},
                                                        {32, "ERR_LP_PARA_UP_MIS"},
                                                        {48, "ERR_LP_TIME_MIS"},
                                                        {64, "ERR_LP_ECHO_DN_MIS"},
                                                        {80, "ERR_LP_PARA_DN_LACK"},
                                                        {96, "ERR_LP_PARA_UP_LACK"},
                                                        {112, "ERR_LP_PARA_DNUP_LACK"},
                                                        {144, "PROBE_NOT_DETECTED"},
                                                        {145, "PROBE_END_NOT_DETECTED"},
                                                        {163, "CR_NOT_DETECTED"},
                                                        {166, "NOT_CONVERGED_ON_SR"},
                                                        {169, "TR_NOT_DETECTED"},
                                                        {172, "DSL_FRAMING_NOT_SYNCHRONIZED"},
                                                        {179, "NOT_CONVERGED_ON_SC"},
                                                        {182, "TC_NOT_DETECTED"},
                                                        {185, "FC_NOT_DETECTED"},
                                                        {192, "DATA_EXCEPTION"},
                                                        {255, "ERR_MS_NO_MODE"}};
    return Lookup(kTable, reason);
}

std::string DslLineCodingText(const TDslLine& record) {
    if (record[0] != 3) {
        return "unknown";
    }
    const std::uint32_t coding =
        static_cast<std::uint32_t>(record[3]) | (static_cast<std::uint32_t>(record[4]) << 8) |
        (static_cast<std::uint32_t>(record[5]) << 16) | (static_cast<std::uint32_t>(record[6]) << 24);
    return DslCodingText(coding);
}

std::string DslInfoTitle(const TDslLine& record) {
    switch (record[20]) {
        case bt4DSLv2:
            return "Информация о потоке DSL [4DSLv2]";
        case bt4DSL:
            return "Информация о потоке DSL [4DSL]";
        case bt1DSL:
            return "Информация о потоке DSL [1DSL]";
        default:
            return {};
    }
}

TI15Losses I15Losses(const TStreamState& state) {
    TI15Losses losses;
    losses.Signal = state.Flags[0] != 0;
    losses.Frame = losses.Signal || state.Flags[1] != 0;
    losses.Multiframe = losses.Frame || state.Flags[2] != 0;
    return losses;
}

std::array<TCasRow, kCasRows> E1CasRows(const TCasSnapshot& snapshot) {
    std::array<TCasRow, kCasRows> rows;
    for (int r = 0; r < kCasRows; ++r) {
        const std::uint8_t byte = snapshot[static_cast<std::size_t>(r)];
        rows[static_cast<std::size_t>(r)] = {Format("к.%d", r + 1), IntToBin(byte >> 4, 4),
                                             Format("к.%d", r + 17), IntToBin(byte & 0x0F, 4)};
    }
    return rows;
}

std::array<TCasRow, kCasRows> I15CasRows(const TCasSnapshot& snapshot) {
    std::array<TCasRow, kCasRows> rows;
    for (int r = 0; r < kCasRows; ++r) {
        rows[static_cast<std::size_t>(r)] = {
            Format("к.%d", r + 1), IntToBin(snapshot[static_cast<std::size_t>(r)] & 0x0F, 4), {}, {}};
    }
    return rows;
}

TCpuInfo CpuInfo(const TCpuStatus& block) {
    TCpuInfo info;
    const std::optional<TCpuState> decoded = DecodeCpuStatus(block);
    if (!decoded) {
        // The record would lie past the stored packet: nothing of it is known.
        info.Kind = info.Version = info.Chassis = info.Load = info.Uptime = info.Restarts = info.Level =
            info.SyncSlot = info.SyncPort = kUnknownText;
        return info;
    }
    const TCpuState& state = *decoded;
    const std::uint8_t version = state.Version;
    switch (version & 3) {
        case 1:
            info.Kind = "ЦП86";
            break;
        case 2:
            info.Kind = "ЦП91";
            break;
        default:
            info.Kind = kUnknownText;
            break;
    }
    info.Version = Format("%d.%d", version >> 4, (version >> 2) & 3);
    info.Chassis = Format("%d п/л", state.Chassis);
    info.Load = Format("%u/%u", LoadPercent(state.Load125us, 10000.0), LoadPercent(state.Load2ms, 16.0));
    const std::uint32_t uptime = state.Uptime;
    info.Uptime =
        Format("(%u) %.2u:%.2u:%.2u", uptime / 86400, uptime / 3600 % 24, uptime / 60 % 60, uptime % 60);
    info.Restarts = Format("%u", static_cast<unsigned>(state.Restarts));
    info.Level = LevelText(CpuLevelDb(state.LevelCode));
    const int slot = state.SyncUnit & 0x0F;
    const int port = state.SyncUnit >> 4;
    switch (state.SyncType) {
        case bt1E1:
            info.SyncSlot = Format("%d - 1E1", slot);
            info.SyncPort = "-"s;
            break;
        case bt4E1:
            info.SyncSlot = Format("%d - 4E1", slot);
            info.SyncPort = Format("%d", port);
            break;
        case btCPU:
            info.SyncSlot = "ЦП";
            info.SyncPort = "-"s;
            break;
        default:
            info.SyncSlot = Format("%d", slot);
            info.SyncPort = Format("%d", port);
            break;
    }
    return info;
}

TDpInfo DpInfo(const TDpState& state) {
    // The stabilised quantity while the feed runs; otherwise the state of the line.
    static const char* const kModes[] = {"нет", "U", "I"};
    static const char* const kLineStates[] = {"отключено", "утечка!", "обрыв!", "КЗ!"};
    TDpInfo info;
    if (state.Mode < std::size(kModes)) {
        info.Stabilisation = kModes[state.Mode];
    } else {
        info.Stabilisation =
            state.LineState < std::size(kLineStates) ? kLineStates[state.LineState] : kUnknownText;
    }
    info.Voltage = Format("%d", static_cast<int>(state.Voltage));
    info.Current = Format("%.1f", state.Current);
    info.Leakage = Format("%.1f", state.Leakage);
    info.BreakVoltage =
        state.BreakValid != 0 ? Format("%d", static_cast<int>(state.BreakVoltage)) : kUnknownText;
    return info;
}

namespace {

void AddStream(std::vector<std::string>& lines, const TStreamState& s) {
    for (int i = 0; i < kStreamAlarmFlags; ++i) {
        std::string_view caption = kStreamFlagCaptions[static_cast<std::size_t>(i)];
        if (caption.ends_with(':')) {
            caption.remove_suffix(1);
        }
        lines.push_back(std::string(caption) + ": " + YesNo(s.Flags[static_cast<std::size_t>(i)]));
    }
    lines.push_back(Format("Проскальзываний: %u (пропусков %u, повторов %u), в секунду %s", s.SlipsTotal,
                           s.SlipsE, s.SlipsF, RateText(s.SlipRate).c_str()));
    lines.push_back(Format("Ошибок фрейма: %u, в секунду %s", s.FrameErrors, RateText(s.ErrorRate).c_str()));
    lines.push_back(Format("За период, с: %u", s.Period));
}

void AddCas(std::vector<std::string>& lines, const char* caption, const std::array<TCasRow, kCasRows>& rows) {
    std::string text = caption;
    for (const TCasRow& row : rows) {
        text += " " + row.Bits1;
    }
    if (!rows[0].Bits2.empty()) {
        for (const TCasRow& row : rows) {
            text += " " + row.Bits2;
        }
    }
    lines.push_back(text);
}

}  // namespace

std::vector<std::string> UnitInfoLines(const TMux& mux, int slot, int port, std::uint8_t type) {
    std::vector<std::string> lines;
    const TUnitInfo& info = mux.UnitInfo(slot, port);
    if (HasStreamState(type)) {
        AddStream(lines, info.Stream);
    }
    if (type == bt4C1I) {
        const TC1IState& s = info.C1I;
        lines.push_back("Потеря сигнала: " + YesNo(s.SignalLoss));
        lines.push_back("Удаленная авария: " + YesNo(s.RemoteAlarm));
        lines.push_back("Авария \"все единицы\": " + YesNo(s.AllOnes));
        lines.push_back("Авария \"все нули\": " + YesNo(s.AllZeros));
        lines.push_back(Format("Ошибок: %u, в секунду %s", s.Errors, RateText(s.ErrorRate).c_str()));
        lines.push_back(Format("За период, с: %u", s.Period));
    }
    if (type == bt1DSL) {
        const TDslLine& r = info.Dsl;
        lines.push_back(
            Format("Сигнал/шум, дБ: %d; качество сигнала, дБ: %d; затухание, дБ: %d; B/D каналов: "
                   "%d/%d",
                   r[9], r[10], r[11], r[13], r[14]));
        lines.push_back(
            Format("Code violations %d, error seconds %d, severely error seconds %d, LOSW seconds "
                   "%d, unavailable seconds %d",
                   r[15], r[16], r[17], r[18], r[19]));
    }
    if (type == bt4DSL || type == bt4DSLv2) {
        const TDslLine& r = info.Dsl;
        lines.push_back(Format("State %s, condition %s, reason %s, coding %s", DslStateText(r[0]).c_str(),
                               DslConditionText(r[2]).c_str(), DslReasonText(r[1]).c_str(),
                               DslLineCodingText(r).c_str()));
        lines.push_back(
            Format("Signal quality, дБ: %d; line loss, дБ: %d; B channels: %d", r[10], r[11], r[13]));
        lines.push_back(
            Format("Code violations %d, error seconds %d, severely error seconds %d, LOSW seconds "
                   "%d, unavailable seconds %d",
                   r[15], r[16], r[17], r[18], r[19]));
        lines.push_back("Потеря сверхцикла CAS#1: " + YesNo(r[7]) + "; CAS#2: " + YesNo(r[8]));
    }
    if (type == bt4I15) {
        AddCas(lines, "CAS, принято:", I15CasRows(info.CasReceived15));
        AddCas(lines, "CAS, передано:", I15CasRows(info.CasTransmitted15));
    } else if (type == bt1E1 || type == bt4E1 || type == bt4ToP || type == bt1DSL || type == bt4DSL ||
               type == bt4DSLv2) {
        AddCas(lines, "CAS, принято:", E1CasRows(info.CasReceived));
        AddCas(lines, "CAS, передано:", E1CasRows(info.CasTransmitted));
    }
    if (type == btDP) {
        const TDpInfo dp = DpInfo(info.Dp);
        lines.push_back("Стабилизация: " + dp.Stabilisation);
        lines.push_back("Выходное напряжение, В: " + dp.Voltage);
        lines.push_back("Выходной ток, мА: " + dp.Current);
        lines.push_back("Ток утечки, мА: " + dp.Leakage);
        lines.push_back("Напряжение обрыва, В: " + dp.BreakVoltage);
    }
    return lines;
}

std::vector<std::string> CpuInfoLines(const TCpuStatus& block) {
    const TCpuInfo info = CpuInfo(block);
    return {"Тип платы ЦП: " + info.Kind,
            "Версия программы ЦП: " + info.Version,
            "Каркас: " + info.Chassis,
            "Загрузка (125мкс/2мс, %): " + info.Load,
            "В работе: " + info.Uptime,
            "Перезапусков: " + info.Restarts,
            "Уровень (-65..+6), дБ: " + info.Level,
            "Синхронизация: слот " + info.SyncSlot + ", порт " + info.SyncPort};
}

}  // namespace tervis
