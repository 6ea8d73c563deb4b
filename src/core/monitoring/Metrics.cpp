#include "core/monitoring/Metrics.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "core/alarms/AlarmIndication.h"
#include "core/base/Format.h"
#include "core/diagnostics/InfoTexts.h"
#include "core/link/StatusDecoding.h"
#include "core/model/BoardTypes.h"

namespace tervis {

namespace {

constexpr unsigned kStateRecord = 1u << kInfoState;
constexpr unsigned kLineRecord = 1u << kInfoLine;

// The alarm bits of the stream flags, in the order of TStreamState::Flags: signal loss is 0x040, each
// further flag the next lower bit.
constexpr std::uint16_t kFirstStreamAlarmBit = 0x040;
constexpr std::uint16_t kHardwareErrorBit = 0x100;
constexpr std::uint16_t kBoardMissingBit = 0x080;

enum class TKind { Gauge, Counter };

struct TFamily {
    const char* Name;
    TKind Kind;
    const char* Help;
};

// Every family in the order of the page. The counters are the values the device counts up until they are
// reset; what it measures afresh each time is a gauge.
constexpr TFamily kFamilies[] = {
    {"tervis_link_up", TKind::Gauge, "1 when the multiplexer answered its last poll walk, 0 otherwise."},
    {"tervis_poll_duration_seconds", TKind::Gauge, "Duration of the last poll walk of the multiplexer."},
    {"tervis_last_poll_timestamp_seconds", TKind::Gauge, "When the last poll walk ended (Unix time)."},
    {"tervis_board_info", TKind::Gauge,
     "A board the multiplexer reports in the slot, with its type and state."},
    {"tervis_alarm_active", TKind::Gauge, "1 while the stream or board alarm is reported, 0 otherwise."},
    {"tervis_cpu_level_dbm", TKind::Gauge, "The level the CPU board's measurer reports, in dB."},
    {"tervis_stream_slips_total", TKind::Counter, "Slips of the stream in the counting period, by kind."},
    {"tervis_stream_frame_errors_total", TKind::Counter,
     "Frame errors of the stream in the counting period."},
    {"tervis_stream_slip_rate", TKind::Gauge, "Slips of the stream per second."},
    {"tervis_stream_error_rate", TKind::Gauge, "Frame errors of the stream per second."},
    {"tervis_stream_period_seconds", TKind::Gauge, "Length of the stream's counting period."},
    {"tervis_port_condition", TKind::Gauge, "1 while the line condition of the 4C1И port holds."},
    {"tervis_port_errors_total", TKind::Counter, "Errors of the 4C1И port in the counting period."},
    {"tervis_port_error_rate", TKind::Gauge, "Errors of the 4C1И port per second."},
    {"tervis_dsl_code_violations_total", TKind::Counter, "Code violations of the DSL line."},
    {"tervis_dsl_seconds_total", TKind::Counter,
     "Errored, severely errored, LOSW and unavailable seconds of the DSL line, by kind."},
    {"tervis_dsl_signal_quality_db", TKind::Gauge, "Signal quality of the DSL line."},
    {"tervis_dsl_line_loss_db", TKind::Gauge, "Loss of the DSL line."},
    {"tervis_dsl_snr_db", TKind::Gauge, "Signal to noise ratio of the 1DSL line."},
    {"tervis_power_voltage_volts", TKind::Gauge, "Output voltage of the remote power board."},
    {"tervis_power_current_amperes", TKind::Gauge, "Output current of the remote power board."},
    {"tervis_power_leakage_amperes", TKind::Gauge, "Leakage current of the remote power board."},
};

std::string Number(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// The samples of one page, gathered by family.
class TPage {
public:
    // labels: name, value pairs; the mux label comes first.
    void Add(const char* family, const TMuxSample& mux,
             std::initializer_list<std::pair<const char*, std::string>> labels, double value) {
        std::string line = family;
        line += "{mux=\"" + EscapeLabelValue(mux.Name) + "\"";
        for (const auto& [name, text] : labels) {
            line += Format(",%s=\"", name) + EscapeLabelValue(text) + "\"";
        }
        line += "} " + Number(value) + "\n";
        lines_[family] += line;
    }

    std::string Text() const {
        std::string text;
        for (const TFamily& family : kFamilies) {
            const auto found = lines_.find(family.Name);
            if (found == lines_.end()) {
                continue;
            }
            text += Format("# HELP %s %s\n# TYPE %s %s\n", family.Name, family.Help, family.Name,
                           family.Kind == TKind::Counter ? "counter" : "gauge");
            text += found->second;
        }
        return text;
    }

private:
    std::map<std::string, std::string> lines_;
};

std::string Decimal(int value) {
    return Format("%d", value);
}

void AddStreamAlarms(TPage& page, const TMuxSample& mux, const TUnitSample& unit) {
    const std::string slot = Decimal(unit.Request.Slot);
    const std::string stream = Decimal(unit.Request.Unit);
    for (const TAlarmKind& kind : AlarmKinds()) {
        if (kind.Bit > kFirstStreamAlarmBit) {
            continue;
        }
        int flag = 0;
        while ((kFirstStreamAlarmBit >> flag) != kind.Bit) {
            ++flag;
        }
        const auto reduced = static_cast<std::uint16_t>(kind.Bit | (unit.Request.Slot << 12));
        page.Add("tervis_alarm_active", mux,
                 {{"slot", slot}, {"stream", stream}, {"alarm", kind.Name}, {"text", AlarmText(reduced)}},
                 unit.Info.Stream.Flags[static_cast<std::size_t>(flag)] != 0 ? 1 : 0);
    }
}

// Board alarms come from the device's alarm word: the missing board's slot, or the hardware error's code,
// in bits 12..15.
void AddBoardAlarms(TPage& page, const TMuxSample& mux) {
    const int where = mux.AlarmWord >> 12;
    for (const TAlarmKind& kind : AlarmKinds()) {
        if (kind.Bit == kBoardMissingBit) {
            for (int slot = 0; slot < kSlotCount; ++slot) {
                const bool active = (mux.AlarmWord & kind.Bit) != 0 && where == slot;
                page.Add("tervis_alarm_active", mux,
                         {{"slot", Decimal(slot)},
                          {"alarm", kind.Name},
                          {"text", AlarmText(static_cast<std::uint16_t>(kind.Bit | (slot << 12)))}},
                         active ? 1 : 0);
            }
        } else if (kind.Bit == kHardwareErrorBit) {
            const bool active = (mux.AlarmWord & kind.Bit) != 0;
            page.Add("tervis_alarm_active", mux,
                     {{"slot", Decimal(kCpuSlot)},
                      {"alarm", kind.Name},
                      {"text", AlarmText(static_cast<std::uint16_t>(kind.Bit | (active ? where << 12 : 0)))}},
                     active ? 1 : 0);
        }
    }
}

void AddUnit(TPage& page, const TMuxSample& mux, const TUnitSample& unit) {
    const std::uint8_t type = unit.Request.Type;
    const std::string slot = Decimal(unit.Request.Slot);
    const std::string port = Decimal(unit.Request.Unit);
    if (HasStreamState(type)) {
        const TStreamState& s = unit.Info.Stream;
        AddStreamAlarms(page, mux, unit);
        page.Add("tervis_stream_slips_total", mux, {{"slot", slot}, {"stream", port}, {"kind", "skip"}},
                 s.SlipsE);
        page.Add("tervis_stream_slips_total", mux, {{"slot", slot}, {"stream", port}, {"kind", "repeat"}},
                 s.SlipsF);
        page.Add("tervis_stream_frame_errors_total", mux, {{"slot", slot}, {"stream", port}}, s.FrameErrors);
        page.Add("tervis_stream_slip_rate", mux, {{"slot", slot}, {"stream", port}}, s.SlipRate);
        page.Add("tervis_stream_error_rate", mux, {{"slot", slot}, {"stream", port}}, s.ErrorRate);
        page.Add("tervis_stream_period_seconds", mux, {{"slot", slot}, {"stream", port}}, s.Period);
    }
    if (type == bt4C1I) {
        const TC1IState& s = unit.Info.C1I;
        const std::pair<const char*, std::uint8_t> conditions[] = {{"signal_loss", s.SignalLoss},
                                                                   {"remote_alarm", s.RemoteAlarm},
                                                                   {"all_ones", s.AllOnes},
                                                                   {"all_zeros", s.AllZeros}};
        for (const auto& [name, flag] : conditions) {
            page.Add("tervis_port_condition", mux, {{"slot", slot}, {"port", port}, {"condition", name}},
                     flag != 0 ? 1 : 0);
        }
        page.Add("tervis_port_errors_total", mux, {{"slot", slot}, {"port", port}}, s.Errors);
        page.Add("tervis_port_error_rate", mux, {{"slot", slot}, {"port", port}}, s.ErrorRate);
    }
    if (type == bt1DSL || type == bt4DSL || type == bt4DSLv2) {
        const TDslLine& r = unit.Info.Dsl;
        page.Add("tervis_dsl_code_violations_total", mux, {{"slot", slot}, {"port", port}}, r[15]);
        const std::pair<const char*, std::size_t> counts[] = {
            {"errored", 16}, {"severely_errored", 17}, {"losw", 18}, {"unavailable", 19}};
        for (const auto& [name, index] : counts) {
            page.Add("tervis_dsl_seconds_total", mux, {{"slot", slot}, {"port", port}, {"kind", name}},
                     r[index]);
        }
        page.Add("tervis_dsl_signal_quality_db", mux, {{"slot", slot}, {"port", port}}, r[10]);
        page.Add("tervis_dsl_line_loss_db", mux, {{"slot", slot}, {"port", port}}, r[11]);
        if (type == bt1DSL) {
            page.Add("tervis_dsl_snr_db", mux, {{"slot", slot}, {"port", port}}, r[9]);
        }
    }
    if (type == btDP) {
        const TDpState& s = unit.Info.Dp;
        page.Add("tervis_power_voltage_volts", mux, {{"slot", slot}, {"port", port}}, s.Voltage);
        constexpr double kAmperesPerMilliampere = 0.001;
        page.Add("tervis_power_current_amperes", mux, {{"slot", slot}, {"port", port}},
                 s.Current * kAmperesPerMilliampere);
        page.Add("tervis_power_leakage_amperes", mux, {{"slot", slot}, {"port", port}},
                 s.Leakage * kAmperesPerMilliampere);
    }
}

}  // namespace

unsigned InformationRecords(std::uint8_t type) {
    if (type == btDP || type == bt4DSL || type == bt4DSLv2) {
        return kLineRecord;
    }
    if (type == bt1DSL) {
        return kStateRecord | kLineRecord;
    }
    if (HasStreamState(type) || type == bt4C1I) {
        return kStateRecord;
    }
    return 0;
}

int InformationUnits(std::uint8_t type) {
    return (type == bt1E1 || type == bt1DSL || type == btDP) ? 1 : 4;
}

std::vector<TInfoRequest> InformationPlan(const TSlotStatusWords& slots) {
    std::vector<TInfoRequest> plan;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto type = static_cast<std::uint8_t>(slots[static_cast<std::size_t>(slot)] & 0xFF);
        const unsigned records = HasInformationDialog(type) ? InformationRecords(type) : 0;
        if (records == 0) {
            continue;
        }
        for (int unit = 0; unit < InformationUnits(type); ++unit) {
            plan.push_back({slot, unit, type, records});
        }
    }
    return plan;
}

void SelectReportedUnit(TMux& mux, const TInfoRequest& request) {
    if (request.Slot != kCpuSlot) {
        mux.StoreSlotType(request.Slot, TSlotType{request.Type, 0, 0});
    }
    mux.SelectInfo(request.Slot, request.Unit, true);
}

TUnitSample CaptureUnit(const TMux& mux, const TInfoRequest& request) {
    return {request, mux.UnitInfo(request.Slot, request.Unit)};
}

std::string EscapeLabelValue(const std::string& value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string RenderMetrics(std::span<const TMuxSample> samples) {
    TPage page;
    for (const TMuxSample& mux : samples) {
        page.Add("tervis_link_up", mux, {}, mux.LinkUp ? 1 : 0);
        page.Add("tervis_poll_duration_seconds", mux, {}, mux.PollSeconds);
        page.Add("tervis_last_poll_timestamp_seconds", mux, {}, mux.FinishedAt);
        if (!mux.LinkUp) {
            continue;  // what an earlier walk saw is not reported as the device's state now
        }
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const std::uint32_t word = mux.Slots[static_cast<std::size_t>(slot)];
            const auto type = static_cast<std::uint8_t>(word & 0xFF);
            if (type != btNone) {
                page.Add("tervis_board_info", mux,
                         {{"slot", Decimal(slot)},
                          {"type", BoardTypeName(type)},
                          {"state", SlotStateName(static_cast<std::uint8_t>((word >> 8) & 0xFF))}},
                         1);
            }
        }
        AddBoardAlarms(page, mux);
        // A CPU record that lies past the stored reply gives no level rather than a made-up one.
        if (const std::optional<TCpuState> cpu = mux.Cpu ? DecodeCpuStatus(*mux.Cpu) : std::nullopt) {
            page.Add("tervis_cpu_level_dbm", mux, {}, CpuLevelDb(cpu->LevelCode));
        }
        for (const TUnitSample& unit : mux.Units) {
            AddUnit(page, mux, unit);
        }
    }
    return page.Text();
}

}  // namespace tervis
