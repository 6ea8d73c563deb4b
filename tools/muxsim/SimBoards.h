#pragma once

#include <cstdint>

namespace tervis::sim {

// The device's own view of the board types it can hold. Kept apart from the configurator's catalogue on
// purpose: the simulator must not inherit a fault of the side it is testing.
namespace board {
enum TBoardType : std::uint8_t {
    kNone = 0,
    k4TCh = 1,
    k4AL = 2,
    k4AK = 3,
    k1E1 = 7,
    k4MB = 9,
    k4E1 = 10,
    k4SLU = 11,
    k2VS = 12,
    k4I15 = 13,
    k4C64 = 15,
    k4C1I = 19,
    k4TChU = 20,
    k4ToP = 22,
    k1DSL = 23,
    k4DSL = 24,
    kDP = 26,
    k4TLG = 27,
    k4DSLv2 = 29,
    kCpu = 32,
    k4DSLExt = 33,
};
}  // namespace board

// Channels a board of the type offers (0 for unknown codes).
int BoardChannels(std::uint8_t type);

// Streams (ports) a board monitors: the units its state, alarm and counter records exist for.
int BoardStreams(std::uint8_t type);

// Boards that report the framed-stream state record (alarm flags and slip/error counters).
bool ReportsStreamState(std::uint8_t type);

// Boards whose channels carry CAS, and so have received/transmitted signalling snapshots.
bool CarriesCas(std::uint8_t type);

// DSL boards that answer the line status poll.
bool IsDslBoard(std::uint8_t type);

// Boards whose block W1 holds a "stream not used" bit per set (bit 4k).
bool HasStreamOffBits(std::uint8_t type);

// Boards that can act as a clock source for the multiplexer.
bool CanSupplyClock(std::uint8_t type);

// Boards with a line-signalling trace (every board except an empty slot, a 2VS and the CPU).
bool CanTrace(std::uint8_t type);

}  // namespace tervis::sim
