#pragma once

// A first, deterministic stage for the targets of binary formats, before their random mutations: every
// byte of every field of the seeds is set, one at a time, to each of its other 255 values. The faults of a
// decoder hide behind one value of one byte of one record (a type, a flag, a count), and random mutation
// finds such a value in a long time when the seeds are many: a byte of one reply among a thousand, set
// to the one value among 256. The sweep tries them all in a bounded number of runs, early in every run,
// and the random stage then works from what it found. Rounds go over all positions, each round changing
// every byte in the same way (first the eight single-bit flips, where flags hide, then the other 247
// changes in order), so that every seed gets its share from the start.
//
// The seeds are the files in the corpus folders on the fuzzer's command line, read when it starts;
// the sweep covers at most kMaxPositions bytes of the first files in name order, and files over
// kMaxSeedBytes are left out.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace tervis::fuzz {

class TSeedSweep {
public:
    // Where a target's mutable fields lie in an input: spans into the bytes given.
    using TFields = std::vector<std::span<std::uint8_t>> (*)(std::uint8_t* data, std::size_t size);

    static constexpr std::size_t kMaxPositions = 4096;
    static constexpr std::size_t kMaxSeedBytes = 1 << 16;

    // Reads the seeds from the folders among the arguments (the fuzzer's options start with '-'); the
    // sweep runs the first `rounds` rounds.
    void Load(int argc, char** argv, TFields fields, std::size_t rounds) {
        rounds_ = std::min(rounds, kRounds.size());
        std::vector<std::filesystem::path> files;
        for (int i = 1; i < argc; ++i) {
            if (argv[i][0] == '-') {
                continue;
            }
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(argv[i], error)) {
                if (entry.is_regular_file(error) && entry.file_size(error) <= kMaxSeedBytes) {
                    files.push_back(entry.path());
                }
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<std::uint8_t> seed{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
            if (seed.empty()) {
                continue;
            }
            const std::size_t index = seeds_.size();
            for (const auto field : fields(seed.data(), seed.size())) {
                for (std::size_t k = 0; k < field.size() && positions_.size() < kMaxPositions; ++k) {
                    positions_.push_back({index, static_cast<std::size_t>(field.data() - seed.data()) + k});
                }
            }
            seeds_.push_back(std::move(seed));
            if (positions_.size() >= kMaxPositions) {
                break;
            }
        }
    }

    // Writes the next variant into data and gives its size; nothing once every variant was given.
    // Variants longer than maxSize are passed over.
    std::optional<std::size_t> Next(std::uint8_t* data, std::size_t maxSize) {
        const std::size_t total = positions_.size() * rounds_;
        while (next_ < total) {
            const std::uint8_t round = kRounds[next_ / positions_.size()];
            const TPosition& at = positions_[next_ % positions_.size()];
            ++next_;
            const std::vector<std::uint8_t>& seed = seeds_[at.Seed];
            if (seed.size() > maxSize) {
                continue;
            }
            std::copy(seed.begin(), seed.end(), data);
            data[at.Offset] = static_cast<std::uint8_t>(seed[at.Offset] ^ round);
            return seed.size();
        }
        return std::nullopt;
    }

    std::size_t Variants() const { return positions_.size() * rounds_; }

private:
    // What each round XORs into the byte: the single-bit flips, then every other change.
    static constexpr std::array<std::uint8_t, 255> kRounds = [] {
        std::array<std::uint8_t, 255> rounds{};
        std::size_t at = 0;
        for (int bit = 0; bit < 8; ++bit) {
            rounds[at++] = static_cast<std::uint8_t>(1U << bit);
        }
        for (unsigned change = 1; change < 256; ++change) {
            if ((change & (change - 1)) != 0) {
                rounds[at++] = static_cast<std::uint8_t>(change);
            }
        }
        return rounds;
    }();

    struct TPosition {
        std::size_t Seed;
        std::size_t Offset;
    };
    std::vector<std::vector<std::uint8_t>> seeds_;
    std::vector<TPosition> positions_;
    std::size_t rounds_ = 0;
    std::size_t next_ = 0;
};

// The one sweep of a fuzz target.
inline TSeedSweep& Sweep() {
    static TSeedSweep sweep;
    return sweep;
}

// For LLVMFuzzerInitialize: loads the seeds' fields into the sweep and says how many variants it holds.
// Binary fields take every value; text needs only the first sixteen rounds (kTextRounds), which turn a
// digit into another digit, a letter into a nearby one or into its other case.
constexpr std::size_t kTextRounds = 16;
inline int StartSweep(int argc, char** argv, TSeedSweep::TFields fields, std::size_t rounds = 255) {
    Sweep().Load(argc, argv, fields, rounds);
    std::fprintf(stderr, "seed sweep: %zu variants\n", Sweep().Variants());
    return 0;
}

// For text targets: every byte is a field.
inline std::vector<std::span<std::uint8_t>> WholeInput(std::uint8_t* data, std::size_t size) {
    return {std::span<std::uint8_t>(data, size)};
}

}  // namespace tervis::fuzz
