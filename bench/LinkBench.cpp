// CPU cost of the whole-device operations of a 16 × 4E1 chassis through the packet handler, the frame
// codec and the simulated multiplexer over an in-memory line: packets per second of CPU time.
#include <benchmark/benchmark.h>

#include "support/Loopback.h"

namespace tervis {
namespace {

struct TBench {
    TBench() {
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
    test::TLinkedProgram linked{mux, line};
    test::TLoopbackHandler* handler = linked.handler;
};

// Runs a whole-device operation on every iteration; the packets it sent count per second of CPU time.
void RunOperation(benchmark::State& state, TBench& bench, bool (TMux::*operation)(), const char* failure) {
    const auto before = bench.handler->transmissions;
    for (auto _ : state) {
        if (!(bench.mux.*operation)()) {
            state.SkipWithError(failure);
        }
    }
    state.counters["packets/s"] = benchmark::Counter(
        static_cast<double>(bench.handler->transmissions - before), benchmark::Counter::kIsRate);
}

void BM_LoadFullChassis(benchmark::State& state) {
    TBench bench;
    RunOperation(state, bench, &TMux::LoadConfiguration, "load did not complete");
}
BENCHMARK(BM_LoadFullChassis)->Unit(benchmark::kMillisecond);

void BM_ReadFullChassis(benchmark::State& state) {
    TBench bench;
    bench.mux.LoadConfiguration();
    RunOperation(state, bench, &TMux::ReadConfiguration, "read did not complete");
}
BENCHMARK(BM_ReadFullChassis)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tervis

BENCHMARK_MAIN();
