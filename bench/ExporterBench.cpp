// tervis-exporter over paced 57600-baud lines (tervis-muxsim --pace):
//  1. one walk per multiplexer against the wire time of the bytes it exchanged (a relay between the
//     exporter and the simulator counts them), for a small and a fully populated chassis, and from the
//     walk how many such multiplexers one port serves at a 15 s scrape interval;
//  2. CPU and resident memory of the exporter with 32 multiplexers behind one port, sampled over a run
//     (TERVIS_EXPORTER_BENCH_SECONDS, default 180).
//   tervis_bench_exporter [walk|fleet]
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;
using tervis::test::TSimulatorProcess;
using tervis::test::TTempDir;

constexpr double kBytesPerSecond = 57600.0 / 10.0;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A pseudo-terminal for the exporter whose bytes are carried to and from the simulator's line, counted.
class TCountingRelay {
public:
    explicit TCountingRelay(const std::string& simLine) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        grantpt(master_);
        unlockpt(master_);
        path_ = ptsname(master_);
        termios raw{};
        const int slave = open(path_.c_str(), O_RDWR | O_NOCTTY);  // raw from the start: no echo
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        close(slave);
        sim_ = open(simLine.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        tcgetattr(sim_, &raw);
        cfmakeraw(&raw);
        tcsetattr(sim_, TCSANOW, &raw);
    }
    ~TCountingRelay() {
        close(master_);
        close(sim_);
    }
    const std::string& Path() const { return path_; }

    // Carries bytes both ways for the duration.
    void Run(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {sim_, POLLIN, 0}};
            if (poll(fds, 2, 20) <= 0) {
                continue;
            }
            Carry(fds[0], master_, sim_, toDevice);
            Carry(fds[1], sim_, master_, fromDevice);
        }
    }
    std::uint64_t toDevice = 0;
    std::uint64_t fromDevice = 0;

private:
    static void Carry(const pollfd& fd, int from, int to, std::uint64_t& count) {
        if ((fd.revents & POLLIN) == 0) {
            return;
        }
        char buffer[4096];
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n > 0) {
            count += static_cast<std::uint64_t>(n);
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = write(to, buffer + done, static_cast<std::size_t>(n - done));
                if (w > 0) {
                    done += w;
                }
            }
        }
    }
    int master_ = -1;
    int sim_ = -1;
    std::string path_;
};

std::vector<double> Values(const std::string& page, const std::string& family) {
    std::vector<double> values;
    const std::regex line("^" + family + "\\{[^}]*\\} ([-0-9.e+]+)$", std::regex::multiline);
    for (auto it = std::sregex_iterator(page.begin(), page.end(), line); it != std::sregex_iterator(); ++it) {
        values.push_back(std::stod((*it)[1]));
    }
    return values;
}

int PortOf(TSimulatorProcess& exporter) {
    const std::optional<std::string> url = exporter.FirstLine();
    return url && url->rfind("http://127.0.0.1:", 0) == 0 ? std::stoi(url->substr(17)) : 0;
}

std::string Page(int port) {
    httplib::Client client("127.0.0.1", port);
    const auto response = client.Get("/metrics");
    return response ? response->body : std::string();
}

int Walk(const char* title, std::vector<std::string> simArgs) {
    TTempDir dir;
    simArgs.insert(simArgs.begin(), {TERVIS_MUXSIM_PATH, "--pace"});
    TSimulatorProcess sim(simArgs);
    if (sim.Path().empty()) {
        return 1;
    }
    TCountingRelay relay(sim.Path());
    WriteText(dir.File("inventory.ini"), "[bench]\nport=" + relay.Path() + "\n");
    TSimulatorProcess exporter({TERVIS_EXPORTER_PATH, "--inventory", dir.File("inventory.ini"), "--listen",
                                "127.0.0.1:0", "--interval", "0"});
    const int port = PortOf(exporter);
    // Back-to-back walks of one multiplexer keep the line busy with nothing else: the run's wire time
    // against its length is the walk's.
    constexpr auto kRun = 40s;
    const auto start = std::chrono::steady_clock::now();
    relay.Run(kRun);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string page = Page(port);
    const std::vector<double> walk = Values(page, "tervis_poll_duration_seconds");
    const std::vector<double> up = Values(page, "tervis_link_up");
    if (walk.empty() || up.empty() || up[0] != 1) {
        std::fprintf(stderr, "%s: no completed walk:\n%s\n", title, page.c_str());
        return 1;
    }
    const double bytes = static_cast<double>(relay.toDevice + relay.fromDevice);
    const double wire = bytes / kBytesPerSecond;
    const double bytesPerWalk = bytes * walk[0] / elapsed;
    std::printf(
        "%s: walk %.2f s, %.0f bytes a walk (%.2f s on the wire); walk / wire time = %.2f; "
        "one port at a 15 s scrape interval serves %d such multiplexers\n",
        title, walk[0], bytesPerWalk, bytesPerWalk / kBytesPerSecond, elapsed / wire,
        static_cast<int>(15.0 / walk[0]));
    return 0;
}

long RssKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

int Fleet() {
    TTempDir dir;
    std::vector<std::string> simArgs = {TERVIS_MUXSIM_PATH, "--pace", "--board", "1:10"};
    std::string inventory;
    for (int k = 0; k < 31; ++k) {
        simArgs.push_back("--remote");
        simArgs.push_back(std::to_string(k / 4) + "," + std::to_string(k % 4) + "-7,0;=2:10");
    }
    TSimulatorProcess sim(simArgs);
    if (sim.Path().empty()) {
        return 1;
    }
    inventory += "[m00]\nport=" + sim.Path() + "\n";
    for (int k = 0; k < 31; ++k) {
        inventory += "[m" + std::to_string(k + 1) + "]\nport=" + sim.Path() +
                     "\naddress=" + std::to_string(k / 4) + "," + std::to_string(k % 4) + "-7,0;\n";
    }
    WriteText(dir.File("inventory.ini"), inventory);
    TSimulatorProcess exporter({TERVIS_EXPORTER_PATH, "--inventory", dir.File("inventory.ini"), "--listen",
                                "127.0.0.1:0", "--interval", "0"});
    const int port = PortOf(exporter);
    const char* configured = getenv("TERVIS_EXPORTER_BENCH_SECONDS");
    const int seconds = configured != nullptr ? std::atoi(configured) : 180;
    std::this_thread::sleep_for(5s);
    const double cpuBefore = tervis::test::CpuSeconds(exporter.Pid());
    const long rssStart = RssKiB(exporter.Pid());
    long rssMax = rssStart;
    const auto start = std::chrono::steady_clock::now();
    int scrapes = 0;
    std::string series;  // resident memory every 30 s: flat once every multiplexer has been walked
    for (int second = 1; std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds); ++second) {
        std::this_thread::sleep_for(1s);
        scrapes += Page(port).empty() ? 0 : 1;  // a scrape a second, heavier than Prometheus's
        rssMax = std::max(rssMax, RssKiB(exporter.Pid()));
        if (second % 30 == 0) {
            series += " " + std::to_string(RssKiB(exporter.Pid()));
        }
    }
    std::printf("resident memory every 30 s, KiB:%s\n", series.c_str());
    const double cpu = tervis::test::CpuSeconds(exporter.Pid()) - cpuBefore;
    const std::string page = Page(port);
    const std::vector<double> up = Values(page, "tervis_link_up");
    int answering = 0;
    for (const double u : up) {
        answering += u == 1 ? 1 : 0;
    }
    std::printf(
        "32 multiplexers behind one paced port, %d s with %d scrapes: CPU %.2f%% of one core; "
        "resident memory %ld KiB at the start, %ld KiB at the end, at most %ld KiB (end/start %.3f); "
        "%d of %zu answering\n",
        seconds, scrapes, 100.0 * cpu / seconds, rssStart, RssKiB(exporter.Pid()), rssMax,
        static_cast<double>(RssKiB(exporter.Pid())) / static_cast<double>(rssStart), answering, up.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    int status = 0;
    if (what.empty() || what == "walk") {
        status |= Walk("one 4E1 board", {"--board", "1:10"});
        status |= Walk("demo chassis (4E1 ×2, 1E1, 4DSL, 4C64, ДП and others)", {"--demo"});
        std::vector<std::string> full;
        for (int slot = 0; slot < 16; ++slot) {
            full.push_back("--board");
            full.push_back(std::to_string(slot) + ":10");
        }
        status |= Walk("16 × 4E1", full);
    }
    if (what.empty() || what == "fleet") {
        status |= Fleet();
    }
    return status;
}
