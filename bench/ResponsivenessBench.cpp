// How responsive the main window stays while it reads a fully populated chassis (16 × 4E1, every channel
// linked) from tervis-muxsim pacing a real 57600-baud line: a 1 ms timer in the GUI thread records every gap
// between its ticks, in the main loop and in the progress window's modal loop alike. The longest gap is the
// longest time the operator's clicks and repaints had to wait. Run with QT_QPA_PLATFORM=offscreen or on a
// display.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "FullChassis.h"
#include "core/model/Mux.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/GuiSeams.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/SilentDialogs.h"

namespace {

using namespace tervis;

// The gaps between the ticks of a 1 ms timer, in milliseconds.
class TStallMonitor : public QObject {
public:
    TStallMonitor() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            gaps.push_back(static_cast<double>(now - last_) / 1e6);
            at.push_back(static_cast<double>(now) / 1e6);
            last_ = now;
        });
    }
    void Start() {
        gaps.clear();
        at.clear();
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void Stop() { timer_.stop(); }

    std::vector<double> gaps;
    std::vector<double> at;  // when each gap ended, ms after the start

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tervis-responsiveness-bench";
    std::filesystem::create_directories(dir);
    {
        TSettings settings;
        TMux chassis(nullptr, nullptr, settings);
        FillFullChassis(chassis);
        chassis.SaveToFile((dir / "chassis.mux").string());
    }
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace", "--config", (dir / "chassis.mux").string()});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    std::ofstream(dir / "tervis.ini", std::ios::binary) << "[SETTINGS]\r\ndevice=" << sim.Path() << "\r\n";

    test::TSilentDialogs dialogs;
    TSettings settings;
    TConfigForm window({"tervis"}, dir, settings, dialogs);
    window.show();
    if (!test::PumpUntil([&] { return window.Connected(); }, 20000)) {
        std::fprintf(stderr, "no link with the simulator\n");
        return 1;
    }
    test::PumpUntil([] { return false; }, 500);  // the first polls and paints settle

    TStallMonitor monitor;
    QElapsedTimer readTime;
    bool done = false;
    QTimer::singleShot(0, [&] {
        readTime.start();
        window.ReadItemClick();  // returns when the progress window's loop ends
        done = true;
    });
    monitor.Start();
    test::PumpUntil([&] { return done; }, 600000);
    monitor.Stop();
    const double seconds = static_cast<double>(readTime.elapsed()) / 1000.0;

    std::vector<double> gaps = monitor.gaps;
    std::vector<std::size_t> order(gaps.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return gaps[a] > gaps[b]; });
    for (std::size_t i = 0; i < std::min<std::size_t>(order.size(), 5); ++i) {
        std::printf("gap %.2f ms ending %.0f ms into the read\n", gaps[order[i]], monitor.at[order[i]]);
    }
    if (gaps.empty() || window.Model().SlotBoardType(kSlotCount - 1) != bt4E1) {
        std::fprintf(stderr, "the read did not complete\n");
        return 1;
    }
    std::sort(gaps.begin(), gaps.end());
    const double longest = gaps.back();
    const double p99 = gaps[gaps.size() * 99 / 100];
    const auto over = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g >= 16.0; });
    std::printf("full read over a paced 57600-baud line: %.1f s, %zu timer ticks\n", seconds, gaps.size());
    std::printf(
        "GUI event-loop stall: longest %.2f ms (goal < 16 ms, ratio %.2f), 99th percentile %.2f ms, "
        "%lld gaps of 16 ms or more\n",
        longest, longest / 16.0, p99, static_cast<long long>(over));
    return 0;
}
