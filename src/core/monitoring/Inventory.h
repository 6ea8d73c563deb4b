#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/settings/IniFile.h"

namespace tervis {

// An inventory that cannot be used; what() is the operator's message.
class EInventoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One multiplexer of the inventory: the section's name is its "mux" label.
struct TInventoryEntry {
    std::string Name;
    std::string Port;                   // any port name the configurator opens
    std::vector<std::uint8_t> Address;  // empty: the multiplexer on the port itself
    int Rs485Id = 0;
};

// The multiplexers reached through one port, in inventory order: they share one line.
struct TInventoryPort {
    std::string Port;
    std::vector<TInventoryEntry> Muxes;
};

constexpr std::size_t kMaxInventoryMuxes = 1024;

// Every section of the file, with its keys port (required), address (optional, an address path) and
// rs485id (0..19, absent: 0). Throws EInventoryError naming the section at the first bad entry, and for
// an inventory without multiplexers or with more than kMaxInventoryMuxes.
std::vector<TInventoryEntry> ReadInventory(const TProfileFile& file);
// The entries grouped by port, ports in the order of their first multiplexer.
std::vector<TInventoryPort> GroupByPort(const std::vector<TInventoryEntry>& entries);

}  // namespace tervis
