#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "SimLine.h"

namespace tervis::muxsim {

// A script line that cannot be understood; what() is "<source>:<line>: <reason>".
class EScenarioError : public std::runtime_error {
public:
    EScenarioError(const std::string& source, int line, const std::string& reason);
    int Line() const { return line_; }

private:
    int line_;
};

enum class TActionKind {
    kBoard,          // board SLOT TYPE
    kConfigure,      // configure SLOT TYPE
    kInstall,        // install SLOT TYPE
    kRemove,         // remove SLOT
    kUnplug,         // unplug SLOT
    kPlug,           // plug SLOT
    kAlarm,          // alarm SLOT UNIT FLAG on|off
    kFlags,          // flags SLOT UNIT BYTE
    kHardwareError,  // hwerror CODE|off
    kSilent,         // silent on|off
    kState,          // state SLOT STATE|auto
    kMask,           // mask BYTE
    kSetting,        // setting WORD VALUE
    kBlock,          // block SLOT W0 [W1 ... W8]
    kConnect,        // connect SLOT:CH SLOT:CH [COUNT]
    kSignalling,     // signalling SLOT:CH BYTE [COUNT]
    kCas,            // cas SLOT:CH ABCD [COUNT]
    kTraceEvent,     // trace MODE STATE
    kTraceDemo,      // tracedemo MS (0: scripted events only)
    kPower,          // power SLOT normal|leak|break|short
    kLose,           // lose P
    kCorrupt,        // corrupt P
    kDelay,          // delay MS
    kLineSilent,     // linesilent on|off
};

// One timed action of a script. Times are the simulator's milliseconds since it started serving.
struct TScenarioAction {
    std::uint64_t AtMs = 0;
    std::uint64_t EveryMs = 0;         // 0: once
    std::vector<std::uint8_t> Target;  // empty: the served multiplexer; else the remote at this path
    TActionKind Kind = TActionKind::kBoard;
    std::vector<std::int64_t> Args;  // numbers in the order written; on/off as 1/0; "auto" as -1
    double Probability = 0;          // lose, corrupt
    int Line = 0;
    std::string Text;  // the action as written, for the log
};

// A whole number written in decimal or with a 0x prefix in hexadecimal; nothing for anything else.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// Parses a script; `source` names it in error messages. Throws EScenarioError at the first bad line.
std::vector<TScenarioAction> ParseScenario(std::string_view text, const std::string& source);

// The script the demo runs: a populated chassis with stream alarms coming and going for ever.
std::string_view DemoScenario();

// Carries out a script against a line as the simulator's clock passes.
class TScenarioPlayer {
public:
    using TLog = std::function<void(std::uint64_t nowMs, const TScenarioAction& action)>;

    TScenarioPlayer(std::vector<TScenarioAction> actions, sim::TSimLine& line, sim::TSimMultiplexer& served,
                    std::uint8_t servedNumber);

    // Creates the remote multiplexers the script names, so that they answer from the start.
    void CreateTargets();
    // Applies, in time order (file order among equal times), every action due at or before nowMs.
    void Run(std::uint64_t nowMs, const TLog& log = {});
    // The time of the next action still to come.
    std::optional<std::uint64_t> NextDueMs() const;

private:
    struct TEntry {
        TScenarioAction Action;
        std::optional<std::uint64_t> NextMs;
    };
    sim::TSimMultiplexer& TargetOf(const TScenarioAction& action);
    void Apply(const TScenarioAction& action);

    std::vector<TEntry> entries_;
    sim::TSimLine& line_;
    sim::TSimMultiplexer& served_;
    std::uint8_t servedNumber_;
};

}  // namespace tervis::muxsim
