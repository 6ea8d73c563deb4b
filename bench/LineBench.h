#pragma once

// What the benchmarks of whole operations on a paced line share: the line's byte rate, the bytes a load
// and a read put on the wire (counted on the in-memory line with the same simulator), and the time a run
// of tervis-cli takes.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FullChassis.h"
#include "support/Loopback.h"
#include "support/Process.h"

namespace tervis::bench {

// 57600 baud at 10 bits a byte; the protocol has one packet in flight, so every byte of every request
// and answer frame crosses the line one after the other.
constexpr double kBytesPerSecond = 57600.0 / 10.0;

// The full chassis, and its file dir/chassis.mux for the programs.
struct TChassisFile {
    explicit TChassisFile(const std::string& dir) : File(dir + "/chassis.mux") {
        std::filesystem::create_directories(dir);
        FillFullChassis(Mux);
        Mux.SaveToFile(File);
    }
    TSettings Settings;
    TMux Mux{nullptr, nullptr, Settings};
    std::string File;
};

struct TWireBytes {
    std::uint64_t Load = 0;
    std::uint64_t Read = 0;
};

// The frames of a load of source and of the read that follows it.
inline TWireBytes WireBytes(const TMux& source) {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    sim::TSimLine line(1);
    auto link = std::make_unique<test::TLoopbackHandler>(mux, line);
    test::TLoopbackHandler& handler = *link;
    mux.SetDeviceLink(std::move(link));
    test::TPumpProgress pump(handler);
    handler.SetProgressFactory(&pump);
    mux.Assign(source);
    const auto onWire = [&handler] { return handler.bytesToDevice + handler.bytesFromDevice; };
    TWireBytes wire;
    auto before = onWire();
    mux.LoadConfiguration();
    wire.Load = onWire() - before;
    before = onWire();
    mux.ReadConfiguration();
    wire.Read = onWire() - before;
    return wire;
}

inline double WireSeconds(std::uint64_t bytes) {
    return static_cast<double>(bytes) / kBytesPerSecond;
}

// The wall-clock seconds of one run of a program, or -1 (said on stderr) when it fails.
inline double Seconds(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const test::TRunResult result = test::Run(args, std::chrono::seconds(900));
    const auto end = std::chrono::steady_clock::now();
    if (result.Status != 0) {
        std::fprintf(stderr, "%s failed (%d): %s\n", args[1].c_str(), result.Status, result.Err.c_str());
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

// Runs each program in turn, rounds times over, and keeps each one's shortest time (-1 if any run
// failed). The machine is shared: the shortest run is the one others disturbed least, and taking turns
// spreads their load over all of them alike.
inline std::vector<double> BestSeconds(const std::vector<std::vector<std::string>>& runs, int rounds) {
    std::vector<double> best(runs.size(), 1e300);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const double seconds = Seconds(runs[i]);
            best[i] = seconds < 0 || best[i] < 0 ? -1 : std::min(best[i], seconds);
        }
    }
    return best;
}

}  // namespace tervis::bench
