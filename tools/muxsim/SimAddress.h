#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervis::sim {

// Address paths as the simulator's options and scenarios write them: hops "slotA,portA-slotB,portB"
// separated by ";" (a final ";" and the ",port" parts may be left out). Each end becomes one byte,
// port × 16 + slot, as the device reads it from a request. Written apart from the configurator so that
// a fault in one side's reading of paths is caught by the other.
std::optional<std::vector<std::uint8_t>> ParsePath(std::string_view text);

// "slotA,portA-slotB,portB;" per hop.
std::string FormatPath(const std::vector<std::uint8_t>& path);

}  // namespace tervis::sim
