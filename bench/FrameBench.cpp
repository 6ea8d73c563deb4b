// Checksum and frame decoding against a bare table loop over the same bytes: the codec should cost
// little more than the one table look-up per byte it cannot avoid.
#include <benchmark/benchmark.h>

#include <random>

#include "core/link/Frame.h"

namespace tervis {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// A stream of frames of typical reply length (40 bytes of packet).
std::vector<std::uint8_t> FrameStream(std::size_t packets) {
    std::vector<std::uint8_t> stream;
    const std::vector<std::uint8_t> payload = RandomBytes(40 * packets);
    for (std::size_t i = 0; i < packets; ++i) {
        EncodeFrame(std::span(payload.data() + 40 * i, 40), stream);
    }
    return stream;
}

// The reference: one look-up per byte in a 256-entry table, nothing else.
void BM_BareTableLoop(benchmark::State& state) {
    const auto bytes = FrameStream(4096);
    std::array<std::uint16_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<std::uint16_t>(i * 0x1021u);
    }
    for (auto _ : state) {
        std::uint16_t crc = 0;
        for (std::uint8_t b : bytes) {
            crc = static_cast<std::uint16_t>(table[(crc ^ b) & 0xFF] ^ (crc >> 8));
        }
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_BareTableLoop);

void BM_Checksum(benchmark::State& state) {
    const auto bytes = FrameStream(4096);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Checksum(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Checksum);

void BM_FrameDecode(benchmark::State& state) {
    const auto bytes = FrameStream(4096);
    std::size_t frames = 0;
    TFrameDecoder decoder([&](const TFrameDecoder::TBuffer&, std::size_t) { ++frames; });
    for (auto _ : state) {
        decoder.Feed(bytes);
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_FrameDecode);

}  // namespace
}  // namespace tervis

BENCHMARK_MAIN();
