#include "core/model/BoardTypes.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>

#include "core/base/Errors.h"

namespace tervis {

namespace {

struct TTypeEntry {
    const char* Name;  // nullptr: no name of its own
    int Channels;
};

// Codes 0..33; codes 4, 5, 6, 21, 30, 31 are unnamed and channel-less, 17 and 28 unnamed with channels.
constexpr std::array<TTypeEntry, kBoardTypeCodes> kCatalogue = {{
    {"---", 0},       // 0
    {"4ТЧ", 4},       // 1
    {"4АЛ", 4},       // 2
    {"4AK", 4},       // 3  Latin A, K
    {nullptr, 0},     // 4
    {nullptr, 0},     // 5
    {nullptr, 0},     // 6
    {"1E1", 32},      // 7
    {"4V24", 4},      // 8
    {"4MБ", 4},       // 9  Latin M, Cyrillic Б
    {"4E1", 128},     // 10
    {"4СЛУ", 4},      // 11
    {"2VS", 64},      // 12
    {"4И15", 64},     // 13
    {"АДИКМ", 96},    // 14
    {"4C64", 4},      // 15 Latin C
    {"LAN", 32},      // 16
    {nullptr, 32},    // 17
    {"8AK", 8},       // 18 Latin A, K
    {"4C1И", 4},      // 19 Latin C, Cyrillic И
    {"4ТЧУ", 4},      // 20
    {nullptr, 0},     // 21
    {"4ToP", 128},    // 22
    {"1DSL", 32},     // 23
    {"4DSL", 128},    // 24
    {"ТЛМ", 0},       // 25
    {"ДП", 0},        // 26
    {"4TLG", 4},      // 27
    {nullptr, 32},    // 28
    {"4DSLv2", 128},  // 29
    {nullptr, 0},     // 30
    {nullptr, 0},     // 31
    {"ЦП", 0},        // 32
    {"4DSL'", 128},   // 33
}};

bool OneOf(std::uint8_t type, std::initializer_list<int> codes) {
    for (int code : codes) {
        if (type == code) {
            return true;
        }
    }
    return false;
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

bool IsE1Framed(std::uint8_t type) {
    return OneOf(type, {7, 10, 13, 22});
}
bool IsNotBulkLinkable(std::uint8_t type) {
    return OneOf(type, {0, 12, 14, 16, 32});
}
bool HasStreamEndpointNames(std::uint8_t type) {
    return OneOf(type, {10, 14, 22});
}
bool IsGroupBoard(std::uint8_t type) {
    return OneOf(type, {12, 16});
}

int GroupSourceWidth(std::uint8_t type) {
    if (OneOf(type, {7, 10, 22, 23})) {
        return 32;
    }
    if (type == 13) {
        return 16;
    }
    if (OneOf(type, {24, 29, 33})) {
        return 64;
    }
    return 0;
}

bool HasSignallingEditor(std::uint8_t type) {
    return OneOf(type, {7, 10, 13, 22, 23, 24, 29, 33});
}
bool HasStreamState(std::uint8_t type) {
    return OneOf(type, {7, 10, 13, 15, 22, 23});
}
bool HasInformationDialog(std::uint8_t type) {
    return OneOf(type, {7, 10, 22, 13, 15, 19, 23, 24, 29, 26, 32});
}
bool HasFourStreamLeds(std::uint8_t type) {
    return OneOf(type, {7, 10, 13, 19, 22, 24, 27, 29});
}
bool CanStartTrace(std::uint8_t type) {
    return !OneOf(type, {0, 12, 32});
}
bool ShowsTraceMessages(std::uint8_t type) {
    return OneOf(type, {1, 2, 3, 7, 9, 10, 11, 13, 20, 22, 23, 24, 29, 33});
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
