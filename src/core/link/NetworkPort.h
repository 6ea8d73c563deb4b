#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tervis {

// A port name that reaches the multiplexer over the network instead of a serial device:
// "tcp://HOST:PORT" carries the raw bytes, "rfc2217://HOST:PORT" speaks Telnet with the com port option
// (the terminal server sets its line to 57600 8N1). HOST may be a name, an IPv4 address or an IPv6
// address in brackets ("rfc2217://[::1]:2000").
struct TNetworkPort {
    enum class TKind { Raw, Rfc2217 };
    TKind kind = TKind::Raw;
    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = 0;
};

// True when the name asks for a network port at all (by its scheme), even a malformed one: such a name
// is never a device path.
bool IsNetworkPortName(const std::string& name);

// The parsed name; nothing when it is not a well-formed network port name (no host, a port outside
// 1..65535, an unclosed bracket, anything after the port).
std::optional<TNetworkPort> ParseNetworkPort(const std::string& name);

// The pause before the next attempt to reopen a lost line after `failures` attempts in a row failed:
// firstMs, doubled with each failure, at most longestMs. A terminal server that stays away is asked less
// and less often.
int ReopenDelayMs(int failures, int firstMs, int longestMs);

}  // namespace tervis
