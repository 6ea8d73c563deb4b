// Configuration as code: the build of a full chassis from its JSON document in CPU time, and what
// load --verify adds over a plain load on a paced 57600-baud line, against the wire time of the read
// that the verification is.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "FullChassis.h"
#include "core/config/ConfigJson.h"
#include "support/Loopback.h"
#include "support/Process.h"

namespace {

using namespace tervis;

constexpr double kBytesPerSecond = 57600.0 / 10.0;
constexpr double kBuildGoalMs = 20.0;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The frames of one read of source, counted on the in-memory line with the same simulator.
std::uint64_t ReadWireBytes(const TMux& source) {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    sim::TSimLine line(1);
    auto link = std::make_unique<test::TLoopbackHandler>(mux, line);
    test::TLoopbackHandler& handler = *link;
    mux.SetDeviceLink(std::move(link));
    test::TPumpProgress pump(handler);
    handler.SetProgressFactory(&pump);
    mux.Assign(source);
    mux.LoadConfiguration();
    const auto before = handler.bytesToDevice + handler.bytesFromDevice;
    mux.ReadConfiguration();
    return handler.bytesToDevice + handler.bytesFromDevice - before;
}

double Seconds(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const test::TRunResult result = test::Run(args, std::chrono::seconds(900));
    const auto end = std::chrono::steady_clock::now();
    if (result.Status != 0) {
        std::fprintf(stderr, "%s failed (%d): %s\n", args[1].c_str(), result.Status, result.Err.c_str());
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    TSettings settings;
    TMux chassis(nullptr, nullptr, settings);
    FillFullChassis(chassis);
    const std::string document = boards::DumpJson(chassis);

    constexpr int kRounds = 50;
    const double start = CpuSeconds();
    for (int round = 0; round < kRounds; ++round) {
        TSettings scratchSettings;
        TMux built(nullptr, nullptr, scratchSettings);
        if (!boards::BuildFromJson(document, built).empty() || built.Image() != chassis.Image()) {
            std::fprintf(stderr, "the build does not give the chassis back\n");
            return 1;
        }
    }
    const double buildMs = (CpuSeconds() - start) * 1000.0 / kRounds;
    std::printf("build: %.2f ms CPU for %zu bytes of JSON, ratio to the %.0f ms goal %.3f\n", buildMs,
                document.size(), kBuildGoalMs, buildMs / kBuildGoalMs);

    // The paced part takes minutes; "--build-only" leaves it out.
    if (argc > 1 && std::string(argv[1]) == "--build-only") {
        return 0;
    }
    const std::string dir = "/tmp/tervis-config-code-bench";
    std::filesystem::create_directories(dir);
    chassis.SaveToFile(dir + "/chassis.mux");
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace"});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    const double load = Seconds({TERVIS_CLI_PATH, "load", dir + "/chassis.mux", "--port", sim.Path()});
    const double verified =
        Seconds({TERVIS_CLI_PATH, "load", dir + "/chassis.mux", "--verify", "--port", sim.Path()});
    const double read = Seconds({TERVIS_CLI_PATH, "read", "-o", dir + "/back.mux", "--port", sim.Path()});
    const std::uint64_t readBytes = ReadWireBytes(chassis);
    const double bound = static_cast<double>(readBytes) / kBytesPerSecond;
    const double extra = verified - load;
    std::printf(
        "load: %.2f s, load --verify: %.2f s, extra %.2f s; read wire bound %.2f s (%llu bytes), "
        "ratio %.3f\n",
        load, verified, extra, bound, static_cast<unsigned long long>(readBytes), extra / bound);
    // What a plain read takes on the same line: the verification is one read and no more.
    std::printf("read: %.2f s, ratio to the wire bound %.3f; verify's extra / read %.3f\n", read,
                read / bound, extra / read);
    return load > 0 && verified > 0 && read > 0 ? 0 : 1;
}
