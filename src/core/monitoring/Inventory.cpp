#include "core/monitoring/Inventory.h"

#include "core/base/Format.h"
#include "core/link/Address.h"

namespace tervis {

std::vector<TInventoryEntry> ReadInventory(const TProfileFile& file) {
    const std::vector<std::string> sections = file.Sections();
    if (sections.empty()) {
        throw EInventoryError("В описании нет ни одного мультиплексора");
    }
    if (sections.size() > kMaxInventoryMuxes) {
        throw EInventoryError(Format("В описании больше %zu мультиплексоров", kMaxInventoryMuxes));
    }
    std::vector<TInventoryEntry> entries;
    for (const std::string& name : sections) {
        TInventoryEntry entry;
        entry.Name = name;
        entry.Port = file.GetString(name, "port", "");
        if (entry.Port.empty()) {
            throw EInventoryError(Format("[%s]: не указан порт (port)", name.c_str()));
        }
        const std::string address = file.GetString(name, "address", "");
        try {
            entry.Address = ParseAddressPath(address);
        } catch (const EAddressError& error) {
            throw EInventoryError(Format("[%s]: %s: %s", name.c_str(), error.what(), address.c_str()));
        }
        const std::string id = file.GetString(name, "rs485id", "");
        if (!id.empty()) {
            const std::optional<long long> value = ParseDecimal(id);
            if (!value || *value < 0 || *value > 19) {
                throw EInventoryError(
                    Format("[%s]: номер устройства должен быть от 0 до 19: %s", name.c_str(), id.c_str()));
            }
            entry.Rs485Id = static_cast<int>(*value);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<TInventoryPort> GroupByPort(const std::vector<TInventoryEntry>& entries) {
    std::vector<TInventoryPort> ports;
    for (const TInventoryEntry& entry : entries) {
        auto port = ports.begin();
        while (port != ports.end() && port->Port != entry.Port) {
            ++port;
        }
        if (port == ports.end()) {
            ports.push_back({entry.Port, {}});
            port = ports.end() - 1;
        }
        port->Muxes.push_back(entry);
    }
    return ports;
}

}  // namespace tervis
