#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "SimRecords.h"

namespace tervis::sim {

// Command and reply codes of the protocol, as the device knows them.
namespace cmd {
enum TCommand : std::uint8_t {
    kWriteSlotType = 10,
    kReadSlotType = 15,
    kWriteEndpoint = 20,
    kReadEndpoint = 25,
    kWriteBlock = 30,
    kReadBlock = 35,
    kWriteSettings = 40,
    kReadSettings = 45,
    kSlotLamps = 100,
    kSlotTypes = 110,
    kCasReceived = 120,
    kCasTransmitted = 130,
    kBoardStatus = 140,
    kResetCounters = 150,
    kCpuStatus = 155,
    kTrace = 165,
    kAlarms = 175,
    kWriteIdentifier = 185,
    kDslStatus = 195,
    kLineTest = 205,
    kRestart = 255,
};
}  // namespace cmd

namespace reply {
enum TReply : std::uint8_t {
    kSlotType = 10,
    kEndpoint = 20,
    kBlock = 30,
    kSettings = 40,
    kSlotLamps = 105,
    kSlotTypes = 115,
    kCasReceived = 125,
    kCasTransmitted = 135,
    kBoardStatus = 145,
    kCpuStatus = 160,
    kTraceStarted = 165,
    kTraceMessage = 170,
    kAlarmWord = 180,
    kAlarmRecords = 190,
    kDslStatus = 200,
};
}  // namespace reply

// Alarm word bits, as the device sums up its alarm records for the short alarm reply.
namespace alarm {
enum TAlarmBit : std::uint16_t {
    kErrors1e6 = 0x001,
    kErrors1e3 = 0x002,
    kRemoteMultiframeLoss = 0x004,
    kRemoteFrameLoss = 0x008,
    kMultiframeLoss = 0x010,
    kFrameLoss = 0x020,
    kStreamLoss = 0x040,
    kBoardAbsent = 0x080,
    kHardwareError = 0x100,
};
}  // namespace alarm

// Alarm record kinds in the long alarm reply.
enum TRecordKind : std::uint8_t { kRecordStream = 1, kRecordAbsent = 2, kRecordHardware = 3 };

// Slot states the device reports.
enum TSlotState : std::uint8_t { kStateAbsent = 0, kStateWorking = 1, kStateBlocked = 2 };

// Bytes an answer may take after a reply header without an address field (254-byte packets).
constexpr std::size_t kDefaultReplyRoom = 251;

// A message the device sends without being asked (trace messages), with the time it was produced on the
// device's own clock.
struct TSimUnsolicited {
    std::uint64_t AtMs = 0;
    std::vector<std::uint8_t> Payload;  // reply code and parameters
};

// One multiplexer: its configuration memory, the hardware actually plugged in, the status it derives from
// both, and the commands it answers. It knows nothing of frames or addressing: the line hands it the
// command code with its parameters and wraps its answer.
class TSimMultiplexer {
public:
    TSimMultiplexer();

    // --- Protocol ---
    // Executes one command (code and parameters). Returns the answer (reply code and parameters) or nothing
    // when the device gives none. `confirmed` is the inverse of bit 7 of the request's control byte: the
    // device answers every confirmed request it understands, and unconfirmed ones where an answer exists.
    // `replyRoom` is how many bytes the answer may take after the reply header (the alarm records are cut
    // to fit a packet).
    std::optional<std::vector<std::uint8_t>> Execute(std::span<const std::uint8_t> command, bool confirmed,
                                                     std::size_t replyRoom = kDefaultReplyRoom);
    // Virtual time: uptime, counters, restart, trace messages.
    void Advance(std::uint32_t milliseconds);
    std::uint64_t NowMs() const { return nowMs_; }
    std::vector<TSimUnsolicited> TakeUnsolicited();
    // Whether the device takes requests now (not switched off, not restarting).
    bool Listening() const;

    // --- Identity ---
    // RS-485/RS-422 identifier, 0 = none. Requests with device number 0 reach the multiplexer on the
    // RS-232 side whatever its identifier.
    std::uint8_t Identifier() const { return identifier_; }
    void SetIdentifier(std::uint8_t identifier) { identifier_ = identifier; }

