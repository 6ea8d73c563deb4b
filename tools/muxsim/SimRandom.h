#pragma once

#include <cstdint>

namespace tervis::sim {

// A small seeded generator (SplitMix64). Written out rather than taken from <random> so that a seed gives
// the same fault sequence with every standard library.
class TSimRandom {
public:
    explicit TSimRandom(std::uint64_t seed = 1) : state_(seed) {}

    void Reseed(std::uint64_t seed) { state_ = seed; }

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double NextUnit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

    // Uniform in [0, bound); bound > 0.
    std::uint64_t NextBelow(std::uint64_t bound) { return Next() % bound; }

private:
    std::uint64_t state_;
};

}  // namespace tervis::sim
