#include "core/model/BoardTypes.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "core/base/Errors.h"

namespace tervis {

namespace {

struct TTypeEntry {
    const char* Name;  // nullptr: no name of its own
    int Channels;
    int GroupWidth;  // stream width one group may span; 0 if not a group source
    std::uint32_t Traits;
};

// Codes 0..33; codes 4, 5, 6, 21, 30, 31 are unnamed and channel-less, 17 and 28 unnamed with channels.
// One row per code holds everything the program knows of a type.
constexpr std::array<TTypeEntry, kBoardTypeCodes> kCatalogue = {{
    {"---", 0, 0, kNotBulkLinkable | kNoTrace},  // 0
    {"4ТЧ", 4, 0, kTraceMessages},               // 1
    {"4АЛ", 4, 0, kTraceMessages},               // 2
    {"4AK", 4, 0, kTraceMessages},               // 3  Latin A, K
    {nullptr, 0, 0, 0},                          // 4
    {nullptr, 0, 0, 0},                          // 5
    {nullptr, 0, 0, 0},                          // 6
    {"1E1", 32, 32,
     kE1Framed | kSignallingEditor | kStreamState | kInformationDialog | kFourStreamLeds | kTraceMessages |
         kCasPolls | kStatePoll | kCasRecords},  // 7
    {"4V24", 4, 0, 0},                           // 8
    {"4MБ", 4, 0, kTraceMessages},               // 9  Latin M, Cyrillic Б
    {"4E1", 128, 32,
     kE1Framed | kStreamEndpointNames | kSignallingEditor | kStreamState | kInformationDialog |
         kFourStreamLeds | kTraceMessages | kCasPolls | kStatePoll | kCasRecords},  // 10
    {"4СЛУ", 4, 0, kTraceMessages},                                                 // 11
    {"2VS", 64, 0, kNotBulkLinkable | kGroupBoard | kNoTrace},                      // 12
    {"4И15", 64, 16,
     kE1Framed | kSignallingEditor | kStreamState | kInformationDialog | kFourStreamLeds | kTraceMessages |
         kCasPolls | kStatePoll},                                       // 13
    {"АДИКМ", 96, 0, kNotBulkLinkable | kStreamEndpointNames},          // 14
    {"4C64", 4, 0, kStreamState | kInformationDialog | kStatePoll},     // 15 Latin C
    {"LAN", 32, 0, kNotBulkLinkable | kGroupBoard},                     // 16
    {nullptr, 32, 0, 0},                                                // 17
    {"8AK", 8, 0, 0},                                                   // 18 Latin A, K
    {"4C1И", 4, 0, kInformationDialog | kFourStreamLeds | kStatePoll},  // 19 Latin C, Cyrillic И
    {"4ТЧУ", 4, 0, kTraceMessages},                                     // 20
    {nullptr, 0, 0, 0},                                                 // 21
    {"4ToP", 128, 32,
     kE1Framed | kStreamEndpointNames | kSignallingEditor | kStreamState | kInformationDialog |
         kFourStreamLeds | kTraceMessages | kCasPolls | kStatePoll | kCasRecords},  // 22
    {"1DSL", 32, 32,
     kSignallingEditor | kStreamState | kInformationDialog | kTraceMessages | kCasPolls | kStatePoll |
         kDslPoll | kCasRecords},  // 23
    {"4DSL", 128, 64,
     kSignallingEditor | kInformationDialog | kFourStreamLeds | kTraceMessages | kCasPolls | kDslPoll |
         kCasRecords},                              // 24
    {"ТЛМ", 0, 0, 0},                               // 25
    {"ДП", 0, 0, kInformationDialog | kStatePoll},  // 26
    {"4TLG", 4, 0, kFourStreamLeds},                // 27
    {nullptr, 32, 0, 0},                            // 28
    {"4DSLv2", 128, 64,
     kSignallingEditor | kInformationDialog | kFourStreamLeds | kTraceMessages | kCasPolls | kDslPoll |
         kCasRecords},                                               // 29
    {nullptr, 0, 0, 0},                                              // 30
    {nullptr, 0, 0, 0},                                              // 31
    {"ЦП", 0, 0, kNotBulkLinkable | kInformationDialog | kNoTrace},  // 32
    {"4DSL'", 128, 64, kSignallingEditor | kTraceMessages},          // 33
}};

const TTypeEntry* Entry(std::uint8_t type) {
    return type < kCatalogue.size() ? &kCatalogue[type] : nullptr;
}

}  // namespace

int TypeChannelCount(unsigned type) {
    return type < kCatalogue.size() ? kCatalogue[type].Channels : 0;
}

bool BoardTypeHasName(std::uint8_t type) {
    return type < kCatalogue.size() && kCatalogue[type].Name != nullptr;
}

std::string BoardTypeName(std::uint8_t type) {
    if (BoardTypeHasName(type)) {
        return kCatalogue[type].Name;
    }
    return Format("?(%d)", type);
}

std::string SlotStateName(std::uint8_t state) {
    switch (state) {
        case 0:
            return "отс.";
        case 1:
            return "раб.";
        case 2:
            return "блк.";
        default:
            return Format("?(%d)", state);
    }
}

bool HasTrait(std::uint8_t type, TBoardTrait trait) {
    const TTypeEntry* entry = Entry(type);
    return entry != nullptr && (entry->Traits & trait) != 0;
}

int GroupSourceWidth(std::uint8_t type) {
    const TTypeEntry* entry = Entry(type);
    return entry != nullptr ? entry->GroupWidth : 0;
}

std::string IntToBin(unsigned value, int digits) {
    std::string text;
    for (int bit = digits - 1; bit >= 0; --bit) {
        text += ((bit < 32 && (value >> bit) & 1U) != 0) ? '1' : '0';
    }
    return text;
}

int BinToInt(std::string_view text) {
    const auto fail = [&] {
        throw EConvertError(Format("Ошибка в ходе преобразования двоичного числа %.*s в целое число.",
                                   static_cast<int>(text.size()), text.data()));
    };
    if (text.empty()) {
        fail();
    }
    // Unsigned so that an overlong text wraps instead of overflowing; callers pass at most 8 digits.
    unsigned value = 0;
    for (char c : text) {
        if (c != '0' && c != '1') {
            fail();
        }
        value = value * 2U + static_cast<unsigned>(c - '0');
    }
    return static_cast<int>(value);
}

}  // namespace tervis