    // --- Configuration memory ---
    const TConfigMemory& ConfigMemory() const { return config_; }
    std::uint16_t ConfigWord(std::size_t index) const { return config_.at(index); }
    void SetConfigWord(std::size_t index, std::uint16_t value) { config_.at(index) = value; }
    // The contents of a new configuration: no boards, no links, idle signalling, default settings.
    void ResetConfig();
    // 65534 bytes of little-endian words; more bytes are ignored, fewer are refused (std::invalid_argument).
    void LoadImage(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveImage() const;

    std::uint8_t ConfiguredBoard(int slot) const;
    void ConfigureBoard(int slot, std::uint8_t type);
    TBlock Block(int slot) const;
    void SetBlock(int slot, const TBlock& block);
    std::uint16_t Link(int endpoint) const;
    void SetLink(int endpoint, std::uint16_t source);
    std::uint8_t Signalling(int endpoint) const;
    void SetSignalling(int endpoint, std::uint8_t value);
    std::uint8_t Setting(int word) const;
    void SetSetting(int word, std::uint8_t value);
    // Settings word W9: which alarms are reported (bit 7 board absent, bits 6..0 stream alarms).
    void SetAlarmMask(std::uint8_t mask) { SetSetting(kSettingAlarmMask, mask); }
    // With the mask ignored every alarm is reported; useful for demos that do not care about W9.
    void SetHonourAlarmMask(bool honour) { honourAlarmMask_ = honour; }

    // --- Hardware ---
    std::uint8_t InstalledBoard(int slot) const;
    void InstallBoard(int slot, std::uint8_t type);  // a new board: counters and line state start afresh
    void RemoveBoard(int slot);
    // Configured and installed at once: a slot as it is after a good commissioning.
    void SetBoard(int slot, std::uint8_t type);
    // Pull the board out and put the same board back.
    void UnplugBoard(int slot);
    void PlugBoard(int slot);
    std::uint8_t SlotState(int slot) const;
    void OverrideSlotState(int slot, std::optional<std::uint8_t> state);
    // Indicator bytes A (lamps 4, 3) and B (lamps 2, 1), one 4-bit lamp code each nibble.
    std::array<std::uint8_t, 2> Lamps(int slot) const;
    void OverrideLamps(int slot, std::optional<std::array<std::uint8_t, 2>> lamps);

    // Stream alarm flags of a unit, bits as the board reports them (stream layout; 4C1И its own layout).
    void SetStreamAlarm(int slot, int unit, int flagBit, bool on);
    void SetStreamFlags(int slot, int unit, std::uint8_t flags);
    std::uint8_t StreamFlags(int slot, int unit) const;
    const TSimStreamCounters& StreamCounters(int slot, int unit) const;
    void SetStreamCounters(int slot, int unit, const TSimStreamCounters& counters);

    // abcd nibble arriving from the line on a channel (slot, channel 0..127).
    void SetReceivedCas(int slot, int channel, std::uint8_t abcd);
    std::uint8_t ReceivedCas(int slot, int channel) const;
    // abcd nibble the board sends: the configured bits where the channel's active mask selects them,
    // otherwise the bits arriving on the channel it is cross-connected from.
    std::uint8_t TransmittedCas(int slot, int channel) const;

    void SetDslLine(int slot, int unit, const TSimDslLine& line);
    const TSimDslLine& DslLine(int slot, int unit) const;
    void SetPowerLine(int slot, const TSimPowerLine& line);
    const TSimPowerLine& PowerLine(int slot) const;

    TSimCpu& Cpu() { return cpu_; }
    void SetHardwareError(std::uint8_t code) { hardwareError_ = code; }
    std::uint8_t HardwareError() const { return hardwareError_; }
    void SetAlarmReply(TAlarmReply kind) { alarmReply_ = kind; }

    // Switched off or cut off: takes no requests, sends nothing.
    void SetSilent(bool silent) { silent_ = silent; }
    bool Silent() const { return silent_; }
    // Older firmware: a command it does not know is answered with a bare reply (the header alone, no
    // code and no data) instead of what it asks for.
    void SetBareReply(std::uint8_t code) { bareReply_[code] = true; }
    // How long a restart keeps the device deaf (0: it answers again at once).
    void SetRestartDowntime(std::uint32_t milliseconds) { restartDowntimeMs_ = milliseconds; }
    std::uint32_t UptimeSeconds() const { return uptimeSeconds_; }
    std::uint8_t RestartCount() const { return restartCount_; }

    // --- Trace ---
    bool Tracing() const { return tracing_; }
    int TraceSlot() const { return traceSlot_; }
    int TraceChannel() const { return traceChannel_; }
    // A line event on the traced port is reported every interval (0: only scripted events).
    void SetTraceInterval(std::uint32_t milliseconds) { traceIntervalMs_ = milliseconds; }
    // A scripted event on the traced port; ignored while no trace runs.
    void PushTraceEvent(std::uint8_t mode, std::uint8_t state);

    // --- What the device has been asked ---
    std::uint64_t CommandCount(std::uint8_t code) const { return commandCounts_[code]; }

    // The alarm records the device would report now (each record: header, two bytes, flag byte).
    std::vector<std::array<std::uint8_t, 4>> AlarmRecords() const;
    // The most severe alarm as one word (0 = none), as the short alarm reply carries it.
    std::uint16_t AlarmWord() const;

private:
    struct TSlotHardware {
        std::uint8_t Installed = 0;
        std::uint8_t Unplugged = 0;  // the board taken out, for PlugBoard
        std::optional<std::uint8_t> StateOverride;
        std::optional<std::array<std::uint8_t, 2>> LampOverride;
        std::array<std::uint8_t, kUnits> Flags{};
        std::array<TSimStreamCounters, kUnits> Counters{};
        std::array<TSimDslLine, kUnits> Dsl{};
        std::array<std::uint8_t, kChannelsPerSlot> ReceivedCas{};
        TSimPowerLine Power;
        bool LineTested = false;
    };

    // The three kinds of command Execute hands on: the configuration memory's reads and writes, the
    // status polls (and trace and identifier), and the actions without a reply of their own.
    std::optional<std::vector<std::uint8_t>> ConfigurationCommand(std::uint8_t code,
                                                                  std::span<const std::uint8_t> p);
    std::optional<std::vector<std::uint8_t>> StatusCommand(std::uint8_t code, std::span<const std::uint8_t> p,
                                                           std::size_t replyRoom);
    void ActionCommand(std::uint8_t code, std::span<const std::uint8_t> p);

    std::vector<std::uint8_t> ReadSlotType(int slot) const;
    std::vector<std::uint8_t> ReadEndpoint(int endpoint) const;
    std::vector<std::uint8_t> ReadBlock(int slot) const;
    std::vector<std::uint8_t> ReadSettings() const;
    void AppendSlotStates(std::vector<std::uint8_t>& out) const;
    std::vector<std::uint8_t> SlotLampsReply() const;
    std::vector<std::uint8_t> SlotTypesReply() const;
    std::vector<std::uint8_t> CasReply(std::uint8_t code, std::uint8_t unitByte) const;
    std::vector<std::uint8_t> BoardStatusReply(std::uint8_t unitByte) const;
    void AppendPowerRecord(std::vector<std::uint8_t>& out, int slot) const;
    std::vector<std::uint8_t> CpuStatusReply() const;
    std::vector<std::uint8_t> AlarmReply(std::size_t room) const;
    std::vector<std::uint8_t> DslReply(std::uint8_t unitByte) const;
    std::optional<std::vector<std::uint8_t>> TraceCommand(std::uint8_t slot, std::uint8_t channel);
    void ResetCounters(std::uint8_t unitByte);
    void Restart();

    TSlotHardware& Hardware(int slot);
    const TSlotHardware& Hardware(int slot) const;
    void ResetBoardState(TSlotHardware& hw) const;
    bool BoardWorking(int slot) const;
    bool UnitInUse(int slot, int unit) const;
    std::uint8_t ReportedFlags(int slot, int unit) const;
    std::uint8_t MaskedStreamBits(std::uint8_t flags) const;
    std::uint8_t UnitLamp(int slot, int unit) const;
    std::array<std::uint8_t, 15> CasSnapshot(int slot, int unit, bool transmitted) const;
    std::array<std::uint8_t, 2> SyncSource() const;  // board type, slot + 16 × port
    std::uint32_t MeasuredLevel() const;
    void SecondTick();
    void TraceTick(std::uint64_t atMs);
    void EmitTrace(std::uint64_t atMs, std::uint8_t mode, std::uint8_t state);

    TConfigMemory config_{};
    std::array<TSlotHardware, kSlots> slots_{};
    TSimCpu cpu_;
    std::uint8_t identifier_ = 0;
    std::uint8_t hardwareError_ = 0;
    TAlarmReply alarmReply_ = TAlarmReply::kRecords;
    bool honourAlarmMask_ = true;
    bool silent_ = false;
    std::array<bool, 256> bareReply_{};

    std::uint64_t nowMs_ = 0;
    std::uint32_t msIntoSecond_ = 0;
    std::uint32_t uptimeSeconds_ = 0;
    std::uint8_t restartCount_ = 0;
    std::uint32_t restartDowntimeMs_ = 0;
    std::uint64_t deafUntilMs_ = 0;

    bool tracing_ = false;
    int traceSlot_ = 0;
    int traceChannel_ = 0;
    std::uint32_t traceIntervalMs_ = 2000;
    std::uint64_t traceLastEventMs_ = 0;
    std::uint64_t traceNextDemoMs_ = 0;
    std::uint32_t traceDemoStep_ = 0;
    std::vector<TSimUnsolicited> unsolicited_;

    std::array<std::uint64_t, 256> commandCounts_{};
};

}  // namespace tervis::sim
