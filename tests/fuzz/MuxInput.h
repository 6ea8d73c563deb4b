#pragma once

// What the two ".mux" targets share: an input of arbitrary bytes and length loaded into a model.
//
// An input as long as a file (65534 bytes or more) is a ".mux" file: it loads its first 65534 bytes,
// which a save writes back unchanged.
//
// A shorter input is refused as a file, with the model untouched, and is then read as a compact
// configuration: slot by slot from slot 0, twelve words each (the board type, the two parameter words and
// the block words W0..W8), then the settings record, then the link and signalling tables, every word low
// byte first; what it leaves out is what a new configuration holds. A fault behind one slot's settings
// then hides a few bytes from the start of an input (24 bytes for a board in slot 0), not somewhere in
// 64 KB, and the seeds are a board each.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "core/model/Mux.h"

namespace tervis::fuzz {

// One slot's record, and the slot records and the settings record, of a compact input.
constexpr std::size_t kCompactSlotBytes = (3 + kBlockWords) * 2;
constexpr std::size_t kCompactHeadBytes = kSlotCount * kCompactSlotBytes + kMuxSettingsWords * 2;
// An input as long as a file is loaded as one.
constexpr std::size_t kFileBytes = image::kWords * 2;

// What the seed sweep goes through: the first slot's record of a compact input, which is the whole of a
// board's seed.
inline std::vector<std::span<std::uint8_t>> FirstSlotRecord(std::uint8_t* data, std::size_t size) {
    if (size >= kFileBytes) {
        return {};
    }
    return {std::span<std::uint8_t>(data, std::min(size, kCompactSlotBytes))};
}

// The image words in the order a compact input gives them.
inline const std::vector<std::size_t>& CompactOrder() {
    static const std::vector<std::size_t> order = [] {
        std::vector<std::size_t> words;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const auto s = static_cast<std::size_t>(slot);
            words.insert(words.end(), {image::kSlotTypes + s, image::kParam1 + s, image::kParam2 + s});
            for (int k = 0; k < kBlockWords; ++k) {
                words.push_back(image::BlockWord(slot, k));
            }
        }
        for (int k = 0; k < kMuxSettingsWords; ++k) {
            words.push_back(image::kMuxSettings + static_cast<std::size_t>(k));
        }
        for (int e = 0; e < 2 * kEndpointCount; ++e) {
            words.push_back(image::kLinks + static_cast<std::size_t>(e));  // then the signalling table
        }
        return words;
    }();
    return order;
}

inline void LoadMuxFile(TMux& mux, const std::uint8_t* data, std::size_t size) {
    static TSettings settings;
    static const std::string kNewFile = TMux(nullptr, nullptr, settings).FileBytes();
    const std::string_view bytes = AsText(data, size);

    // Something for a refused file to leave alone: a change, also to a model that loaded an input before.
    mux.SetSlotType(3, TSlotType{static_cast<std::uint8_t>(mux.SlotBoardType(3) == 7 ? 8 : 7), 0, 0});
    const TConfigImage before = mux.Image();
    if (mux.LoadFileBytes(bytes)) {
        FUZZ_CHECK(size >= kFileBytes && !mux.Modified());
        FUZZ_CHECK(mux.FileBytes() == bytes.substr(0, kFileBytes));
        return;
    }
    FUZZ_CHECK(size < kFileBytes && mux.Image() == before && mux.Modified());
    static std::string whole;  // made once: a fresh 64 KB string per input is slow under ASan
    whole = kNewFile;
    const std::vector<std::size_t>& order = CompactOrder();
    for (std::size_t i = 0; i < size && i / 2 < order.size(); ++i) {
        whole[2 * order[i / 2] + i % 2] = bytes[i];
    }
    FUZZ_CHECK(mux.LoadFileBytes(whole) && !mux.Modified());
}

}  // namespace tervis::fuzz
