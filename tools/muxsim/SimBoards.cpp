#include "SimBoards.h"

#include <array>

namespace tervis::sim {

namespace {

// What a board does beyond carrying channels.
constexpr std::uint8_t kStreamState = 1;  // reports the framed-stream state record
constexpr std::uint8_t kCas = 2;          // its channels carry CAS
constexpr std::uint8_t kClock = 4;        // can be the multiplexer's clock source

struct TBoardEntry {
    std::uint8_t Channels;
    std::uint8_t Streams;
    std::uint8_t Traits = 0;
};

// Indexed by type code 0..33; codes without a board have neither channels nor streams.
constexpr std::array<TBoardEntry, 34> kBoards = {{
    {0, 0},                                  // 0 no board
    {4, 0},                                  // 1 4ТЧ
    {4, 0},                                  // 2 4АЛ
    {4, 0},                                  // 3 4AK
    {0, 0},                                  // 4
    {0, 0},                                  // 5
    {0, 0},                                  // 6
    {32, 1, kStreamState | kCas | kClock},   // 7 1E1
    {4, 0},                                  // 8 4V24
    {4, 0},                                  // 9 4MБ
    {128, 4, kStreamState | kCas | kClock},  // 10 4E1
    {4, 0},                                  // 11 4СЛУ
    {64, 0},                                 // 12 2VS
    {64, 4, kStreamState | kCas | kClock},   // 13 4И15
    {96, 0},                                 // 14 АДИКМ
    {4, 4, kStreamState},                    // 15 4C64
    {32, 0},                                 // 16 LAN
    {32, 0},                                 // 17
    {8, 0},                                  // 18 8AK
    {4, 4},                                  // 19 4C1И
    {4, 0},                                  // 20 4ТЧУ
    {0, 0},                                  // 21
    {128, 4, kStreamState | kCas | kClock},  // 22 4ToP
    {32, 1, kStreamState | kCas | kClock},   // 23 1DSL
    {128, 8, kCas | kClock},  // 24 4DSL: four sets, each with CAS #1 and CAS #2 (unit = CAS × 4 + set)
    {0, 0},                   // 25 ТЛМ
    {0, 1},                   // 26 ДП
    {4, 4},                   // 27 4TLG
    {32, 0},                  // 28
    {128, 8, kCas | kClock},  // 29 4DSLv2
    {0, 0},                   // 30
    {0, 0},                   // 31
    {0, 0},                   // 32 CPU
    {128, 0, kCas},           // 33 4DSL' (its sets are reported by the 4DSL it extends)
}};

bool HasTrait(std::uint8_t type, std::uint8_t trait) {
    return type < kBoards.size() && (kBoards[type].Traits & trait) != 0;
}

}  // namespace

int BoardChannels(std::uint8_t type) {
    return type < kBoards.size() ? kBoards[type].Channels : 0;
}

int BoardStreams(std::uint8_t type) {
    return type < kBoards.size() ? kBoards[type].Streams : 0;
}

bool ReportsStreamState(std::uint8_t type) {
    return HasTrait(type, kStreamState);
}

bool CarriesCas(std::uint8_t type) {
    return HasTrait(type, kCas);
}

bool IsDslBoard(std::uint8_t type) {
    return type == board::k1DSL || type == board::k4DSL || type == board::k4DSLv2;
}

bool HasStreamOffBits(std::uint8_t type) {
    return type == board::k4E1 || type == board::k4ToP || type == board::k4I15;
}

bool CanSupplyClock(std::uint8_t type) {
    return HasTrait(type, kClock);
}

bool CanTrace(std::uint8_t type) {
    return type != board::kNone && type != board::k2VS && type != board::kCpu;
}

}  // namespace tervis::sim
