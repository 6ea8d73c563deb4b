// Load and read of a fully populated chassis (16 × 4E1) by tervis-cli over a pseudo-terminal, with
// tervis-muxsim pacing a real 57600-baud line, against the wire-time lower bound: every byte of every
// request and answer frame at 10 bits a byte, one after the other (the protocol has one packet in flight).
#include <cstdio>
#include <string>

#include "LineBench.h"

int main() {
    using namespace tervis;
    const std::string dir = "/tmp/tervis-serial-bench";
    const bench::TChassisFile chassis(dir);
    const bench::TWireBytes wire = bench::WireBytes(chassis.Mux);

    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace"});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    const double load = bench::Seconds({TERVIS_CLI_PATH, "load", chassis.File, "--port", sim.Path()});
    const double read =
        bench::Seconds({TERVIS_CLI_PATH, "read", "-o", dir + "/back.mux", "--port", sim.Path()});
    const double loadBound = bench::WireSeconds(wire.Load);
    const double readBound = bench::WireSeconds(wire.Read);
    std::printf("load: %.2f s, wire bound %.2f s (%llu bytes), ratio %.3f\n", load, loadBound,
                static_cast<unsigned long long>(wire.Load), load / loadBound);
    std::printf("read: %.2f s, wire bound %.2f s (%llu bytes), ratio %.3f\n", read, readBound,
                static_cast<unsigned long long>(wire.Read), read / readBound);
    return load > 0 && read > 0 ? 0 : 1;
}
