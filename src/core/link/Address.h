#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tervis {

// An address path the operator typed that cannot be used; what() is the operator's message.
class EAddressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::size_t kMaxAddressBytes = 30;  // 15 hops of two bytes

// "3,1-7,0;..." → two bytes per hop (port × 16 + slot of each end). The port of an end and the final
// semicolon may be left out. Throws EAddressError with "Неверный формат адреса" or
// "Слишком большая длина адреса".
std::vector<std::uint8_t> ParseAddressPath(std::string_view text);

// The inverse: "%d,%d-%d,%d;" per hop; empty for the empty path.
std::string FormatAddressPath(const std::vector<std::uint8_t>& path);

}  // namespace tervis
