#pragma once

// The whole-program tests' chassis: sixteen 4E1 boards (or fewer) with random links, the generator and
// signalling, and a settings record that is not the default, so that a read needs every request; and
// the command line of tervis-cli.

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/model/Mux.h"

namespace tervis::test {

inline void WriteBusyChassis(const std::filesystem::path& name, std::uint32_t seed, int boards = kSlotCount,
                             int links = 300) {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    std::mt19937 random(seed);
    for (int slot = 0; slot < boards; ++slot) {
        mux.SetSlotType(slot, {bt4E1, 0, 0});
    }
    for (int i = 0; i < links; ++i) {
        const int a = static_cast<int>(random() % static_cast<unsigned>(boards));
        const int b = static_cast<int>(random() % static_cast<unsigned>(boards));
        const int ca = 1 + static_cast<int>(random() % 127);
        const int cb = 1 + static_cast<int>(random() % 127);
        i % 9 == 0 ? mux.LinkGenerator(a, ca) : mux.LinkBoth(a, ca, b, cb);
        mux.StoreSignalling(MakeEndpoint(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(ca)),
                            static_cast<std::uint16_t>(random() & 0xFF));
    }
    mux.SetMuxSettings({0, 16, 96, 96, 96, 96, 2, 255, 254, 0x41});
    mux.SaveToFile(name);
}

#ifdef TERVIS_CLI_PATH
inline std::vector<std::string> Cli(std::vector<std::string> args) {
    args.insert(args.begin(), TERVIS_CLI_PATH);
    return args;
}
#endif

}  // namespace tervis::test
