#pragma once

// What every fuzz target shares: reading the fuzzer's bytes as a stream of choices and data, and a check
// that stops the run loudly (the fuzzer records the input) when a promise of the code is broken.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <span>
#include <string>
#include <string_view>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace tervis::fuzz {

class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool Empty() const { return bytes_.empty(); }
    std::size_t Remaining() const { return bytes_.size(); }
    // The next byte, or 0 when the input is used up.
    std::uint8_t Byte() {
        if (bytes_.empty()) {
            return 0;
        }
        const std::uint8_t byte = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return byte;
    }
    // Up to count bytes.
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        const std::span<const std::uint8_t> taken = bytes_.first(std::min(count, bytes_.size()));
        bytes_ = bytes_.subspan(taken.size());
        return taken;
    }
    std::span<const std::uint8_t> Rest() { return Bytes(bytes_.size()); }
    std::string Text(std::size_t count) {
        const auto taken = Bytes(count);
        return std::string(taken.begin(), taken.end());
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// Sets the byte to any of its 256 values, or flips one of its bits.
inline void SetOrFlip(std::uint8_t& byte, bool set, std::minstd_rand& random) {
    if (set) {
        byte = static_cast<std::uint8_t>(random() >> 8);
    } else {
        byte ^= static_cast<std::uint8_t>(1U << (random() % 8));
    }
}

// For targets whose faults hide behind particular values of binary fields (a reply's bytes, a file's
// words) rather than behind the input's shape, as their LLVMFuzzerCustomMutator: three in eight
// mutations flip one bit (the step that brings a value closer to what the code compares it with, which
// -use_value_profile rewards), one in eight sets one byte to any of its 256 values, the other half are
// libFuzzer's own. A byte compared with a constant gives libFuzzer no other hint (it records only
// compares of 4 and 8 bytes), and its own mutations seldom change one byte's value. When the fields that
// matter most come first (`head` bytes), three in four of these changes land there. scripts/fuzz keeps
// -len_control on for these targets, which a custom mutator turns off by default.
inline std::size_t MutateByteValues(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                                    std::size_t head = SIZE_MAX) {
    std::minstd_rand random(seed);
    const auto choice = random() % 8;
    if (size == 0 || choice >= 4) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const std::size_t span = random() % 4 != 0 ? std::min(size, head) : size;
    SetOrFlip(data[random() % span], choice == 0, random);
    return size;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, what);
    __builtin_trap();
}

}  // namespace tervis::fuzz

#define FUZZ_CHECK(condition)                                       \
    do {                                                            \
        if (!(condition)) {                                         \
            ::tervis::fuzz::Broken(#condition, __FILE__, __LINE__); \
        }                                                           \
    } while (false)
