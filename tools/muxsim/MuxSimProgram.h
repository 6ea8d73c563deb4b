#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "PtyLine.h"
#include "Scenario.h"
#include "SimLine.h"

namespace tervis::muxsim {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the line could not be opened or linked
constexpr int kExitUsage = 2;    // a bad option, value, configuration file or script

// A command line or an input file the program cannot use; what() says which and why.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TBoardOption {
    int Slot = 0;
    std::uint8_t Type = 0;
};

struct TRemoteOption {
    std::string Text;                // as given
    std::vector<std::uint8_t> Path;  // two bytes per hop
    std::vector<TBoardOption> Boards;
};

struct TMuxSimOptions {
    std::optional<std::string> Device;  // serve on this device instead of a new pseudo-terminal
    std::optional<std::string> LinkPath;
    std::optional<std::string> ConfigFile;
    bool InstallConfigured = true;  // boards of the configuration file are plugged in as well
    std::vector<TBoardOption> Boards;
    std::vector<TBoardOption> InstallOnly;
    std::uint8_t Id = 0;
    std::vector<TRemoteOption> Remotes;
    bool Pace = false;
    std::uint32_t DelayMs = 0;
    double Lose = 0;
    double Corrupt = 0;
    std::uint32_t Seed = 1;
    std::vector<std::uint8_t> BareReplies;  // commands the served multiplexer answers with a bare reply
    std::vector<std::string> ScenarioFiles;
    bool Demo = false;
    bool PrintDemo = false;
    bool Verbose = false;
    bool Help = false;
    bool Version = false;
};

// The arguments after the program name. Throws EUsageError.
TMuxSimOptions ParseMuxSimOptions(const std::vector<std::string>& args);
std::string MuxSimHelpText();

// The multiplexers the options describe, on one line, with the scripts that act on them.
struct TSimulation {
    std::unique_ptr<sim::TSimLine> Line;
    sim::TSimMultiplexer* Served = nullptr;  // the multiplexer --id names
    std::uint8_t ServedNumber = 0;
    std::vector<std::unique_ptr<TScenarioPlayer>> Scripts;
};

// Builds the simulation: the demo chassis, then the configuration file, the boards, the remotes, then the
// scripts, whose actions at time 0 have been carried out on return. Throws EUsageError (unreadable or
// malformed files, script errors with their line).
TSimulation BuildSimulation(const TMuxSimOptions& options);

// Serves a simulation on a line: reads requests, keeps the simulator's clock with the monotonic clock,
// plays the scripts and writes the answers, paced at the line rate when asked.
class TLineServer {
public:
    TLineServer(TSimulation& simulation, int lineFd, bool pace, std::ostream* log);
    // Until stopFd becomes readable.
    void Run(int stopFd);

private:
    std::int64_t NowNs() const;
    void AdvanceTo(std::int64_t nowNs);
    void ReadLine(std::int64_t nowNs);
    void Receive(std::span<const std::uint8_t> bytes, std::int64_t nowNs);
    void WriteLine(std::int64_t nowNs);
    void Hangup(std::int64_t nowNs);
    // How long to wait for the line before something falls due; nanoseconds, so that paced bytes leave on
    // time rather than at the next whole millisecond.
    std::int64_t TimeoutNs(std::int64_t nowNs) const;
    void LogRequest(const std::vector<std::uint8_t>& packet);

    TSimulation& simulation_;
    int fd_;
    std::ostream* log_;
    std::int64_t startNs_;
    std::uint64_t simMs_ = 0;
    TPacedQueue inbound_;
    TPacedQueue outbound_;
    bool writeBlocked_ = false;          // the line took no more; wait until it does
    std::int64_t lineQuietUntilNs_ = 0;  // after a hang-up: leave the line alone until then
    bool hangupReported_ = false;
    bool overrunReported_ = false;  // since the inbound queue was last empty
    std::unique_ptr<TFrameDecoder> requestLog_;
};

// The whole program; returns the exit status.
int RunMuxSimProgram(int argc, char** argv);

}  // namespace tervis::muxsim
