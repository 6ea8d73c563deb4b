#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tervis::sim {

constexpr int kSlots = 16;
constexpr int kUnits = 8;  // streams or ports per slot the status records exist for
constexpr int kChannelsPerSlot = 128;
constexpr int kEndpoints = kSlots * kChannelsPerSlot;
constexpr int kBlockWords = 9;
constexpr int kSettingsWords = 10;
constexpr std::size_t kConfigWords = 32767;
constexpr std::size_t kImageBytes = kConfigWords * 2;

using TConfigMemory = std::array<std::uint16_t, kConfigWords>;
using TBlock = std::array<std::uint16_t, kBlockWords>;

// Word indexes of the configuration memory.
namespace mem {
constexpr std::size_t kSlotType = 0x0000;  // + slot
constexpr std::size_t kWordA = 0x0010;     // + slot
constexpr std::size_t kWordB = 0x0020;     // + slot
constexpr std::size_t kBlockLow = 0x0030;  // W0..W4 at + 16k + slot
constexpr std::size_t kLinks = 0x0080;     // + endpoint
constexpr std::size_t kSignalling = 0x0880;
constexpr std::size_t kSettings = 0x1080;   // W0..W9
constexpr std::size_t kBlockHigh = 0x1C00;  // W5..W8 at + 16(k-5) + slot

constexpr std::size_t BlockWord(int slot, int k) {
    return k < 5 ? kBlockLow + 16 * static_cast<std::size_t>(k) + static_cast<std::size_t>(slot)
                 : kBlockHigh + 16 * static_cast<std::size_t>(k - 5) + static_cast<std::size_t>(slot);
}
}  // namespace mem

// Settings words the device itself acts on.
constexpr int kSettingSyncType = 6;
constexpr int kSettingMeasurerHigh = 7;
constexpr int kSettingMeasurerLow = 8;
constexpr int kSettingAlarmMask = 9;

constexpr std::uint16_t kNoLink = 0xFFFF;
constexpr std::uint16_t kGenerator = 0xFFFE;
constexpr std::uint16_t kDefaultSignalling = 0x50;

// Stream alarm flag bits, as a stream board reports them.
namespace flag {
enum TStreamFlag : std::uint8_t {
    kSignalLoss = 0x01,
    kFrameLoss = 0x02,
    kMultiframeLoss = 0x04,
    kRemoteFrameLoss = 0x08,
    kRemoteMultiframeLoss = 0x10,
    kErrors1e3 = 0x40,
    kErrors1e6 = 0x80,
};
}  // namespace flag

// The same four conditions as a 4C1И reports them.
namespace c1iflag {
enum TC1IFlag : std::uint8_t {
    kRemoteAlarm = 0x01,
    kAllZeros = 0x02,
    kAllOnes = 0x04,
    kSignalLoss = 0x08,
};
}  // namespace c1iflag

// Counters of one stream; they wrap at 24 bits on the wire.
struct TSimStreamCounters {
    std::uint32_t Period = 0;       // seconds since the last reset
    std::uint32_t SlipsE = 0;       // slips of the first kind (frames skipped)
    std::uint32_t SlipsF = 0;       // slips of the second kind (frames repeated)
    std::uint32_t FrameErrors = 0;  // q
};

// Error counters of one DSL unit; they saturate at 255, single bytes on the wire.
struct TSimDslCounters {
    std::uint8_t CodeViolations = 0;
    std::uint8_t ErroredSeconds = 0;
    std::uint8_t SeverelyErroredSeconds = 0;
    std::uint8_t LoswSeconds = 0;
    std::uint8_t UnavailableSeconds = 0;
};

// Line parameters of one DSL unit.
struct TSimDslLine {
    std::uint8_t State = 3;      // MAIN_DATA_MODE
    std::uint8_t Condition = 1;  // GHS_TRANSFER
    std::uint8_t Reason = 0;     // none
    std::uint8_t Coding = 3;     // TC-PAM32
    std::uint8_t SignalNoise = 24;
    std::uint8_t Quality = 36;
    std::uint8_t Attenuation = 12;
    std::uint8_t BChannels = 31;
    std::uint8_t DChannels = 1;
    TSimDslCounters Counters;
};

// Condition of the line a remote power board feeds.
enum class TPowerLine : std::uint8_t { kNormal = 0, kLeak = 1, kBreak = 2, kShort = 3 };

struct TSimPowerLine {
    TPowerLine Condition = TPowerLine::kNormal;
    std::uint16_t LoadOhms = 4000;
    std::uint16_t LeakTenthsMa = 3;    // leakage of a healthy line
    std::uint16_t BreakVoltage = 150;  // what the line test measures
};

// What the CPU board reports about itself.
struct TSimCpu {
    std::uint8_t Kind = 2;  // 1 ЦП86, 2 ЦП91
    std::uint8_t Major = 3;
    std::uint8_t Minor = 1;
    std::uint8_t Chassis = 16;
    std::uint16_t Load1 = 2500;  // of 10000 per 125 µs frame
    std::uint16_t Load2 = 3;     // of 16 per 2 ms
    double LevelDb = -13.0;      // level at the measurer when it listens to a channel
};

// Which reply the device gives to the alarm poll.
enum class TAlarmReply : std::uint8_t { kRecords, kWord };

}  // namespace tervis::sim
