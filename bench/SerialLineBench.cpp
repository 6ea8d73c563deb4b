// Load and read of a fully populated chassis (16 × 4E1) by tervis-cli over a pseudo-terminal, with
// tervis-muxsim pacing a real 57600-baud line, against the wire-time lower bound: every byte of every
// request and answer frame at 10 bits a byte, one after the other (the protocol has one packet in flight).
#include <chrono>
#include <cstdio>
#include <string>

#include "FullChassis.h"
#include "support/Loopback.h"
#include "support/Process.h"

namespace {

using namespace tervis;

constexpr double kBytesPerSecond = 57600.0 / 10.0;

struct TWire {
    std::uint64_t Load = 0;
    std::uint64_t Read = 0;
};

// The frames of both operations, counted on the in-memory line with the same simulator.
TWire WireBytes(const TMux& source) {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    sim::TSimLine line(1);
    auto link = std::make_unique<test::TLoopbackHandler>(mux, line);
    test::TLoopbackHandler& handler = *link;
    mux.SetDeviceLink(std::move(link));
    test::TPumpProgress pump(handler);
    handler.SetProgressFactory(&pump);
    mux.Assign(source);
    TWire wire;
    auto before = handler.bytesToDevice + handler.bytesFromDevice;
    mux.LoadConfiguration();
    wire.Load = handler.bytesToDevice + handler.bytesFromDevice - before;
    before = handler.bytesToDevice + handler.bytesFromDevice;
    mux.ReadConfiguration();
    wire.Read = handler.bytesToDevice + handler.bytesFromDevice - before;
    return wire;
}

double Seconds(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const test::TRunResult result = test::Run(args, std::chrono::seconds(600));
    const auto end = std::chrono::steady_clock::now();
    if (result.Status != 0) {
        std::fprintf(stderr, "%s failed (%d): %s\n", args[1].c_str(), result.Status, result.Err.c_str());
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main() {
    const std::string dir = "/tmp/tervis-serial-bench";
    std::filesystem::create_directories(dir);
    TSettings settings;
    TMux chassis(nullptr, nullptr, settings);
    FillFullChassis(chassis);
    chassis.SaveToFile(dir + "/chassis.mux");
    const TWire wire = WireBytes(chassis);

    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace"});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    const double load = Seconds({TERVIS_CLI_PATH, "load", dir + "/chassis.mux", "--port", sim.Path()});
    const double read = Seconds({TERVIS_CLI_PATH, "read", "-o", dir + "/back.mux", "--port", sim.Path()});
    const double loadBound = static_cast<double>(wire.Load) / kBytesPerSecond;
    const double readBound = static_cast<double>(wire.Read) / kBytesPerSecond;
    std::printf("load: %.2f s, wire bound %.2f s (%llu bytes), ratio %.3f\n", load, loadBound,
                static_cast<unsigned long long>(wire.Load), load / loadBound);
    std::printf("read: %.2f s, wire bound %.2f s (%llu bytes), ratio %.3f\n", read, readBound,
                static_cast<unsigned long long>(wire.Read), read / readBound);
    return load > 0 && read > 0 ? 0 : 1;
}
