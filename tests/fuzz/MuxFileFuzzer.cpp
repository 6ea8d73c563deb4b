// A ".mux" file of arbitrary bytes (see MuxInput.h), loaded, saved and then shown the ways a loaded file
// is looked at slot by slot: the settings of every board's block, its signalling grid and LAN capacity,
// the mismatch report against a new configuration and the connection list. What tervis-cli prints of a
// file and the cross-connect field are the mux_views target's, so that this one stays fast.
#include <cstdint>
#include <string>
#include <vector>

#include "MuxInput.h"
#include "core/boards/BlockFields.h"
#include "core/crossconnect/ConnectionList.h"
#include "core/diagnostics/SignallingGrid.h"
#include "core/model/Recorders.h"

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    return tervis::fuzz::MutateByteValues(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervis;
    static TSettings settings;
    static const TMux empty(nullptr, nullptr, settings);
    test::TOperatorRecorder messages;
    TMux mux(nullptr, &messages, settings);
    fuzz::LoadMuxFile(mux, data, size);

    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint8_t type = mux.SlotBoardType(slot);
        const TBoardConfig block = mux.GetBoardConfig(slot);
        (void)boards::DescribeBlock(type, block);
        (void)casgrid::LayoutFor(type, slot);
        (void)mux.FreeLanTimeslots(slot);
        (void)mux.GroupCapacity(slot);
    }
    FUZZ_CHECK(mux.CompareWith(empty) == !mux.MismatchLines(empty).empty());
    (void)ConnectionListLines(mux);
    return 0;
}
