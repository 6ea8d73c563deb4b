#pragma once

// What the two ".mux" targets share: a file of arbitrary bytes and length loaded into a model. A file
// shorter than the image is refused with the model untouched; a longer one loads its first 65534 bytes,
// which a save writes back unchanged. A short input is then loaded as the start of a file whose rest is
// that of a new configuration (unconnected channels, default signalling and settings), so that the views
// see what its bytes would mean in a whole file: the slot types, parameters and first block words of
// every slot are in its first 256 bytes. All of it in memory: the file functions read and write these
// same bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "core/model/Mux.h"

namespace tervis::fuzz {

inline void LoadMuxFile(TMux& mux, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kFileBytes = image::kWords * 2;
    static TSettings settings;
    static const std::string kNewFile = TMux(nullptr, nullptr, settings).FileBytes();
    const std::string_view bytes = AsText(data, size);

    mux.SetSlotType(3, TSlotType{7, 0, 0});  // something for a refused file to leave alone
    const TConfigImage before = mux.Image();
    if (mux.LoadFileBytes(bytes)) {
        FUZZ_CHECK(size >= kFileBytes && !mux.Modified());
        FUZZ_CHECK(mux.FileBytes() == bytes.substr(0, kFileBytes));
        return;
    }
    FUZZ_CHECK(size < kFileBytes && mux.Image() == before && mux.Modified());
    static std::string whole;  // made once: a fresh 64 KB string per input is slow under ASan
    whole.assign(bytes);
    whole.append(kNewFile, size);
    FUZZ_CHECK(mux.LoadFileBytes(whole) && !mux.Modified());
}

}  // namespace tervis::fuzz
