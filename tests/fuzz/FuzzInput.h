#pragma once

// What every fuzz target shares: reading the fuzzer's bytes as a stream of choices and data, and a check
// that stops the run loudly (the fuzzer records the input) when a promise of the code is broken.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

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
