// tervis-muxsim between configurators: after several clients opened and closed its line, nobody is on
// it. The program should wait on its clock and the line without spinning; this prints the share of one
// core it uses while idle.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/Process.h"

int main() {
    using namespace std::chrono_literals;
    tervis::test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "0:10"});
    const std::string path = sim.Path();
    if (path.empty()) {
        std::fprintf(stderr, "the simulator announced no line: %s\n", sim.Stderr().c_str());
        return 1;
    }
    for (int round = 0; round < 5; ++round) {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        std::this_thread::sleep_for(50ms);
        if (fd >= 0) {
            close(fd);
        }
    }
    std::this_thread::sleep_for(500ms);  // settle after the last hang-up
    constexpr int kSeconds = 10;
    const double before = tervis::test::CpuSeconds(sim.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
    const double cpu = tervis::test::CpuSeconds(sim.Pid()) - before;
    std::printf("idle CPU after 5 reopens, nobody on the line: %.2f%% of one core (%.3f s in %d s)\n",
                100.0 * cpu / kSeconds, cpu, kSeconds);
    return 0;
}
