#include "SimAddress.h"

namespace tervis::sim {

namespace {

constexpr unsigned kMaxSlot = 15;
constexpr unsigned kMaxPort = 3;
constexpr std::size_t kMaxHops = 15;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Decimal digits of any length; the value saturates so that a long run of digits stays out of range
// instead of wrapping into it.
std::optional<unsigned> Number(std::string_view text, unsigned max) {
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value > 1000 ? value : value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

std::optional<std::uint8_t> End(std::string_view text) {
    const std::size_t comma = text.find(',');
    const auto slot = Number(text.substr(0, comma), kMaxSlot);
    const auto port = comma == std::string_view::npos ? std::optional<unsigned>(0)
                                                      : Number(text.substr(comma + 1), kMaxPort);
    if (!slot || !port)
        return std::nullopt;
    return static_cast<std::uint8_t>(*port * 16 + *slot);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ParsePath(std::string_view text) {
    std::vector<std::uint8_t> path;
    if (!text.empty() && text.back() == ';')
        text.remove_suffix(1);
    while (!text.empty()) {
        const std::size_t semicolon = text.find(';');
        const std::string_view hop = text.substr(0, semicolon);
        const std::size_t dash = hop.find('-');
        if (dash == std::string_view::npos)
            return std::nullopt;
        const auto a = End(hop.substr(0, dash));
        const auto b = End(hop.substr(dash + 1));
        if (!a || !b || path.size() / 2 == kMaxHops)
            return std::nullopt;
        path.push_back(*a);
        path.push_back(*b);
        if (semicolon == std::string_view::npos)
            break;
        text.remove_prefix(semicolon + 1);
        if (text.empty())
            return std::nullopt;  // ";;"
    }
    return path;
}

std::string FormatPath(const std::vector<std::uint8_t>& path) {
    const auto end = [](std::uint8_t byte) {
        return std::to_string(byte & 15) + ',' + std::to_string(byte >> 4);
    };
    std::string text;
    for (std::size_t i = 0; i + 1 < path.size(); i += 2) {
        text += end(path[i]) + '-' + end(path[i + 1]) + ';';
    }
    return text;
}

}  // namespace tervis::sim
