#pragma once

#include <cstdint>

namespace tervis {

// The two bytes of a 16-bit value; the device takes configuration words high byte first.
constexpr std::uint8_t High(std::uint16_t value) {
    return static_cast<std::uint8_t>(value >> 8);
}
constexpr std::uint8_t Low(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// Bit n of a value, counted from the least significant.
constexpr bool Bit(unsigned value, int n) {
    return ((value >> n) & 1U) != 0;
}

}  // namespace tervis
