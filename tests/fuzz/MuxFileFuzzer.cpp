// A ".mux" file of arbitrary bytes and length, loaded, saved and then shown the ways the program shows a
// file: the text and JSON dumps of tervis-cli (the JSON built back into the same image), the connection
// list, the block settings, the mismatch report and the cross-connect field. A file shorter than the
// image is refused with the model untouched; a longer one loads its first 65534 bytes, which a save
// writes back unchanged. A short input is then also tried as the start of a file whose rest is that of a
// new configuration (unconnected channels, default signalling and settings), so that the views see what
// its bytes would mean in a whole file: the slot types, parameters and first block words of every slot
// are in its first 256 bytes. All of it in memory: the file functions read and write these same bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "FileCommands.h"
#include "FuzzInput.h"
#include "core/boards/BlockFields.h"
#include "core/config/ConfigJson.h"
#include "core/crossconnect/ConnectionList.h"
#include "core/crossconnect/JackField.h"
#include "core/diagnostics/SignallingGrid.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"

namespace {

using namespace tervis;

constexpr std::size_t kFileBytes = image::kWords * 2;

void ShowEverything(TMux& mux) {
    const std::vector<std::string> lines = cli::DumpLines(mux);
    const std::string json = cli::DumpJson(mux);
    FUZZ_CHECK(!json.empty() && json.back() == '\n');
    // Whatever a file holds, its document builds the same file again.
    TSettings builtSettings;
    TMux built(nullptr, nullptr, builtSettings);
    FUZZ_CHECK(boards::BuildFromJson(json, built).empty() && built.Image() == mux.Image());
    const std::vector<std::string> connections = ConnectionListLines(mux);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint8_t type = mux.SlotBoardType(slot);
        const TBoardConfig block = mux.GetBoardConfig(slot);
        (void)boards::DescribeBlock(type, block);
        (void)casgrid::LayoutFor(type, slot);
        (void)mux.FreeLanTimeslots(slot);
        (void)mux.GroupCapacity(slot);
    }
    for (std::uint16_t endpoint = 0; endpoint < kEndpointCount;
         endpoint = static_cast<std::uint16_t>(endpoint + 1)) {
        (void)mux.EndpointName(endpoint);
        (void)mux.EndpointName(endpoint, TMux::TEndpointNaming::ConnectionList);
        (void)mux.LinkName(endpoint);
    }

    static TSettings settings;
    static const TMux empty(nullptr, nullptr, settings);
    FUZZ_CHECK(mux.CompareWith(empty) == !mux.MismatchLines(empty).empty());

    // The cross-connect field, page by page: the trunk rows, then the port columns.
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TSettings settings;
    static const std::string kNewFile = TMux(nullptr, nullptr, settings).FileBytes();
    const std::string bytes(fuzz::AsText(data, size));

    test::TOperatorRecorder messages;
    TMux mux(nullptr, &messages, settings);
    mux.SetSlotType(3, TSlotType{7, 0, 0});  // something for a refused file to leave alone
    const TConfigImage before = mux.Image();
    const bool loaded = mux.LoadFileBytes(bytes);
    FUZZ_CHECK(loaded == (size >= kFileBytes));

    std::string whole = bytes;
    if (!loaded) {
        FUZZ_CHECK(mux.Image() == before && mux.Modified());
        whole += kNewFile.substr(size);
        FUZZ_CHECK(mux.LoadFileBytes(whole));
    }
    whole.resize(kFileBytes);
    FUZZ_CHECK(!mux.Modified());
    FUZZ_CHECK(mux.FileBytes() == whole);
    ShowEverything(mux);
    return 0;
}
