// A full-chassis read (16 × 4E1) by tervis-cli against tervis-muxsim pacing a real 57600-baud line,
// once on the pseudo-terminal directly and once each through a real ser2net (Telnet with the com port
// option, and raw TCP) on 127.0.0.1, each as a ratio to the wire-time lower bound; then the longest stall
// of an event loop while the link connects to an address that drops every connection attempt.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>

#include "LineBench.h"
#include "core/model/Mux.h"
#include "platform/SerialPacketHandler.h"
#include "support/DroppingListener.h"
#include "support/Ser2net.h"

namespace {

using namespace tervis;

double ReadSeconds(const std::string& dir, const std::string& port) {
    return bench::Seconds({TERVIS_CLI_PATH, "read", "-o", dir + "/back.mux", "--port", port});
}

// The longest gap between two turns of the event loop while a link tries the dropping address (port 0:
// the same loop with no link, the reference on this machine).
double LongestStallMs(std::uint16_t port, int runMs) {
    TSettings settings;
    settings.device = "rfc2217://127.0.0.1:" + std::to_string(port);
    TMux mux(nullptr, nullptr, settings);
    if (port != 0) {
        mux.SetDeviceLink(std::make_unique<TSerialPacketHandler>(mux));
    }
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    last = clock.nsecsElapsed();
    beat.start();
    QTimer::singleShot(runMs, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return static_cast<double>(longest) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string dir = "/tmp/tervis-terminal-server-bench";
    const bench::TChassisFile chassis(dir);
    const double bound = bench::WireSeconds(bench::WireBytes(chassis.Mux).Read);

    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace", "--config", chassis.File});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    const double direct = ReadSeconds(dir, sim.Path());
    std::printf("read on the pseudo-terminal:      %.2f s, wire bound %.2f s, ratio %.3f\n", direct, bound,
                direct / bound);
    bool ok = direct > 0;
    if (test::Ser2netInstalled()) {
        for (const bool rfc2217 : {true, false}) {
            test::TSer2net server(dir, sim.Path(), rfc2217);
            if (!server.Start()) {
                std::fprintf(stderr, "ser2net did not start: %s\n", server.Log().c_str());
                return 1;
            }
            const double through = ReadSeconds(dir, server.Name());
            std::printf(
                "read through ser2net (%-7s): %.2f s, wire bound %.2f s, ratio %.3f (%.3f of direct)\n",
                rfc2217 ? "rfc2217" : "raw", through, bound, through / bound, through / direct);
            ok = ok && through > 0;
        }
    } else {
        std::printf("ser2net is not installed: no reads through it\n");
    }

    const test::TDroppingListener blackHole;
    if (blackHole.Port() != 0) {
        const double idle = LongestStallMs(0, 7000);
        const double stall = LongestStallMs(blackHole.Port(), 7000);
        std::printf(
            "longest event-loop stall while connecting to a dropping address: %.1f ms; idle loop %.1f ms "
            "(ratio %.2f); against the 50 ms link tick: ratio %.2f\n",
            stall, idle, stall / idle, stall / 50.0);
    }
    return ok ? 0 : 1;
}
