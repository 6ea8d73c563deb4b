#include "core/link/Address.h"

#include <optional>

#include "core/model/BoardTypes.h"

namespace tervis {

namespace {

constexpr const char* kBadFormat = "Неверный формат адреса";
constexpr const char* kTooLong = "Слишком большая длина адреса";

// Plain decimal digits of any length, blanks around them allowed; nothing else. Leading zeros change
// nothing; the value saturates, so a long run of digits stays out of range instead of wrapping into it.
std::optional<unsigned> ParseNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr unsigned kSaturated = 1000;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value >= kSaturated ? kSaturated : value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

std::uint8_t ParseEnd(std::string_view text) {
    std::string_view slotText = text;
    std::string_view portText = "0";
    const std::size_t lastComma = text.rfind(',');
    if (lastComma != std::string_view::npos) {
        portText = text.substr(lastComma + 1);
        const std::string_view before = text.substr(0, lastComma);
        const std::size_t previousComma = before.rfind(',');
        slotText = previousComma == std::string_view::npos ? before : before.substr(previousComma + 1);
    }
    const std::optional<unsigned> slot = ParseNumber(slotText);
    const std::optional<unsigned> port = ParseNumber(portText);
    if (!slot || !port || *slot > 15 || *port > 3) {
        throw EAddressError(kBadFormat);
    }
    return static_cast<std::uint8_t>(*port * 16 + *slot);
}

}  // namespace

std::vector<std::uint8_t> ParseAddressPath(std::string_view text) {
    std::vector<std::uint8_t> path;
    if (text.empty()) {
        return path;
    }
    std::string input(text);
    if (input.back() != ';') {
        input += ';';
    }
    std::string piece;
    std::optional<std::string> endA;
    for (char c : input) {
        if (c == '-') {
            endA = piece;
            piece.clear();
        } else if (c == ';') {
            if (!endA) {
                throw EAddressError(kBadFormat);  // a hop without "-"
            }
            path.push_back(ParseEnd(*endA));
            path.push_back(ParseEnd(piece));
            if (path.size() > kMaxAddressBytes) {
                throw EAddressError(kTooLong);
            }
            endA.reset();
            piece.clear();
        } else {
            piece += c;
        }
    }
    return path;
}

std::string FormatAddressPath(const std::vector<std::uint8_t>& path) {
    std::string text;
    for (std::size_t i = 0; i + 1 < path.size(); i += 2) {
        text += Format("%d,%d-", path[i] & 15, path[i] >> 4);
        text += Format("%d,%d;", path[i + 1] & 15, path[i + 1] >> 4);
    }
    return text;
}

}  // namespace tervis
