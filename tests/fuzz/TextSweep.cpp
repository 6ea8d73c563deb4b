// The mutator of the text targets (scenario scripts, the settings file): first each byte of the seeds
// changed to the values near it, one at a time, then libFuzzer's own mutations.
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "SeedSweep.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    return tervis::fuzz::StartSweep(*argc, *argv, tervis::fuzz::WholeInput, tervis::fuzz::kTextRounds);
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int) {
    if (const auto swept = tervis::fuzz::Sweep().Next(data, maxSize)) {
        return *swept;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
