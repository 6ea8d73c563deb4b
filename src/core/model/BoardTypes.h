#pragma once

#include "core/base/Format.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tervis {

constexpr int kSlotCount = 16;  // board slots 0..15
constexpr int kCpuSlot = 16;    // index of the CPU position
constexpr int kChannelsPerSlot = 128;
constexpr int kEndpointCount = kSlotCount * kChannelsPerSlot;  // 2048
constexpr int kUnitCount = 8;  // units (streams, ports) per slot in the status containers

constexpr std::uint16_t kEndpointGenerator = 0xFFFE;
constexpr std::uint16_t kEndpointNone = 0xFFFF;

// Board type codes that other code names explicitly.
enum TBoardType : std::uint8_t {
    btNone = 0,
    bt4TCh = 1,
    bt4AL = 2,
    bt4AK = 3,
    bt1E1 = 7,
    bt4V24 = 8,
    bt4MB = 9,
    bt4E1 = 10,
    bt4SLU = 11,
    bt2VS = 12,
    bt4I15 = 13,
    btADPCM = 14,
    bt4C64 = 15,
    btLAN = 16,
    bt8AK = 18,
    bt4C1I = 19,
    bt4TChU = 20,
    bt4ToP = 22,
    bt1DSL = 23,
    bt4DSL = 24,
    btTLM = 25,
    btDP = 26,
    bt4TLG = 27,
    bt4DSLv2 = 29,
    btCPU = 32,
    bt4DSLAlt = 33,
};

constexpr int kBoardTypeCodes = 34;  // codes 0..33 have catalogue entries

// Channel count of a type code; 0 for codes without channels and every code above 33.
int TypeChannelCount(unsigned type);

// The short name shown everywhere; "---" for no board, "?(N)" for codes without a name.
std::string BoardTypeName(std::uint8_t type);
// Whether the code has a name of its own (the board-type picker offers these, except the CPU).
bool BoardTypeHasName(std::uint8_t type);

// "отс.", "раб.", "блк." or "?(N)".
std::string SlotStateName(std::uint8_t state);

constexpr std::uint16_t MakeEndpoint(std::uint8_t slot, std::uint8_t channel) {
    return static_cast<std::uint16_t>(channel | (slot << 7));
}
constexpr bool IsEndpoint(std::uint16_t value) {
    return value < kEndpointCount;
}
constexpr std::uint8_t EndpointSlotOf(std::uint16_t endpoint) {
    return (endpoint >> 7) & 15;
}
constexpr std::uint8_t EndpointChannelOf(std::uint16_t endpoint) {
    return endpoint & 127;
}

// Per-type properties.
bool IsE1Framed(std::uint8_t type);              // bulk linking skips channels 0, 16, 32, ...
bool IsNotBulkLinkable(std::uint8_t type);       // no "link all"; slot drag only copies
bool HasStreamEndpointNames(std::uint8_t type);  // endpoint text shows port and timeslot
bool IsGroupBoard(std::uint8_t type);            // 2VS, LAN
int GroupSourceWidth(std::uint8_t type);         // stream width one group may span; 0 if not a group source
bool HasSignallingEditor(std::uint8_t type);
bool HasStreamState(std::uint8_t type);  // stream alarms and the alarm log
bool HasInformationDialog(std::uint8_t type);
bool HasFourStreamLeds(std::uint8_t type);
bool CanStartTrace(std::uint8_t type);
bool ShowsTraceMessages(std::uint8_t type);

// abcd/active nibbles as the operator sees them: IntToBin(5, 4) is "0101".
std::string IntToBin(unsigned value, int digits);
// Reads '0'/'1' characters; anything else, or an empty text, raises EConvertError.
int BinToInt(std::string_view text);

}  // namespace tervis
