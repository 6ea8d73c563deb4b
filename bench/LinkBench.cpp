// CPU cost of the whole-device operations of a 16 × 4E1 chassis through the packet handler, the frame
// codec and the simulated multiplexer over an in-memory line: packets per second of CPU time.
#include <benchmark/benchmark.h>

#include "support/Loopback.h"

namespace tervis {
namespace {

struct TBench {
    TBench() {
        auto link = std::make_unique<test::TLoopbackHandler>(mux, line);
        handler = link.get();
        mux.SetDeviceLink(std::move(link));
        pump = std::make_unique<test::TPumpProgress>(*handler);
        handler->SetProgressFactory(pump.get());
        for (int slot = 0; slot < kSlotCount; ++slot) {
            mux.SetSlotType(slot, {bt4E1, 0, 0});
        }
        for (int slot = 0; slot + 1 < kSlotCount; slot += 2) {
            mux.LinkAll(slot, slot + 1);
        }
    }
    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
    sim::TSimLine line{1};
    test::TLoopbackHandler* handler = nullptr;
    std::unique_ptr<test::TPumpProgress> pump;
};

void BM_LoadFullChassis(benchmark::State& state) {
    TBench bench;
    const auto before = bench.handler->transmissions;
    for (auto _ : state) {
        if (!bench.mux.LoadConfiguration()) {
            state.SkipWithError("load did not complete");
        }
    }
    state.counters["packets/s"] = benchmark::Counter(
        static_cast<double>(bench.handler->transmissions - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadFullChassis)->Unit(benchmark::kMillisecond);

void BM_ReadFullChassis(benchmark::State& state) {
    TBench bench;
    bench.mux.LoadConfiguration();
    const auto before = bench.handler->transmissions;
    for (auto _ : state) {
        if (!bench.mux.ReadConfiguration()) {
            state.SkipWithError("read did not complete");
        }
    }
    state.counters["packets/s"] = benchmark::Counter(
        static_cast<double>(bench.handler->transmissions - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadFullChassis)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tervis

BENCHMARK_MAIN();
