#include "core/link/NetworkPort.h"

#include <algorithm>
#include <string_view>

namespace tervis {

namespace {

constexpr std::string_view kRawScheme = "tcp://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::string_view(text).substr(0, prefix.size()) == prefix;
}

std::optional<std::uint16_t> ParsePortNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

bool IsNetworkPortName(const std::string& name) {
    return StartsWith(name, kRawScheme) || StartsWith(name, kRfc2217Scheme);
}

std::optional<TNetworkPort> ParseNetworkPort(const std::string& name) {
    TNetworkPort result;
    std::string_view rest;
    if (StartsWith(name, kRawScheme)) {
        result.kind = TNetworkPort::TKind::Raw;
        rest = std::string_view(name).substr(kRawScheme.size());
    } else if (StartsWith(name, kRfc2217Scheme)) {
        result.kind = TNetworkPort::TKind::Rfc2217;
        rest = std::string_view(name).substr(kRfc2217Scheme.size());
    } else {
        return std::nullopt;
    }
    std::string_view host;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        portText = rest.substr(close + 2);
        if (host.find(':') == std::string_view::npos) {
            return std::nullopt;  // brackets are for IPv6 addresses only
        }
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        host = rest.substr(0, colon);
        portText = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos) {
            return std::nullopt;  // an IPv6 address needs its brackets
        }
    }
    if (host.empty()) {
        return std::nullopt;
    }
    for (const char c : host) {
        // Names, IPv4 and IPv6 literals only: no blanks, paths, user parts or control characters.
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '-' || c == '_' || c == ':' || c == '%';
        if (!ok) {
            return std::nullopt;
        }
    }
    const std::optional<std::uint16_t> port = ParsePortNumber(portText);
    if (!port) {
        return std::nullopt;
    }
    result.host = std::string(host);
    result.port = *port;
    return result;
}

int ReopenDelayMs(int failures, int firstMs, int longestMs) {
    long long delay = firstMs;
    for (int i = 0; i < failures && delay < longestMs; ++i) {
        delay *= 2;
    }
    return static_cast<int>(std::min<long long>(delay, longestMs));
}

}  // namespace tervis
