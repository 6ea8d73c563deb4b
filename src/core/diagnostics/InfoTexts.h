#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

// What the information windows show for values the device has not reported (yet, or any more).
inline const std::string kUnknownText = "???";

// The captions of the stream alarm flags, in the order of the record's flags, as the E1 window shows them.
inline constexpr std::array<std::string_view, kStreamAlarmFlags> kStreamFlagCaptions{
    "Потеря сигнала",
    "Потеря цикловой синхронизации:",
    "Потеря сверхцикловой синхронизации:",
    "Потеря цикловой синхронизации (удал.):",
    "Потеря сверхцикловой синхронизации (удал.):",
    "Ошибок > 10е-3 (40 за 10 с):",
    "Ошибок > 10е-6 (7 за 30 м):"};

std::string YesNo(std::uint8_t flag);  // "да" / "нет"
std::string RateText(double rate);     // "%.4f"

// The DSL line tables; unknown values as "??? (N)".
std::string DslStateText(unsigned state);
std::string DslCodingText(unsigned coding);
std::string DslConditionText(unsigned condition);
std::string DslReasonText(unsigned reason);
// The coding text of a line record: by the coding table in data mode, "unknown" otherwise.
std::string DslLineCodingText(const TDslLine& record);
// The window title a 4DSL information window takes from a line record; empty for other types.
std::string DslInfoTitle(const TDslLine& record);

// The three loss lines of a 4И15 stream: signal loss implies frame loss, frame loss multiframe loss.
struct TI15Losses {
    bool Signal = false;
    bool Frame = false;
    bool Multiframe = false;
};
TI15Losses I15Losses(const TStreamState& state);

// One row of a CAS grid: channel caption and four binary digits, for the first and (E1) the second half.
struct TCasRow {
    std::string Channel1;
    std::string Bits1;
    std::string Channel2;
    std::string Bits2;
};
constexpr int kCasRows = 15;
// E1 and DSL: channel r + 1 from the high nibble of byte r, channel r + 17 from its low nibble.
std::array<TCasRow, kCasRows> E1CasRows(const TCasSnapshot& snapshot);
// 4И15: channel r + 1 from the low nibble of byte r (Channel2/Bits2 empty).
std::array<TCasRow, kCasRows> I15CasRows(const TCasSnapshot& snapshot);

// The CPU board's status block, as its information window shows it.
struct TCpuInfo {
    std::string Kind;      // "ЦП86", "ЦП91", "???"
    std::string Version;   // "3.1"
    std::string Chassis;   // "16 п/л"
    std::string Load;      // "25/19"
    std::string Uptime;    // "(1) 01:01:01"
    std::string Restarts;  // "2"
    std::string Level;     // "-13.00"
    std::string SyncSlot;  // "3 - 4E1", "ЦП", "5"
    std::string SyncPort;  // "2", "-"
};
// block is the whole reply packet as the model keeps it; every value is "???" when the packet cannot hold
// the record.
TCpuInfo CpuInfo(const TCpuStatus& block);

// The remote power board's output.
struct TDpInfo {
    std::string Stabilisation;  // "нет", "U", "I", or the line state when switched off
    std::string Voltage;
    std::string Current;
    std::string Leakage;
    std::string BreakVoltage;  // "???" unless the line test measured it
};
TDpInfo DpInfo(const TDpState& state);

// Every record of one unit as text lines "label: value", for the command-line status. type is the
// board type code of the slot; port the unit.
std::vector<std::string> UnitInfoLines(const TMux& mux, int slot, int port, std::uint8_t type);
std::vector<std::string> CpuInfoLines(const TCpuStatus& block);

}  // namespace tervis
