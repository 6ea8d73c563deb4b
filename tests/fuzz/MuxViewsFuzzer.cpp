// A ".mux" file of arbitrary bytes (see MuxInput.h) shown the ways the programs show a whole file: the
// text and JSON dumps of tervis-cli (the JSON built back into the same image), the mismatch report
// against a new configuration, the connection list, the name of every endpoint and of its link, and the
// cross-connect field page by page.
#include <cstdint>
#include <string>
#include <vector>

#include "FileCommands.h"
#include "MuxInput.h"
#include "core/config/ConfigJson.h"
#include "core/crossconnect/ConnectionList.h"
#include "core/crossconnect/JackField.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervis;
    static TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    fuzz::LoadMuxFile(mux, data, size);

    (void)cli::DumpLines(mux);
    const std::string json = cli::DumpJson(mux);
    FUZZ_CHECK(!json.empty() && json.back() == '\n');
    // Whatever a file holds, its document builds the same file again.
    TSettings builtSettings;
    TMux built(nullptr, nullptr, builtSettings);
    FUZZ_CHECK(boards::BuildFromJson(json, built).empty() && built.Image() == mux.Image());
    static const TMux empty(nullptr, nullptr, settings);
    FUZZ_CHECK(mux.CompareWith(empty) == !mux.MismatchLines(empty).empty());
    (void)ConnectionListLines(mux);
    for (std::uint16_t endpoint = 0; endpoint < kEndpointCount;
         endpoint = static_cast<std::uint16_t>(endpoint + 1)) {
        (void)mux.EndpointName(endpoint);
        (void)mux.EndpointName(endpoint, TMux::TEndpointNaming::ConnectionList);
        (void)mux.LinkName(endpoint);
    }

    // The trunk rows, then the port columns.
    TJackField field(mux);
    for (bool more = true; more; more = field.TrunkDownEnabled() && (field.TrunkDown(), true)) {
        for (int row = 0; row < TJackField::kTrunkRows; ++row) {
            if (field.TrunkRowVisible(row)) {
                (void)field.TrunkRowLabel(row);
                for (int tag = 0; tag < TJackField::kTrunkButtons; ++tag) {
                    (void)field.TrunkButton(row, tag);
                }
            }
        }
    }
    for (bool more = true; more; more = field.PortDownEnabled() && (field.PortDown(), true)) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (field.PortRowVisible(slot)) {
                (void)field.PortRowLabel(slot);
                for (int column = 0; column < TJackField::kPortColumnsShown; ++column) {
                    (void)field.PortButton(slot, column);
                }
            }
        }
    }
    (void)field.GeneratorButton();
    (void)field.MeasurerButton();
    return 0;
}
