// Configuration as code: the build of a full chassis from its JSON document in CPU time, and what
// load --verify adds over a plain load on a paced 57600-baud line, against the wire time of the read
// that the verification is.
#include <time.h>

#include <cstdio>
#include <string>

#include "LineBench.h"
#include "core/config/ConfigJson.h"

namespace {

using namespace tervis;

constexpr double kBuildGoalMs = 20.0;
// Each paced run is taken this many times, in turn with the others, and the shortest kept.
constexpr int kPacedRounds = 3;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::TChassisFile file("/tmp/tervis-config-code-bench");
    const TMux& chassis = file.Mux;
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
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace"});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "tervis-muxsim did not start\n");
        return 1;
    }
    const std::vector<double> best =
        bench::BestSeconds({{TERVIS_CLI_PATH, "load", file.File, "--port", sim.Path()},
                            {TERVIS_CLI_PATH, "load", file.File, "--verify", "--port", sim.Path()},
                            {TERVIS_CLI_PATH, "read", "-o", dir + "/back.mux", "--port", sim.Path()}},
                           kPacedRounds);
    const double load = best[0];
    const double verified = best[1];
    const double read = best[2];
    const std::uint64_t readBytes = bench::WireBytes(chassis).Read;
    const double bound = bench::WireSeconds(readBytes);
    const double extra = verified - load;
    std::printf("best of %d runs each, taken in turn\n", kPacedRounds);
    std::printf(
        "load: %.2f s, load --verify: %.2f s, extra %.2f s; read wire bound %.2f s (%llu bytes), "
        "ratio %.3f\n",
        load, verified, extra, bound, static_cast<unsigned long long>(readBytes), extra / bound);
    // What a plain read takes on the same line: the verification is one read and no more.
    std::printf("read: %.2f s, ratio to the wire bound %.3f; verify's extra / read %.3f\n", read,
                read / bound, extra / read);
    return load > 0 && verified > 0 && read > 0 ? 0 : 1;
}
