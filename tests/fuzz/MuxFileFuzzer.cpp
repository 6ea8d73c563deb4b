// A ".mux" file of arbitrary bytes (see MuxInput.h), loaded, saved and then looked at slot by slot: the
// settings of every board's block, its signalling grid and LAN capacity. What tervis-cli prints of a file,
// the mismatch report, the connection list and the cross-connect field are the mux_views target's, so
// that this one stays fast.
#include <cstdint>
#include <string>
#include <vector>

#include "MuxInput.h"
#include "SeedSweep.h"
#include "core/boards/BlockFields.h"
#include "core/diagnostics/SignallingGrid.h"
#include "core/model/Recorders.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    return tervis::fuzz::StartSweep(*argc, *argv, tervis::fuzz::FirstSlotRecord);
}

// First every value of every byte of each seed's first slot record (a board type's record in a board's
// seed); then byte values and bit flips, most of them in the slot and settings records.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    if (const auto swept = tervis::fuzz::Sweep().Next(data, maxSize)) {
        return *swept;
    }
    return tervis::fuzz::MutateByteValues(data, size, maxSize, seed, tervis::fuzz::kCompactHeadBytes);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervis;
    static TSettings settings;
    // One model for every input: a load replaces the whole image, and making a model costs more than
    // most inputs.
    static test::TOperatorRecorder messages;
    static TMux mux(nullptr, &messages, settings);
    messages.Messages.clear();
    messages.Reports.clear();
    fuzz::LoadMuxFile(mux, data, size);

    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::uint8_t type = mux.SlotBoardType(slot);
        const TBoardConfig block = mux.GetBoardConfig(slot);
        (void)boards::DescribeBlock(type, block);
        (void)casgrid::LayoutFor(type, slot);
        (void)mux.FreeLanTimeslots(slot);
        (void)mux.GroupCapacity(slot);
    }
    return 0;
}
