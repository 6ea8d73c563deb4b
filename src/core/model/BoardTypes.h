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

// Per-type properties, one flag each, kept in the catalogue's row of the type.
enum TBoardTrait : std::uint32_t {
    kE1Framed = 1u << 0,             // bulk linking skips channels 0, 16, 32, ...
    kNotBulkLinkable = 1u << 1,      // no "link all"; a slot drag only copies
    kStreamEndpointNames = 1u << 2,  // endpoint text shows port and timeslot
    kGroupBoard = 1u << 3,           // 2VS, LAN
    kSignallingEditor = 1u << 4,     // the signalling-bit editor opens for it
    kStreamState = 1u << 5,          // stream alarms and the alarm log
    kInformationDialog = 1u << 6,    // an information dialog opens for it
    kFourStreamLeds = 1u << 7,       // the tile shows four stream lamps
    kNoTrace = 1u << 8,              // no port trace can be started
    kTraceMessages = 1u << 9,        // its trace messages are shown
    kCasPolls = 1u << 10,            // selected for information: CAS snapshots are polled
    kStatePoll = 1u << 11,           // selected for information: its state is polled
    kDslPoll = 1u << 12,             // selected for information: the DSL line is polled
    kCasRecords = 1u << 13,          // CAS replies fill the 15-byte CAS records
};
bool HasTrait(std::uint8_t type, TBoardTrait trait);

inline bool IsE1Framed(std::uint8_t type) {
    return HasTrait(type, kE1Framed);
}
inline bool IsNotBulkLinkable(std::uint8_t type) {
    return HasTrait(type, kNotBulkLinkable);
}
inline bool HasStreamEndpointNames(std::uint8_t type) {
    return HasTrait(type, kStreamEndpointNames);
}
inline bool IsGroupBoard(std::uint8_t type) {
    return HasTrait(type, kGroupBoard);
}
inline bool HasSignallingEditor(std::uint8_t type) {
    return HasTrait(type, kSignallingEditor);
}
inline bool HasStreamState(std::uint8_t type) {
    return HasTrait(type, kStreamState);
}
inline bool HasInformationDialog(std::uint8_t type) {
    return HasTrait(type, kInformationDialog);
}
inline bool HasFourStreamLeds(std::uint8_t type) {
    return HasTrait(type, kFourStreamLeds);
}
inline bool ShowsTraceMessages(std::uint8_t type) {
    return HasTrait(type, kTraceMessages);
}
inline bool HasCasPolls(std::uint8_t type) {
    return HasTrait(type, kCasPolls);
}
inline bool HasStatePoll(std::uint8_t type) {
    return HasTrait(type, kStatePoll);
}
inline bool HasDslPoll(std::uint8_t type) {
    return HasTrait(type, kDslPoll);
}
inline bool HasCasRecords(std::uint8_t type) {
    return HasTrait(type, kCasRecords);
}
inline bool CanStartTrace(std::uint8_t type) {
    return !HasTrait(type, kNoTrace);
}
// Stream width one group may span; 0 if the type is not a group source.
int GroupSourceWidth(std::uint8_t type);

// abcd/active nibbles as the operator sees them: IntToBin(5, 4) is "0101".
std::string IntToBin(unsigned value, int digits);
// Reads '0'/'1' characters; anything else, or an empty text, raises EConvertError.
int BinToInt(std::string_view text);

}  // namespace tervis
