// The cross-connect field on a full chassis: sixteen 4E1 boards with every channel linked. A redraw after
// a click, a redraw after the pointer moved to another button (each with the repaint that follows), and
// opening the window up to its first paint. Run with QT_QPA_PLATFORM=offscreen or on a display.
#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

#include "core/model/Mux.h"
#include "gui/crossconnect/UJackField.h"

namespace {

using namespace tervis;

// Every channel of slot s linked both ways to the same channel of slot s xor 1.
void FillChassis(TMux& mux) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        mux.SetSlotType(slot, {bt4E1, 0, 0});
    }
    for (int slot = 0; slot < kSlotCount; slot += 2) {
        for (int channel = 0; channel < kChannelsPerSlot; ++channel) {
            mux.LinkBoth(slot, channel, slot + 1, channel);
        }
    }
}

struct TFixture {
    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
    TFixture() { FillChassis(mux); }
    // Opens the field on the chassis, up to its first paint.
    void Show(TJackFieldForm& form) {
        form.Load(mux);
        form.show();
        QCoreApplication::processEvents();
    }
};

void BM_RefreshAfterClick(benchmark::State& state) {
    TFixture f;
    TJackFieldForm form;
    f.Show(form);
    TFieldButton* button = form.TrunkButton(0, 5);
    for (auto _ : state) {
        button->click();                    // breaks the link of slot 0 channel 5 and redraws
        QCoreApplication::processEvents();  // the repaint of what changed
        state.PauseTiming();
        f.mux.LinkBoth(0, 5, 1, 5);
        form.Refresh();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RefreshAfterClick)->Unit(benchmark::kMicrosecond);

void BM_RefreshOnHoverChange(benchmark::State& state) {
    TFixture f;
    TJackFieldForm form;
    f.Show(form);
    TFieldButton* buttons[2] = {form.TrunkButton(0, 5), form.TrunkButton(3, 20)};
    int next = 0;
    for (auto _ : state) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(buttons[next], &leave);
        next ^= 1;
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(buttons[next], &enter);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshOnHoverChange)->Unit(benchmark::kMicrosecond);

void BM_OpenField(benchmark::State& state) {
    TFixture f;
    for (auto _ : state) {
        TJackFieldForm form;
        f.Show(form);
        benchmark::DoNotOptimize(form.isVisible());
    }
}
BENCHMARK(BM_OpenField)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
