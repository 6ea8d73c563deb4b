// Start-up of the main window to its first paint, as a ratio to a bare Qt main window (menu bar, toolbar,
// status bar) started the same way in the same run; and the idle CPU of the running program polling a
// silent port. Run with QT_QPA_PLATFORM=offscreen or on a display.
#include <QApplication>
#include <QElapsedTimer>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "BareWindow.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/GuiSeams.h"
#include "support/Process.h"
#include "support/SilentDialogs.h"

namespace {

using namespace tervis;

// Answers nothing: the benchmark never asks anything.
using test::TSilentDialogs;

// Notices the first paint of a window.
class TPaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

template <typename Make>
double MillisecondsToFirstPaint(Make make) {
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QWidget> window = make();
    TPaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    while (!watch.painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    window->close();
    window.reset();
    QCoreApplication::processEvents();
    return ms;
}

// From starting the program to its line "painted" (its main window's first paint).
double MillisecondsToPaintedLine(const char* program) {
    QElapsedTimer timer;
    timer.start();
    test::TSimulatorProcess process({program});
    const auto line = process.FirstLine();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (line != "painted") {
        std::fprintf(stderr, "%s did not paint: %s\n", program, process.Stderr().c_str());
    }
    process.WaitExit();
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tervis-gui-bench";
    std::filesystem::create_directories(dir);
    {
        std::ofstream ini(dir / "tervis.ini", std::ios::binary);
        ini << "[SETTINGS]\r\ndevice=" << (dir / "no-port").string() << "\r\n";
    }
    std::filesystem::current_path(dir);
    TSilentDialogs dialogs;
    TSettings settings;

    std::vector<double> bare;
    std::vector<double> tervis;
    for (int round = 0; round < 15; ++round) {
        bare.push_back(MillisecondsToFirstPaint([] { return std::unique_ptr<QWidget>(MakeBareWindow()); }));
        tervis.push_back(MillisecondsToFirstPaint([&] {
            settings = TSettings{};
            return std::unique_ptr<QWidget>(new TConfigForm({"tervis"}, dir, settings, dialogs));
        }));
    }
    const double bareMs = Median(bare);
    const double tervisMs = Median(tervis);
    std::printf("start-up to first paint: main window %.2f ms, bare Qt main window %.2f ms, ratio %.2f\n",
                tervisMs, bareMs, tervisMs / bareMs);

    // A line where nobody answers (a simulator listening to another number): the program starts without a
    // word about its port, and then polls it.
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--id", "5"});
    {
        std::ofstream ini(dir / "tervis.ini", std::ios::binary);
        ini << "[SETTINGS]\r\ndevice=" << sim.Path() << "\r\n";
    }
    // The same from the start of a process: the configurator's own start against a bare Qt program.
    std::vector<double> bareProcess;
    std::vector<double> tervisProcess;
    for (int round = 0; round < 15; ++round) {
        bareProcess.push_back(MillisecondsToPaintedLine(TERVIS_BARE_PATH));
        tervisProcess.push_back(MillisecondsToPaintedLine(TERVIS_PROBE_PATH));
    }
    std::printf(
        "process start to first paint: configurator %.1f ms, bare Qt Widgets program %.1f ms, "
        "ratio %.2f\n",
        Median(tervisProcess), Median(bareProcess), Median(tervisProcess) / Median(bareProcess));

    // Idle CPU: the program polling that port.
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(TERVIS_PATH, TERVIS_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    sleep(2);  // settle
    const double cpuStart = test::CpuSeconds(pid);
    constexpr int kSeconds = 10;
    sleep(kSeconds);
    const double cpu = test::CpuSeconds(pid) - cpuStart;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::printf("idle CPU polling a silent port: %.2f%% of one core (%.3f s in %d s)\n",
                100.0 * cpu / kSeconds, cpu, kSeconds);
    return 0;
}
