#include "SimMultiplexer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "SimBoards.h"

namespace tervis::sim {

namespace {

// Configuration words travel high byte first; status counters low byte first.
void PutBigEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

std::uint16_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::uint8_t Saturated(std::uint8_t value, int add) {
    return static_cast<std::uint8_t>(std::min(255, value + add));
}

// An index of the device's tables: slot, unit, channel or endpoint.
void CheckIndex(const char* what, int value, int count) {
    if (value < 0 || value >= count) {
        throw std::out_of_range(what + (" " + std::to_string(value)));
    }
}

// The tables of the configuration memory that are reached one entry at a time: where each starts, how
// many entries it has and what an index into it is called when it is out of range.
struct TConfigTable {
    std::size_t Base;
    int Entries;
    const char* Index;
};
constexpr TConfigTable kSlotTypeTable{mem::kSlotType, kSlots, "slot"};
constexpr TConfigTable kLinkTable{mem::kLinks, kEndpoints, "endpoint"};
constexpr TConfigTable kSignallingTable{mem::kSignalling, kEndpoints, "endpoint"};
constexpr TConfigTable kSettingsTable{mem::kSettings, kSettingsWords, "settings word"};

// The word index of an entry; throws std::out_of_range for an index outside the table.
std::size_t ConfigAddress(const TConfigTable& table, int index) {
    CheckIndex(table.Index, index, table.Entries);
    return table.Base + static_cast<std::size_t>(index);
}

std::uint8_t LowByte(std::uint16_t word) {
    return static_cast<std::uint8_t>(word & 0xFF);
}

// Which part of the device answers a command: the configuration memory's reads and writes, the status
// polls (and trace and identifier), or the actions without a reply of their own.
enum class TCommandPart { kConfiguration, kStatus, kAction };

struct TCommandShape {
    cmd::TCommand Code;
    std::size_t Parameters;  // bytes after the code; a shorter request is not understood
    TCommandPart Part;
};

// Every command this device knows.
constexpr std::array<TCommandShape, 21> kCommands = {{
    {cmd::kWriteSlotType, 6, TCommandPart::kConfiguration},
    {cmd::kReadSlotType, 1, TCommandPart::kConfiguration},
    {cmd::kWriteEndpoint, 5, TCommandPart::kConfiguration},
    {cmd::kReadEndpoint, 2, TCommandPart::kConfiguration},
    {cmd::kWriteBlock, 1 + 2 * kBlockWords, TCommandPart::kConfiguration},
    {cmd::kReadBlock, 1, TCommandPart::kConfiguration},
    {cmd::kWriteSettings, kSettingsWords, TCommandPart::kConfiguration},
    {cmd::kReadSettings, 0, TCommandPart::kConfiguration},
    {cmd::kSlotLamps, 0, TCommandPart::kStatus},
    {cmd::kSlotTypes, 0, TCommandPart::kStatus},
    {cmd::kCasReceived, 1, TCommandPart::kStatus},
    {cmd::kCasTransmitted, 1, TCommandPart::kStatus},
    {cmd::kBoardStatus, 1, TCommandPart::kStatus},
    {cmd::kResetCounters, 1, TCommandPart::kAction},
    {cmd::kCpuStatus, 0, TCommandPart::kStatus},
    {cmd::kTrace, 2, TCommandPart::kStatus},
    {cmd::kAlarms, 0, TCommandPart::kStatus},
    {cmd::kWriteIdentifier, 1, TCommandPart::kStatus},
    {cmd::kDslStatus, 1, TCommandPart::kStatus},
    {cmd::kLineTest, 1, TCommandPart::kAction},
    {cmd::kRestart, 0, TCommandPart::kAction},
}};

const TCommandShape* FindCommand(std::uint8_t code) {
    const auto it =
        std::ranges::find_if(kCommands, [code](const TCommandShape& c) { return c.Code == code; });
    return it != kCommands.end() ? &*it : nullptr;
}

// Stream flag bit → the W9 bit that lets it be reported, and → its alarm word bit.
struct TFlagMap {
    std::uint8_t Flag;
    std::uint8_t MaskBit;
    std::uint16_t AlarmBit;
};
constexpr std::array<TFlagMap, 7> kFlagMap = {{
    {flag::kSignalLoss, 0x40, alarm::kStreamLoss},
    {flag::kFrameLoss, 0x20, alarm::kFrameLoss},
    {flag::kMultiframeLoss, 0x10, alarm::kMultiframeLoss},
    {flag::kRemoteFrameLoss, 0x08, alarm::kRemoteFrameLoss},
    {flag::kRemoteMultiframeLoss, 0x04, alarm::kRemoteMultiframeLoss},
    {flag::kErrors1e3, 0x02, alarm::kErrors1e3},
    {flag::kErrors1e6, 0x01, alarm::kErrors1e6},
}};
constexpr std::uint8_t kMaskBoardAbsent = 0x80;

// A 4C1И reports its conditions in its own bits; for the alarm poll they count as the nearest stream
// alarm: loss of signal, AIS or all zeros as loss of framing, the remote alarm as remote frame loss.
std::uint8_t C1IAsStreamFlags(std::uint8_t flags) {
    std::uint8_t result = 0;
    if (flags & c1iflag::kSignalLoss) {
        result |= flag::kSignalLoss;
    }
    if (flags & (c1iflag::kAllOnes | c1iflag::kAllZeros)) {
        result |= flag::kFrameLoss;
    }
    if (flags & c1iflag::kRemoteAlarm) {
        result |= flag::kRemoteFrameLoss;
    }
    return result;
}

constexpr std::uint8_t kRecordHeader4 = 0x30;  // record length 4 (header included) in the high nibble
constexpr std::uint8_t kTraceStopSlot = 255;
constexpr std::uint8_t kTraceStopChannel = 255;
constexpr std::size_t kMaxRecordBytes = 0xFF;    // the length byte of the record list
constexpr std::uint8_t kCpuCounterReset = 0xFF;  // slot 15, port 15: the CPU's restart counter
constexpr double kLevelReference = 4492800.0;    // measurer value of 0 dB
constexpr std::uint8_t kIdleCas = 0x5;
constexpr std::uint8_t kAisCas = 0xF;
constexpr std::uint32_t k24Bits = 0xFFFFFF;

}  // namespace

TSimMultiplexer::TSimMultiplexer() {
    ResetConfig();
    for (auto& hw : slots_) {
        ResetBoardState(hw);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Protocol

bool TSimMultiplexer::Listening() const {
    return !silent_ && nowMs_ >= deafUntilMs_;
}

std::optional<std::vector<std::uint8_t>> TSimMultiplexer::Execute(std::span<const std::uint8_t> command,
                                                                  bool confirmed, std::size_t replyRoom) {
    if (command.empty()) {
        return std::nullopt;
    }
    const std::uint8_t code = command[0];
    if (bareReply_[code]) {
        ++commandCounts_[code];
        return std::vector<std::uint8_t>{};
    }
    const TCommandShape* shape = FindCommand(code);
    if (shape == nullptr || command.size() < shape->Parameters + 1) {
        return std::nullopt;
    }
    ++commandCounts_[code];
    const auto p = command.subspan(1);
    switch (shape->Part) {
        case TCommandPart::kConfiguration:
            return ConfigurationCommand(code, p);
        case TCommandPart::kAction:
            ActionCommand(code, p);
            // These have no reply of their own and are normally sent unconfirmed; a confirmed one still
            // gets its echo, or the sender would retry it for ever.
            if (!confirmed) {
                return std::nullopt;
            }
            return std::vector<std::uint8_t>(command.begin(), command.begin() + shape->Parameters + 1);
        case TCommandPart::kStatus:
            break;
    }
    return StatusCommand(code, p, replyRoom);
}

std::optional<std::vector<std::uint8_t>> TSimMultiplexer::ConfigurationCommand(
    std::uint8_t code, std::span<const std::uint8_t> p) {
    // Writes answer with the record as stored, in the layout of the matching read, so the answer both
    // echoes the control byte and shows what the device now holds.
    switch (code) {
        case cmd::kWriteSlotType: {
            if (p[0] >= kSlots) {
                return std::nullopt;
            }
            config_[mem::kSlotType + p[0]] = p[1];
            config_[mem::kWordA + p[0]] = BigEndian16(p, 2);
            config_[mem::kWordB + p[0]] = BigEndian16(p, 4);
            return ReadSlotType(p[0]);
        }
        case cmd::kReadSlotType:
            return p[0] < kSlots ? std::optional(ReadSlotType(p[0])) : std::nullopt;
        case cmd::kWriteEndpoint: {
            const int endpoint = BigEndian16(p, 0);
            if (endpoint >= kEndpoints) {
                return std::nullopt;
            }
            config_[mem::kLinks + static_cast<std::size_t>(endpoint)] = BigEndian16(p, 2);
            config_[mem::kSignalling + static_cast<std::size_t>(endpoint)] = p[4];
            return ReadEndpoint(endpoint);
        }
        case cmd::kReadEndpoint: {
            const int endpoint = BigEndian16(p, 0);
            return endpoint < kEndpoints ? std::optional(ReadEndpoint(endpoint)) : std::nullopt;
        }
        case cmd::kWriteBlock: {
            if (p[0] >= kSlots) {
                return std::nullopt;
            }
            for (int k = 0; k < kBlockWords; ++k) {
                config_[mem::BlockWord(p[0], k)] = BigEndian16(p, 1 + 2 * static_cast<std::size_t>(k));
            }
            return ReadBlock(p[0]);
        }
        case cmd::kReadBlock:
            return p[0] < kSlots ? std::optional(ReadBlock(p[0])) : std::nullopt;
        case cmd::kWriteSettings:
            for (int k = 0; k < kSettingsWords; ++k) {
                config_[mem::kSettings + static_cast<std::size_t>(k)] = p[static_cast<std::size_t>(k)];
            }
            return ReadSettings();
        default:  // the settings read, the only one left
            return ReadSettings();
    }
}

std::optional<std::vector<std::uint8_t>> TSimMultiplexer::StatusCommand(std::uint8_t code,
                                                                        std::span<const std::uint8_t> p,
                                                                        std::size_t replyRoom) {
    switch (code) {
        case cmd::kSlotLamps:
            return SlotLampsReply();
        case cmd::kSlotTypes:
            return SlotTypesReply();
        case cmd::kCasReceived:
            return CasReply(reply::kCasReceived, p[0]);
        case cmd::kCasTransmitted:
            return CasReply(reply::kCasTransmitted, p[0]);
        case cmd::kBoardStatus:
            return BoardStatusReply(p[0]);
        case cmd::kCpuStatus:
            return CpuStatusReply();
        case cmd::kAlarms:
            return AlarmReply(replyRoom);
        case cmd::kDslStatus:
            return DslReply(p[0]);
        case cmd::kTrace:
            return TraceCommand(p[0], p[1]);
        case cmd::kWriteIdentifier:
            // Identifiers 1..19 only; anything else is refused without an answer.
            if (p[0] < 1 || p[0] > 19) {
                return std::nullopt;
            }
            identifier_ = p[0];
            return std::vector<std::uint8_t>{cmd::kWriteIdentifier, identifier_};
        default:
            return std::nullopt;
    }
}

void TSimMultiplexer::ActionCommand(std::uint8_t code, std::span<const std::uint8_t> p) {
    switch (code) {
        case cmd::kResetCounters:
            ResetCounters(p[0]);
            break;
        case cmd::kLineTest: {
            auto& hw = slots_[p[0] & 0x0F];
            if (hw.Installed == board::kDP) {
                hw.LineTested = true;
            }
            break;
        }
        default:  // restart
            Restart();
            break;
    }
}

std::vector<std::uint8_t> TSimMultiplexer::ReadSlotType(int slot) const {
    std::vector<std::uint8_t> out{reply::kSlotType, static_cast<std::uint8_t>(slot), ConfiguredBoard(slot)};
    PutBigEndian16(out, config_[mem::kWordA + static_cast<std::size_t>(slot)]);
    PutBigEndian16(out, config_[mem::kWordB + static_cast<std::size_t>(slot)]);
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::ReadEndpoint(int endpoint) const {
    std::vector<std::uint8_t> out{reply::kEndpoint};
    PutBigEndian16(out, static_cast<std::uint16_t>(endpoint));
    PutBigEndian16(out, Link(endpoint));
    out.push_back(Signalling(endpoint));
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::ReadBlock(int slot) const {
    std::vector<std::uint8_t> out{reply::kBlock, static_cast<std::uint8_t>(slot)};
    for (std::uint16_t word : Block(slot)) {
        PutBigEndian16(out, word);
    }
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::ReadSettings() const {
    std::vector<std::uint8_t> out{reply::kSettings};
    for (int k = 0; k < kSettingsWords; ++k) {
        out.push_back(Setting(k));
    }
    return out;
}

void TSimMultiplexer::AppendSlotStates(std::vector<std::uint8_t>& out) const {
    // Four slots a byte, two bits each, slot 4i + j in bits 2j and 2j + 1 of byte i.
    for (int i = 0; i < kSlots / 4; ++i) {
        std::uint8_t packed = 0;
        for (int j = 0; j < 4; ++j) {
            packed = static_cast<std::uint8_t>(packed | ((SlotState(4 * i + j) & 3) << (2 * j)));
        }
        out.push_back(packed);
    }
}

std::vector<std::uint8_t> TSimMultiplexer::SlotLampsReply() const {
    std::vector<std::uint8_t> out{reply::kSlotLamps};
    AppendSlotStates(out);
    for (int slot = 0; slot < kSlots; ++slot) {
        const auto lamps = Lamps(slot);
        out.push_back(lamps[0]);
        out.push_back(lamps[1]);
    }
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::SlotTypesReply() const {
    std::vector<std::uint8_t> out{reply::kSlotTypes};
    AppendSlotStates(out);
    for (const auto& hw : slots_) {
        out.push_back(hw.Installed);
    }
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::CasReply(std::uint8_t code, std::uint8_t unitByte) const {
    const int slot = unitByte & 0x0F;
    const int unit = unitByte >> 4;
    std::vector<std::uint8_t> out{code, unitByte, slots_[static_cast<std::size_t>(slot)].Installed, 0};
    const auto snapshot = unit < kUnits ? CasSnapshot(slot, unit, code == reply::kCasTransmitted)
                                        : std::array<std::uint8_t, 15>{};
    out.insert(out.end(), snapshot.begin(), snapshot.end());
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::BoardStatusReply(std::uint8_t unitByte) const {
    const int slot = unitByte & 0x0F;
    const int unit = unitByte >> 4;
    const auto& hw = slots_[static_cast<std::size_t>(slot)];
    std::vector<std::uint8_t> out{reply::kBoardStatus, unitByte, hw.Installed};
    const bool reporting = BoardWorking(slot) && unit < kUnits;
    if (reporting && ReportsStreamState(hw.Installed)) {
        const auto& c = hw.Counters[static_cast<std::size_t>(unit)];
        out.push_back(ReportedFlags(slot, unit));
        PutLittleEndian(out, c.Period & k24Bits, 3);
        PutLittleEndian(out, c.SlipsE & k24Bits, 3);
        PutLittleEndian(out, c.SlipsF & k24Bits, 3);
        PutLittleEndian(out, c.FrameErrors & k24Bits, 3);
    } else if (reporting && hw.Installed == board::k4C1I) {
        const auto& c = hw.Counters[static_cast<std::size_t>(unit)];
        out.push_back(ReportedFlags(slot, unit));
        PutLittleEndian(out, c.Period & k24Bits, 3);
        out.insert(out.end(), 6, 0);  // not used by this board
        PutLittleEndian(out, c.FrameErrors & k24Bits, 3);
    } else if (reporting && hw.Installed == board::kDP) {
        AppendPowerRecord(out, slot);
    }
    out.resize(16, 0);  // every board answers the same length; other boards report nothing in it
    return out;
}

void TSimMultiplexer::AppendPowerRecord(std::vector<std::uint8_t>& out, int slot) const {
    const auto& hw = slots_[static_cast<std::size_t>(slot)];
    // Remote power: the feed follows the board's block (W0 source and switches, W1..W5 limits) and the
    // line it feeds; protection switches the feed off unless the block forbids it.
    const TBlock block = Block(slot);
    const std::uint16_t w0 = block[0];
    const auto& line = hw.Power;
    std::uint8_t mode = 0;
    std::uint8_t lineState = 0;
    std::uint32_t volts = 0;
    std::uint32_t tenthsMa = 0;
    std::uint32_t leakTenths = 0;
    if (w0 & 0x80) {
        const std::uint32_t leakThreshold = block[5] >> 8;
        leakTenths = line.Condition == TPowerLine::kLeak
                         ? std::max<std::uint32_t>(line.LeakTenthsMa, leakThreshold + 5)
                         : line.LeakTenthsMa;
        if (line.Condition == TPowerLine::kLeak && !(w0 & 0x02)) {
            lineState = 1;
        } else if (line.Condition == TPowerLine::kBreak && !(w0 & 0x04)) {
            lineState = 2;
        } else if (line.Condition == TPowerLine::kShort && !(w0 & 0x08)) {
            lineState = 3;
        }
        if (lineState != 0) {
            mode = 3;  // switched off by protection; the line state says why
        } else {
            const bool open = line.Condition == TPowerLine::kBreak;
            const std::uint32_t ohms = line.Condition == TPowerLine::kShort ? 0 : line.LoadOhms;
            if (w0 & 0x01) {
                mode = 2;  // current source: drives the set current up to its maximum voltage
                const std::uint32_t setMa = block[2] & 0xFF;
                const std::uint32_t maxVolts = block[3];
                if (open) {
                    volts = maxVolts;
                } else {
                    volts = std::min(setMa * ohms / 1000, maxVolts);
                    tenthsMa = volts == maxVolts && ohms > 0 ? maxVolts * 10000 / ohms : setMa * 10;
                }
            } else {
                mode = 1;  // voltage source: holds its voltage up to its maximum current
                const std::uint32_t setVolts = 200 + (w0 >> 8);
                const std::uint32_t maxTenths = (block[1] & 0xFF) * 10u;
                volts = setVolts;
                if (!open) {
                    tenthsMa = ohms == 0 ? maxTenths : std::min(setVolts * 10000 / ohms, maxTenths);
                    if (ohms > 0 && tenthsMa == maxTenths) {
                        volts = tenthsMa * ohms / 10000;
                    }
                }
            }
        }
    }
    out.push_back(static_cast<std::uint8_t>(mode | (hw.LineTested ? 0x04 : 0) | (lineState << 4)));
    PutLittleEndian(out, volts, 2);
    out.push_back(0);
    PutLittleEndian(out, tenthsMa, 2);
    out.push_back(0);
    PutLittleEndian(out, leakTenths, 2);
    out.push_back(0);
    PutLittleEndian(out, line.BreakVoltage, 2);
    out.push_back(0);
}

std::vector<std::uint8_t> TSimMultiplexer::CpuStatusReply() const {
    const auto source = SyncSource();
    std::vector<std::uint8_t> out{
        reply::kCpuStatus,
        static_cast<std::uint8_t>((cpu_.Kind & 3) | ((cpu_.Minor & 3) << 2) | ((cpu_.Major & 0x0F) << 4)),
        cpu_.Chassis, source[0], source[1]};
    PutLittleEndian(out, cpu_.Load1, 2);
    PutLittleEndian(out, cpu_.Load2, 2);
    PutLittleEndian(out, uptimeSeconds_, 4);
    out.push_back(restartCount_);
    PutLittleEndian(out, MeasuredLevel(), 4);
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::AlarmReply(std::size_t room) const {
    if (alarmReply_ == TAlarmReply::kWord) {
        std::vector<std::uint8_t> out{reply::kAlarmWord};
        PutBigEndian16(out, AlarmWord());
        return out;
    }
    // The records are ordered most severe kind first, so cutting them to fit loses the least.
    const auto records = AlarmRecords();
    const std::size_t fit = room > 2 ? std::min<std::size_t>((room - 2) / 4, kMaxRecordBytes / 4) : 0;
    const std::size_t count = std::min(records.size(), fit);
    std::vector<std::uint8_t> out{reply::kAlarmRecords, static_cast<std::uint8_t>(count * 4)};
    for (std::size_t i = 0; i < count; ++i) {
        out.insert(out.end(), records[i].begin(), records[i].end());
    }
    return out;
}

std::vector<std::uint8_t> TSimMultiplexer::DslReply(std::uint8_t unitByte) const {
    const int slot = unitByte & 0x0F;
    const int unit = unitByte >> 4;
    const auto& hw = slots_[static_cast<std::size_t>(slot)];
    std::vector<std::uint8_t> out{reply::kDslStatus, unitByte, hw.Installed, 0};
    if (BoardWorking(slot) && IsDslBoard(hw.Installed) && unit < kUnits) {
        // A 4DSL unit is CAS × 4 + set; the line belongs to the set, the second CAS to unit set + 4.
        const int set = hw.Installed == board::k1DSL ? unit : unit & 3;
        TSimDslLine line = hw.Dsl[static_cast<std::size_t>(set)];
        const std::uint8_t flags = ReportedFlags(slot, set);
        if (flags & flag::kSignalLoss) {
            // No signal: the transceiver falls back to the handshake and sees nothing on the pair.
            line.State = 1;
            line.Condition = 7;
            line.SignalNoise = 0;
            line.Quality = 0;
            line.BChannels = 0;
            line.DChannels = 0;
        }
        if (hw.Installed == board::k1DSL) {
            out.insert(out.end(),
                       {line.SignalNoise, line.Quality, line.Attenuation, 0, line.BChannels, line.DChannels});
        } else {
            const bool cas1Lost = (flags & flag::kMultiframeLoss) != 0;
            const bool cas2Lost = (ReportedFlags(slot, set + 4) & flag::kMultiframeLoss) != 0;
            const bool pam32 = hw.Installed == board::k4DSL && line.Coding == 3;
            out.push_back(static_cast<std::uint8_t>((line.State & 0x0F) | (cas1Lost ? 0x10 : 0) |
                                                    (cas2Lost ? 0x20 : 0) | (pam32 ? 0x40 : 0)));
            out.insert(out.end(),
                       {line.Quality, line.Attenuation, line.BChannels, line.Condition, line.Reason});
        }
        const TSimDslCounters& c = line.Counters;
        out.insert(out.end(), {c.CodeViolations, c.ErroredSeconds, c.SeverelyErroredSeconds, c.LoswSeconds,
                               c.UnavailableSeconds});
        if (hw.Installed == board::k4DSLv2) {
            out.push_back(line.Coding);
        }
    }
    out.resize(16, 0);
    return out;
}

std::optional<std::vector<std::uint8_t>> TSimMultiplexer::TraceCommand(std::uint8_t slot,
                                                                       std::uint8_t channel) {
    if (slot == kTraceStopSlot && channel == kTraceStopChannel) {
        tracing_ = false;
        // The stop is confirmed like the start; its answer names no channel, so the sender drops it.
        return std::vector<std::uint8_t>{reply::kTraceStarted, kTraceStopSlot, kTraceStopChannel, 0};
    }
    if (slot >= kSlots || channel >= kChannelsPerSlot) {
        return std::nullopt;
    }
    tracing_ = true;
    traceSlot_ = slot;
    traceChannel_ = channel;
    traceLastEventMs_ = nowMs_;
    traceNextDemoMs_ = nowMs_ + traceIntervalMs_;
    traceDemoStep_ = 0;
    return std::vector<std::uint8_t>{reply::kTraceStarted, slot, channel, slots_[slot].Installed};
}

void TSimMultiplexer::ResetCounters(std::uint8_t unitByte) {
    if (unitByte == kCpuCounterReset) {
        restartCount_ = 0;
        return;
    }
    auto& hw = slots_[unitByte & 0x0F];
    const int unit = unitByte >> 4;
    if (unit >= kUnits) {
        return;
    }
    hw.Counters[static_cast<std::size_t>(unit)] = {};
    hw.Dsl[static_cast<std::size_t>(unit)].Counters = {};
}

void TSimMultiplexer::Restart() {
    // The configuration is kept (non-volatile); everything the running system counted starts again.
    uptimeSeconds_ = 0;
    msIntoSecond_ = 0;
    restartCount_ = static_cast<std::uint8_t>(std::min(255, restartCount_ + 1));
    for (auto& hw : slots_) {
        hw.Counters = {};
        for (auto& line : hw.Dsl) {
            line.Counters = {};
        }
        hw.LineTested = false;
    }
    tracing_ = false;
    deafUntilMs_ = nowMs_ + restartDowntimeMs_;
}

// ---------------------------------------------------------------------------------------------------------
// Time

void TSimMultiplexer::Advance(std::uint32_t milliseconds) {
    const std::uint64_t target = nowMs_ + milliseconds;
    constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
    while (true) {
        const std::uint64_t nextSecond = nowMs_ + (1000 - msIntoSecond_);
        const std::uint64_t nextTrace = tracing_ && traceIntervalMs_ > 0 ? traceNextDemoMs_ : kNever;
        const std::uint64_t next = std::min(nextSecond, nextTrace);
        if (next > target) {
            msIntoSecond_ += static_cast<std::uint32_t>(target - nowMs_);
            nowMs_ = target;
            return;
        }
        msIntoSecond_ += static_cast<std::uint32_t>(next - nowMs_);
        nowMs_ = next;
        if (msIntoSecond_ >= 1000) {
            msIntoSecond_ = 0;
            SecondTick();
        }
        if (tracing_ && traceIntervalMs_ > 0 && nowMs_ >= traceNextDemoMs_) {
            traceNextDemoMs_ += traceIntervalMs_;
            TraceTick(nowMs_);
        }
    }
}

void TSimMultiplexer::SecondTick() {
    ++uptimeSeconds_;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!BoardWorking(slot)) {
            continue;
        }
        auto& hw = slots_[static_cast<std::size_t>(slot)];
        for (int unit = 0; unit < BoardStreams(hw.Installed); ++unit) {
            if (!UnitInUse(slot, unit)) {
                continue;
            }
            auto& c = hw.Counters[static_cast<std::size_t>(unit)];
            const std::uint8_t f = hw.Flags[static_cast<std::size_t>(unit)];
            ++c.Period;
            // Without frame alignment the elastic store over- and underflows: slips of both kinds.
            if (f & flag::kFrameLoss) {
                ++c.SlipsE;
            }
            if (f & flag::kMultiframeLoss) {
                ++c.SlipsF;
            }
            if (f & flag::kErrors1e3) {
                c.FrameErrors += 5;  // well above 40 in 10 s
            } else if ((f & flag::kErrors1e6) && c.Period % 60 == 0) {
                ++c.FrameErrors;  // above 7 in 30 min, far below the higher threshold
            }
            if (IsDslBoard(hw.Installed)) {
                auto& dsl = hw.Dsl[static_cast<std::size_t>(unit)].Counters;
                if (f & flag::kSignalLoss) {
                    dsl.UnavailableSeconds = Saturated(dsl.UnavailableSeconds, 1);
                    dsl.LoswSeconds = Saturated(dsl.LoswSeconds, 1);
                } else if (f & (flag::kErrors1e3 | flag::kErrors1e6)) {
                    dsl.CodeViolations = Saturated(dsl.CodeViolations, 3);
                    dsl.ErroredSeconds = Saturated(dsl.ErroredSeconds, 1);
                    if (f & flag::kErrors1e3) {
                        dsl.SeverelyErroredSeconds = Saturated(dsl.SeverelyErroredSeconds, 1);
                    }
                }
            }
        }
    }
}

std::vector<TSimUnsolicited> TSimMultiplexer::TakeUnsolicited() {
    std::vector<TSimUnsolicited> result;
    result.swap(unsolicited_);
    return result;
}

// ---------------------------------------------------------------------------------------------------------
// Trace

void TSimMultiplexer::TraceTick(std::uint64_t atMs) {
    const std::uint8_t type = slots_[static_cast<std::size_t>(traceSlot_)].Installed;
    const std::uint32_t step = traceDemoStep_++;
    // A demonstration call on the traced port, so that a trace shows something without scripting.
    if (CarriesCas(type)) {
        auto& rx =
            slots_[static_cast<std::size_t>(traceSlot_)].ReceivedCas[static_cast<std::size_t>(traceChannel_)];
        rx = static_cast<std::uint8_t>(rx ^ 0x8);  // the a bit: seizure and release
        EmitTrace(atMs, 0,
                  static_cast<std::uint8_t>((TransmittedCas(traceSlot_, traceChannel_) << 4) | (rx & 0x0F)));
    } else if (type == board::k4TCh || type == board::k4TChU) {
        EmitTrace(atMs, 2, static_cast<std::uint8_t>(step % 7));
    } else if (type == board::k4SLU) {
        EmitTrace(atMs, 2, static_cast<std::uint8_t>(step % 6));
    } else {
        EmitTrace(atMs, 0, static_cast<std::uint8_t>(step & 3));
    }
}

void TSimMultiplexer::PushTraceEvent(std::uint8_t mode, std::uint8_t state) {
    EmitTrace(nowMs_, mode, state);
}

void TSimMultiplexer::EmitTrace(std::uint64_t atMs, std::uint8_t mode, std::uint8_t state) {
    if (!tracing_ || silent_) {
        return;
    }
    const std::uint8_t type = slots_[static_cast<std::size_t>(traceSlot_)].Installed;
    if (!CanTrace(type) || !BoardWorking(traceSlot_)) {
        return;
    }
    // The time since the previous event is a 16-bit field; longer pauses read as its maximum.
    const auto elapsed =
        static_cast<std::uint16_t>(std::min<std::uint64_t>(atMs - traceLastEventMs_, 0xFFFF));
    traceLastEventMs_ = atMs;
    unsolicited_.push_back(
        {atMs,
         {reply::kTraceMessage, static_cast<std::uint8_t>(traceSlot_),
          static_cast<std::uint8_t>(traceChannel_), type, mode, state,
          static_cast<std::uint8_t>(elapsed >> 8), static_cast<std::uint8_t>(elapsed & 0xFF)}});
}

// ---------------------------------------------------------------------------------------------------------
// Configuration memory

void TSimMultiplexer::ResetConfig() {
    config_.fill(0);
    std::fill_n(config_.begin() + mem::kLinks, kEndpoints, kNoLink);
    std::fill_n(config_.begin() + mem::kSignalling, kEndpoints, kDefaultSignalling);
    constexpr std::array<std::uint16_t, kSettingsWords> kSettingsDefault = {0,  16, 96,  96,  96,
                                                                            96, 3,  255, 255, 0};
    std::copy(kSettingsDefault.begin(), kSettingsDefault.end(), config_.begin() + mem::kSettings);
}

void TSimMultiplexer::LoadImage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kImageBytes) {
        throw std::invalid_argument("configuration image of " + std::to_string(bytes.size()) + " bytes");
    }
    for (std::size_t i = 0; i < kConfigWords; ++i) {
        config_[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
}

std::vector<std::uint8_t> TSimMultiplexer::SaveImage() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kImageBytes);
    for (std::uint16_t word : config_) {
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
}

std::uint8_t TSimMultiplexer::ConfiguredBoard(int slot) const {
    return LowByte(config_[ConfigAddress(kSlotTypeTable, slot)]);
}

void TSimMultiplexer::ConfigureBoard(int slot, std::uint8_t type) {
    config_[ConfigAddress(kSlotTypeTable, slot)] = type;
}

TBlock TSimMultiplexer::Block(int slot) const {
    CheckIndex("slot", slot, kSlots);
    TBlock block{};
    for (int k = 0; k < kBlockWords; ++k) {
        block[static_cast<std::size_t>(k)] = config_[mem::BlockWord(slot, k)];
    }
    return block;
}

void TSimMultiplexer::SetBlock(int slot, const TBlock& block) {
    CheckIndex("slot", slot, kSlots);
    for (int k = 0; k < kBlockWords; ++k) {
        config_[mem::BlockWord(slot, k)] = block[static_cast<std::size_t>(k)];
    }
}

std::uint16_t TSimMultiplexer::Link(int endpoint) const {
    return config_[ConfigAddress(kLinkTable, endpoint)];
}

void TSimMultiplexer::SetLink(int endpoint, std::uint16_t source) {
    config_[ConfigAddress(kLinkTable, endpoint)] = source;
}

std::uint8_t TSimMultiplexer::Signalling(int endpoint) const {
    return LowByte(config_[ConfigAddress(kSignallingTable, endpoint)]);
}

void TSimMultiplexer::SetSignalling(int endpoint, std::uint8_t value) {
    config_[ConfigAddress(kSignallingTable, endpoint)] = value;
}

std::uint8_t TSimMultiplexer::Setting(int word) const {
    return LowByte(config_[ConfigAddress(kSettingsTable, word)]);
}

void TSimMultiplexer::SetSetting(int word, std::uint8_t value) {
    config_[ConfigAddress(kSettingsTable, word)] = value;
}

// ---------------------------------------------------------------------------------------------------------
// Hardware

TSimMultiplexer::TSlotHardware& TSimMultiplexer::Hardware(int slot) {
    CheckIndex("slot", slot, kSlots);
    return slots_[static_cast<std::size_t>(slot)];
}

const TSimMultiplexer::TSlotHardware& TSimMultiplexer::Hardware(int slot) const {
    CheckIndex("slot", slot, kSlots);
    return slots_[static_cast<std::size_t>(slot)];
}

void TSimMultiplexer::ResetBoardState(TSlotHardware& hw) const {
    // A board that was (re)inserted starts counting afresh; the line conditions stay what they are.
    hw.Counters = {};
    hw.Dsl = {};
    hw.ReceivedCas.fill(kIdleCas);
    hw.LineTested = false;
}

std::uint8_t TSimMultiplexer::InstalledBoard(int slot) const {
    return Hardware(slot).Installed;
}

void TSimMultiplexer::InstallBoard(int slot, std::uint8_t type) {
    auto& hw = Hardware(slot);
    hw.Installed = type;
    hw.Unplugged = 0;
    ResetBoardState(hw);
}

void TSimMultiplexer::RemoveBoard(int slot) {
    InstallBoard(slot, board::kNone);
}

void TSimMultiplexer::SetBoard(int slot, std::uint8_t type) {
    ConfigureBoard(slot, type);
    InstallBoard(slot, type);
}

void TSimMultiplexer::UnplugBoard(int slot) {
    auto& hw = Hardware(slot);
    if (hw.Installed != board::kNone) {
        hw.Unplugged = hw.Installed;
        hw.Installed = board::kNone;
    }
}

void TSimMultiplexer::PlugBoard(int slot) {
    auto& hw = Hardware(slot);
    if (hw.Unplugged != board::kNone) {
        hw.Installed = hw.Unplugged;
        hw.Unplugged = board::kNone;
        ResetBoardState(hw);
    }
}

std::uint8_t TSimMultiplexer::SlotState(int slot) const {
    const auto& hw = Hardware(slot);
    if (hw.StateOverride) {
        return *hw.StateOverride;
    }
    if (hw.Installed == board::kNone) {
        return kStateAbsent;
    }
    // A board the configuration does not call for (another type, or none) is kept blocked.
    return hw.Installed == ConfiguredBoard(slot) ? kStateWorking : kStateBlocked;
}

void TSimMultiplexer::OverrideSlotState(int slot, std::optional<std::uint8_t> state) {
    Hardware(slot).StateOverride = state;
}

bool TSimMultiplexer::BoardWorking(int slot) const {
    return SlotState(slot) == kStateWorking;
}

bool TSimMultiplexer::UnitInUse(int slot, int unit) const {
    const std::uint8_t type = slots_[static_cast<std::size_t>(slot)].Installed;
    if (unit >= BoardStreams(type)) {
        return false;
    }
    // A set switched off in the block ("not used") is not monitored at all.
    if (HasStreamOffBits(type) && unit < 4) {
        return ((config_[mem::BlockWord(slot, 1)] >> (4 * unit)) & 1) == 0;
    }
    return true;
}

std::uint8_t TSimMultiplexer::ReportedFlags(int slot, int unit) const {
    if (!BoardWorking(slot) || !UnitInUse(slot, unit)) {
        return 0;
    }
    return slots_[static_cast<std::size_t>(slot)].Flags[static_cast<std::size_t>(unit)];
}

std::uint8_t TSimMultiplexer::UnitLamp(int slot, int unit) const {
    if (!UnitInUse(slot, unit)) {
        return 0;  // grey
    }
    std::uint8_t flags = ReportedFlags(slot, unit);
    if (slots_[static_cast<std::size_t>(slot)].Installed == board::k4C1I) {
        flags = C1IAsStreamFlags(flags);
    }
    if (flags & (flag::kSignalLoss | flag::kFrameLoss)) {
        return 3;  // red
    }
    return flags != 0 ? 2 : 1;  // yellow for the lesser alarms, green when clean
}

std::array<std::uint8_t, 2> TSimMultiplexer::Lamps(int slot) const {
    const auto& hw = Hardware(slot);
    if (hw.LampOverride) {
        return *hw.LampOverride;
    }
    if (!BoardWorking(slot)) {
        return {0, 0};
    }
    auto pack = [](int high, int low) { return static_cast<std::uint8_t>((high << 4) | low); };
    switch (hw.Installed) {
        case board::k1E1: {
            // Lamps "los", "rm", "mf", "slp" (lamp 1 .. lamp 4).
            const std::uint8_t f = ReportedFlags(slot, 0);
            const int los = (f & flag::kSignalLoss) ? 3 : 1;
            const int rm = (f & (flag::kRemoteFrameLoss | flag::kRemoteMultiframeLoss)) ? 2 : 0;
            const int mf = (f & flag::kMultiframeLoss) ? 3 : 0;
            const int slp = (f & flag::kFrameLoss) ? 4 : 0;  // slipping: flashes
            return {pack(slp, mf), pack(rm, los)};
        }
        case board::k4E1:
        case board::k4I15:
        case board::k4C1I:
        case board::k4ToP:
        case board::k4DSL:
        case board::k4TLG:
        case board::k4DSLv2:
            // One lamp per set: lamp 4 is set 0, lamp 1 is set 3.
            return {pack(UnitLamp(slot, 0), UnitLamp(slot, 1)), pack(UnitLamp(slot, 2), UnitLamp(slot, 3))};
        default:
            return {0, 0};
    }
}

void TSimMultiplexer::OverrideLamps(int slot, std::optional<std::array<std::uint8_t, 2>> lamps) {
    Hardware(slot).LampOverride = lamps;
}

void TSimMultiplexer::SetStreamAlarm(int slot, int unit, int flagBit, bool on) {
    if (flagBit < 0 || flagBit > 7) {
        throw std::out_of_range("flag bit " + std::to_string(flagBit));
    }
    CheckIndex("unit", unit, kUnits);
    auto& flags = Hardware(slot).Flags[static_cast<std::size_t>(unit)];
    const auto bit = static_cast<std::uint8_t>(1u << flagBit);
    flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
}

void TSimMultiplexer::SetStreamFlags(int slot, int unit, std::uint8_t flags) {
    CheckIndex("unit", unit, kUnits);
    Hardware(slot).Flags[static_cast<std::size_t>(unit)] = flags;
}

std::uint8_t TSimMultiplexer::StreamFlags(int slot, int unit) const {
    CheckIndex("unit", unit, kUnits);
    return Hardware(slot).Flags[static_cast<std::size_t>(unit)];
}

const TSimStreamCounters& TSimMultiplexer::StreamCounters(int slot, int unit) const {
    CheckIndex("unit", unit, kUnits);
    return Hardware(slot).Counters[static_cast<std::size_t>(unit)];
}

void TSimMultiplexer::SetStreamCounters(int slot, int unit, const TSimStreamCounters& counters) {
    CheckIndex("unit", unit, kUnits);
    Hardware(slot).Counters[static_cast<std::size_t>(unit)] = counters;
}

void TSimMultiplexer::SetReceivedCas(int slot, int channel, std::uint8_t abcd) {
    CheckIndex("channel", channel, kChannelsPerSlot);
    auto& rx = Hardware(slot).ReceivedCas[static_cast<std::size_t>(channel)];
    const auto value = static_cast<std::uint8_t>(abcd & 0x0F);
    const bool changed = rx != value;
    rx = value;
    // A change on the traced channel is a line event.
    if (changed && tracing_ && traceSlot_ == slot && traceChannel_ == channel &&
        CarriesCas(InstalledBoard(slot))) {
        EmitTrace(nowMs_, 0, static_cast<std::uint8_t>((TransmittedCas(slot, channel) << 4) | value));
    }
}

std::uint8_t TSimMultiplexer::ReceivedCas(int slot, int channel) const {
    CheckIndex("channel", channel, kChannelsPerSlot);
    return Hardware(slot).ReceivedCas[static_cast<std::size_t>(channel)];
}

std::uint8_t TSimMultiplexer::TransmittedCas(int slot, int channel) const {
    CheckIndex("channel", channel, kChannelsPerSlot);
    const int endpoint = slot * kChannelsPerSlot + channel;
    const std::uint8_t entry = Signalling(endpoint);
    const std::uint8_t configured = entry >> 4;
    const std::uint8_t active = entry & 0x0F;
    const std::uint16_t source = Link(endpoint);
    const std::uint8_t passed =
        source < kEndpoints ? ReceivedCas(source / kChannelsPerSlot, source % kChannelsPerSlot) : configured;
    return static_cast<std::uint8_t>(((configured & active) | (passed & ~active)) & 0x0F);
}

std::array<std::uint8_t, 15> TSimMultiplexer::CasSnapshot(int slot, int unit, bool transmitted) const {
    std::array<std::uint8_t, 15> snapshot{};
    const std::uint8_t type = slots_[static_cast<std::size_t>(slot)].Installed;
    if (!BoardWorking(slot) || !CarriesCas(type) || type == board::k4DSLExt) {
        return snapshot;
    }
    const bool ais = !transmitted && (ReportedFlags(slot, unit) & flag::kSignalLoss);
    auto nibble = [&](int s, int channel) {
        if (channel >= BoardChannels(slots_[static_cast<std::size_t>(s)].Installed)) {
            return std::uint8_t{0};
        }
        if (ais) {
            return kAisCas;  // all ones arrive when the stream is lost
        }
        return transmitted ? TransmittedCas(s, channel) : ReceivedCas(s, channel);
    };
    int s = slot;
    int base = 0;
    switch (type) {
        case board::k4I15:
            // Sixteen-channel streams: position 0 is framing, positions 1..15 carry CAS in the low nibble.
            if (unit >= 4) {
                return snapshot;
            }
            for (int r = 0; r < 15; ++r) {
                snapshot[static_cast<std::size_t>(r)] = nibble(slot, unit * 16 + r + 1);
            }
            return snapshot;
        case board::k4DSL:
        case board::k4DSLv2: {
            // Unit = CAS × 4 + set; sets 2 and 3 live on the 4DSL' extension in the next slot.
            const int set = unit & 3;
            const int cas = unit >> 2;
            if (set >= 2) {
                s = (slot + 1) % kSlots;
                if (slots_[static_cast<std::size_t>(s)].Installed != board::k4DSLExt || !BoardWorking(s)) {
                    return snapshot;
                }
            }
            base = 64 * (set % 2) + 32 * cas;
            break;
        }
        default:
            base = 32 * unit;
            if (base >= BoardChannels(type)) {
                return snapshot;
            }
            break;
    }
    // E1 layout: byte r carries timeslot r + 1 in the high nibble and timeslot r + 17 in the low one.
    for (int r = 0; r < 15; ++r) {
        snapshot[static_cast<std::size_t>(r)] =
            static_cast<std::uint8_t>((nibble(s, base + r + 1) << 4) | nibble(s, base + r + 17));
    }
    return snapshot;
}

void TSimMultiplexer::SetDslLine(int slot, int unit, const TSimDslLine& line) {
    CheckIndex("unit", unit, kUnits);
    Hardware(slot).Dsl[static_cast<std::size_t>(unit)] = line;
}

const TSimDslLine& TSimMultiplexer::DslLine(int slot, int unit) const {
    CheckIndex("unit", unit, kUnits);
    return Hardware(slot).Dsl[static_cast<std::size_t>(unit)];
}

void TSimMultiplexer::SetPowerLine(int slot, const TSimPowerLine& line) {
    Hardware(slot).Power = line;
}

const TSimPowerLine& TSimMultiplexer::PowerLine(int slot) const {
    return Hardware(slot).Power;
}

// ---------------------------------------------------------------------------------------------------------
// Derived status

std::array<std::uint8_t, 2> TSimMultiplexer::SyncSource() const {
    // Types 1 and 2 choose from the priority table: the input with the best priority whose board has a
    // usable stream (its own priority nibble below 4, in use, framed). Anything else runs from the CPU.
    std::array<std::uint8_t, 2> source = {board::kCpu, 0};
    const std::uint8_t syncType = Setting(kSettingSyncType);
    if (syncType != 1 && syncType != 2) {
        return source;
    }
    int bestPriority = 6;  // 6 = never
    for (int k = 0; k < 6; ++k) {
        const std::uint8_t word = Setting(k);
        const int slot = word & 0x0F;
        const int priority = (word >> 4) & 7;
        if (priority >= bestPriority || !BoardWorking(slot)) {
            continue;
        }
        const std::uint8_t type = slots_[static_cast<std::size_t>(slot)].Installed;
        if (!CanSupplyClock(type)) {
            continue;
        }
        const bool single = BoardStreams(type) == 1;
        const std::uint16_t w0 = config_[mem::BlockWord(slot, 0)];
        int bestPort = -1;
        int bestNibble = 4;  // 4 = the stream is never a clock source
        for (int port = 0; port < (single ? 1 : 4); ++port) {
            const int nibble = single ? 0 : (w0 >> (4 * port)) & 0x0F;
            if (nibble < bestNibble && UnitInUse(slot, port) &&
                !(ReportedFlags(slot, port) & (flag::kSignalLoss | flag::kFrameLoss))) {
                bestNibble = nibble;
                bestPort = port;
            }
        }
        if (bestPort >= 0) {
            bestPriority = priority;
            source = {type, static_cast<std::uint8_t>(slot | (bestPort << 4))};
        }
    }
    return source;
}

std::uint32_t TSimMultiplexer::MeasuredLevel() const {
    const auto endpoint =
        static_cast<std::uint16_t>((Setting(kSettingMeasurerHigh) << 8) | Setting(kSettingMeasurerLow));
    if (endpoint == kGenerator) {
        return static_cast<std::uint32_t>(kLevelReference);  // the generator sends 0 dB
    }
    if (endpoint >= kEndpoints || !BoardWorking(endpoint / kChannelsPerSlot)) {
        return 0;  // nothing connected: below the measurer's range
    }
    const double value = kLevelReference * std::pow(10.0, cpu_.LevelDb / 20.0);
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 0x7FFFFFFFL));
}

std::uint8_t TSimMultiplexer::MaskedStreamBits(std::uint8_t flags) const {
    std::uint8_t result = 0;
    const std::uint8_t mask = Setting(kSettingAlarmMask);
    for (const auto& m : kFlagMap) {
        if ((flags & m.Flag) && (!honourAlarmMask_ || (mask & m.MaskBit))) {
            result |= m.Flag;
        }
    }
    return result;
}

std::vector<std::array<std::uint8_t, 4>> TSimMultiplexer::AlarmRecords() const {
    std::vector<std::array<std::uint8_t, 4>> records;
    if (hardwareError_ != 0) {
        records.push_back(
            {static_cast<std::uint8_t>(kRecordHeader4 | kRecordHardware), 0, 0, hardwareError_});
    }
    const bool absentReported = !honourAlarmMask_ || (Setting(kSettingAlarmMask) & kMaskBoardAbsent);
    for (int slot = 0; slot < kSlots && absentReported; ++slot) {
        // Missing means: the configuration calls for a board and that board is not there (an empty slot
        // that nothing is configured for is not missing; a board of the wrong type does not count).
        const std::uint8_t configured = ConfiguredBoard(slot);
        if (configured != board::kNone && slots_[static_cast<std::size_t>(slot)].Installed != configured) {
            records.push_back({static_cast<std::uint8_t>(kRecordHeader4 | kRecordAbsent),
                               static_cast<std::uint8_t>(slot), configured, 0x01});
        }
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::uint8_t type = slots_[static_cast<std::size_t>(slot)].Installed;
        for (int unit = 0; unit < BoardStreams(type); ++unit) {
            std::uint8_t flags = ReportedFlags(slot, unit);
            if (type == board::k4C1I) {
                flags = C1IAsStreamFlags(flags);
            }
            const std::uint8_t bits = MaskedStreamBits(flags);
            if (bits != 0) {
                records.push_back({static_cast<std::uint8_t>(kRecordHeader4 | kRecordStream),
                                   static_cast<std::uint8_t>((slot << 4) | unit), type, bits});
            }
        }
    }
    return records;
}

std::uint16_t TSimMultiplexer::AlarmWord() const {
    std::uint16_t best = 0;
    for (const auto& record : AlarmRecords()) {
        std::uint16_t word = 0;
        switch (record[0] & 0x0F) {
            case kRecordStream:
                for (const auto& m : kFlagMap) {
                    if (record[3] & m.Flag) {
                        word |= m.AlarmBit;
                    }
                }
                word = static_cast<std::uint16_t>(word | ((record[1] & 0xF0) << 8));
                break;
            case kRecordAbsent:
                word = static_cast<std::uint16_t>(((record[1] & 0x0F) << 12) | alarm::kBoardAbsent);
                break;
            case kRecordHardware:
                word = static_cast<std::uint16_t>(((record[3] & 0x0F) << 12) | alarm::kHardwareError);
                break;
            default:
                break;
        }
        if ((word & 0x0FFF) > (best & 0x0FFF)) {
            best = word;
        }
    }
    return best;
}

}  // namespace tervis::sim
