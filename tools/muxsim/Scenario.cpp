#include "Scenario.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>

#include "SimAddress.h"

namespace tervis::muxsim {

namespace {

using sim::kChannelsPerSlot;

// What each action takes, one letter per argument:
//   S slot 0..15        T board type 0..255   U unit 0..7          F alarm flag (bit 0..7 or name)
//   O on|off            B byte 0..255         H hardware error code 0..255 or off
//   X slot state 0..3 or auto                 W settings word 0..9 w block word 0..0xFFFF
//   E channel SLOT:CH   N count 1..128        C abcd nibble 0..15  L power line condition
//   P probability 0..1  M milliseconds 0..600000
struct TActionShape {
    std::string_view Name;
    TActionKind Kind;
    std::string_view Required;
    std::string_view Optional;
    std::string_view Usage;
    bool WholeLine = false;
};

constexpr std::array<TActionShape, 24> kActions = {{
    {"board", TActionKind::kBoard, "ST", "", "board SLOT TYPE"},
    {"configure", TActionKind::kConfigure, "ST", "", "configure SLOT TYPE"},
    {"install", TActionKind::kInstall, "ST", "", "install SLOT TYPE"},
    {"remove", TActionKind::kRemove, "S", "", "remove SLOT"},
    {"unplug", TActionKind::kUnplug, "S", "", "unplug SLOT"},
    {"plug", TActionKind::kPlug, "S", "", "plug SLOT"},
    {"alarm", TActionKind::kAlarm, "SUFO", "", "alarm SLOT UNIT FLAG on|off"},
    {"flags", TActionKind::kFlags, "SUB", "", "flags SLOT UNIT BYTE"},
    {"hwerror", TActionKind::kHardwareError, "H", "", "hwerror CODE|off"},
    {"silent", TActionKind::kSilent, "O", "", "silent on|off"},
    {"state", TActionKind::kState, "SX", "", "state SLOT STATE|auto"},
    {"mask", TActionKind::kMask, "B", "", "mask BYTE"},
    {"setting", TActionKind::kSetting, "WB", "", "setting WORD VALUE"},
    {"block", TActionKind::kBlock, "Sw", "wwwwwwww", "block SLOT W0 [W1 ... W8]"},
    {"connect", TActionKind::kConnect, "EE", "N", "connect SLOT:CH SLOT:CH [COUNT]"},
    {"signalling", TActionKind::kSignalling, "EB", "N", "signalling SLOT:CH BYTE [COUNT]"},
    {"cas", TActionKind::kCas, "EC", "N", "cas SLOT:CH ABCD [COUNT]"},
    {"trace", TActionKind::kTraceEvent, "BB", "", "trace MODE STATE"},
    {"tracedemo", TActionKind::kTraceDemo, "M", "", "tracedemo MS"},
    {"power", TActionKind::kPower, "SL", "", "power SLOT normal|leak|break|short"},
    {"lose", TActionKind::kLose, "P", "", "lose PROBABILITY", true},
    {"corrupt", TActionKind::kCorrupt, "P", "", "corrupt PROBABILITY", true},
    {"delay", TActionKind::kDelay, "M", "", "delay MS", true},
    {"linesilent", TActionKind::kLineSilent, "O", "", "linesilent on|off", true},
}};

struct TFlagName {
    std::string_view Name;
    int Bit;
};
// Names of the stream alarm flag bits, as a stream board reports them.
constexpr std::array<TFlagName, 7> kFlagNames = {{
    {"los", 0},
    {"lof", 1},
    {"lomf", 2},
    {"rlof", 3},
    {"rlomf", 4},
    {"ber3", 6},
    {"ber6", 7},
}};

constexpr std::array<std::string_view, 4> kPowerNames = {"normal", "leak", "break", "short"};

constexpr double kMaxSeconds = 1e7;
constexpr std::uint64_t kMinPeriodMs = 10;
constexpr std::int64_t kMaxDelayMs = 600000;

// Seconds with an optional fraction ("2", "2.5", "2.5s") or whole milliseconds ("500ms").
std::optional<std::uint64_t> ParseTimeMs(std::string_view text) {
    if (text.size() > 2 && text.substr(text.size() - 2) == "ms") {
        const auto ms = ParseInteger(text.substr(0, text.size() - 2));
        if (!ms || *ms < 0 || *ms > static_cast<std::int64_t>(kMaxSeconds * 1000)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(*ms);
    }
    if (!text.empty() && text.back() == 's') {
        text.remove_suffix(1);
    }
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(seconds >= 0) ||
        seconds > kMaxSeconds) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(std::llround(seconds * 1000));
}

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

// Reads the arguments of one action; throws a plain message that the caller puts the line number to.
class TArgumentReader {
public:
    TArgumentReader(const TActionShape& shape, TScenarioAction& action) : shape_(shape), action_(action) {}

    void Read(std::span<const std::string_view> args) {
        const std::size_t required = shape_.Required.size();
        if (args.size() < required || args.size() > required + shape_.Optional.size()) {
            Fail("expected '" + std::string(shape_.Usage) + "'");
        }
        for (std::size_t i = 0; i < args.size(); ++i) {
            const char letter = i < required ? shape_.Required[i] : shape_.Optional[i - required];
            One(letter, args[i]);
        }
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw std::invalid_argument(message); }

    [[noreturn]] void Bad(std::string_view what, std::string_view token) const {
        Fail(std::string(shape_.Name) + ": bad " + std::string(what) + " '" + std::string(token) + "'");
    }

    std::int64_t Number(std::string_view what, std::string_view token, std::int64_t low, std::int64_t high) {
        const auto value = ParseInteger(token);
        if (!value || *value < low || *value > high) {
            Bad(std::string(what) + " (" + std::to_string(low) + ".." + std::to_string(high) + ")", token);
        }
        return *value;
    }

    void OnOff(std::string_view token) {
        if (token == "on") {
            action_.Args.push_back(1);
        } else if (token == "off") {
            action_.Args.push_back(0);
        } else {
            Bad("switch (on or off)", token);
        }
    }

    std::int64_t Flag(std::string_view token) {
        const auto named = std::ranges::find(kFlagNames, token, &TFlagName::Name);
        return named != kFlagNames.end() ? named->Bit : Number("alarm flag", token, 0, 7);
    }

    // SLOT:CH, as two arguments.
    void Channel(std::string_view token) {
        const auto colon = token.find(':');
        if (colon == std::string_view::npos) {
            Bad("channel (SLOT:CH)", token);
        }
        action_.Args.push_back(Number("slot", token.substr(0, colon), 0, sim::kSlots - 1));
        action_.Args.push_back(Number("channel", token.substr(colon + 1), 0, kChannelsPerSlot - 1));
    }

    std::int64_t PowerLine(std::string_view token) {
        const auto it = std::ranges::find(kPowerNames, token);
        if (it == kPowerNames.end()) {
            Bad("line condition (normal, leak, break or short)", token);
        }
        return it - kPowerNames.begin();
    }

    double Probability(std::string_view token) {
        double p = -1;
        const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), p);
        if (error != std::errc() || end != token.data() + token.size() || !(p >= 0 && p <= 1)) {
            Bad("probability (0..1)", token);
        }
        return p;
    }

    void One(char letter, std::string_view token) {
        auto& args = action_.Args;
        switch (letter) {
            case 'S':
                args.push_back(Number("slot", token, 0, sim::kSlots - 1));
                break;
            case 'T':
                args.push_back(Number("board type", token, 0, 255));
                break;
            case 'U':
                args.push_back(Number("unit", token, 0, sim::kUnits - 1));
                break;
            case 'F':
                args.push_back(Flag(token));
                break;
            case 'O':
                OnOff(token);
                break;
            case 'B':
                args.push_back(Number("byte", token, 0, 255));
                break;
            case 'H':
                args.push_back(token == "off" ? 0 : Number("hardware error code", token, 0, 255));
                break;
            case 'X':
                args.push_back(token == "auto" ? -1 : Number("slot state", token, 0, 3));
                break;
            case 'W':
                args.push_back(Number("settings word", token, 0, sim::kSettingsWords - 1));
                break;
            case 'w':
                args.push_back(Number("block word", token, 0, 0xFFFF));
                break;
            case 'E':
                Channel(token);
                break;
            case 'N':
                args.push_back(Number("count", token, 1, kChannelsPerSlot));
                break;
            case 'C':
                args.push_back(Number("abcd", token, 0, 15));
                break;
            case 'L':
                args.push_back(PowerLine(token));
                break;
            case 'P':
                action_.Probability = Probability(token);
                break;
            case 'M':
                args.push_back(Number("milliseconds", token, 0, kMaxDelayMs));
                break;
            default:
                Fail("internal: unknown argument kind");
        }
    }

    const TActionShape& shape_;
    TScenarioAction& action_;
};

// A run of COUNT channels from SLOT:CH must stay within the slot.
void CheckChannelRun(const TScenarioAction& action, std::size_t at, std::int64_t count) {
    if (action.Args[at] + count > kChannelsPerSlot) {
        throw std::invalid_argument(std::to_string(count) + " channels from " +
                                    std::to_string(action.Args[at - 1]) + ":" +
                                    std::to_string(action.Args[at]) + " run past channel 127");
    }
}

// "at TIME" or "every PERIOD [from TIME]"; returns the index of the token after it.
std::size_t ParseTiming(std::span<const std::string_view> tokens, TScenarioAction& action) {
    if (tokens[0] == "at" && tokens.size() >= 2) {
        const auto at = ParseTimeMs(tokens[1]);
        if (!at) {
            throw std::invalid_argument("bad time '" + std::string(tokens[1]) + "'");
        }
        action.AtMs = *at;
        return 2;
    }
    if (tokens[0] != "every" || tokens.size() < 2) {
        throw std::invalid_argument("a line starts with 'at TIME' or 'every PERIOD [from TIME]'");
    }
    const auto every = ParseTimeMs(tokens[1]);
    if (!every || *every < kMinPeriodMs) {
        throw std::invalid_argument("bad period '" + std::string(tokens[1]) + "' (at least 10ms)");
    }
    action.EveryMs = *every;
    if (tokens.size() <= 2 || tokens[2] != "from") {
        return 2;
    }
    const auto from = tokens.size() > 3 ? ParseTimeMs(tokens[3]) : std::nullopt;
    if (!from) {
        throw std::invalid_argument("bad start time after 'from'");
    }
    action.AtMs = *from;
    return 4;
}

// An optional "@PATH" at index i; returns the index of the token after it.
std::size_t ParseTarget(std::span<const std::string_view> tokens, std::size_t i, TScenarioAction& action) {
    if (i >= tokens.size() || !tokens[i].starts_with('@')) {
        return i;
    }
    const auto target = sim::ParsePath(tokens[i].substr(1));
    if (!target) {
        throw std::invalid_argument("bad address path '" + std::string(tokens[i].substr(1)) + "'");
    }
    action.Target = *target;
    if (action.Target.empty()) {
        throw std::invalid_argument("empty address path after '@'");
    }
    return i + 1;
}

std::string Joined(std::span<const std::string_view> tokens) {
    std::string text;
    for (const std::string_view token : tokens) {
        if (!text.empty()) {
            text += ' ';
        }
        text += token;
    }
    return text;
}

TScenarioAction ParseLine(std::span<const std::string_view> tokens) {
    TScenarioAction action;
    const std::size_t i = ParseTarget(tokens, ParseTiming(tokens, action), action);
    if (i >= tokens.size()) {
        throw std::invalid_argument("missing action after the time");
    }
    const auto shape = std::ranges::find(kActions, tokens[i], &TActionShape::Name);
    if (shape == kActions.end()) {
        throw std::invalid_argument("unknown action '" + std::string(tokens[i]) + "'");
    }
    if (shape->WholeLine && !action.Target.empty()) {
        throw std::invalid_argument(std::string(shape->Name) +
                                    " acts on the whole line, not on one multiplexer");
    }
    action.Kind = shape->Kind;
    TArgumentReader(*shape, action).Read(tokens.subspan(i + 1));
    action.Text = Joined(tokens.subspan(i));

    if (action.Kind == TActionKind::kConnect) {
        const std::int64_t count = action.Args.size() == 5 ? action.Args[4] : 1;
        CheckChannelRun(action, 1, count);
        CheckChannelRun(action, 3, count);
    } else if (action.Kind == TActionKind::kSignalling || action.Kind == TActionKind::kCas) {
        CheckChannelRun(action, 1, action.Args.size() == 4 ? action.Args[3] : 1);
    }
    return action;
}

// The arguments of an action as the simulator's setters take them.
struct TArgs {
    const std::vector<std::int64_t>& A;
    int Int(std::size_t i) const { return static_cast<int>(A[i]); }
    std::uint8_t Byte(std::size_t i) const { return static_cast<std::uint8_t>(A[i]); }
    // The optional count that ends connect, signalling and cas.
    int Count(std::size_t i) const { return A.size() > i ? Int(i) : 1; }
};

// Faults of the line itself; false for an action on a multiplexer.
bool ApplyToLine(sim::TFaults& faults, const TScenarioAction& action) {
    switch (action.Kind) {
        case TActionKind::kLose:
            faults.LostProbability = action.Probability;
            return true;
        case TActionKind::kCorrupt:
            faults.CorruptProbability = action.Probability;
            return true;
        case TActionKind::kDelay:
            faults.DelayMs = static_cast<std::uint32_t>(action.Args[0]);
            return true;
        case TActionKind::kLineSilent:
            faults.Silent = action.Args[0] != 0;
            return true;
        default:
            return false;
    }
}

// Boards going in and out of the slots and into the configuration; false for any other action.
bool ApplyToSlots(sim::TSimMultiplexer& mux, const TScenarioAction& action) {
    const TArgs a{action.Args};
    switch (action.Kind) {
        case TActionKind::kBoard:
            mux.SetBoard(a.Int(0), a.Byte(1));
            return true;
        case TActionKind::kConfigure:
            mux.ConfigureBoard(a.Int(0), a.Byte(1));
            return true;
        case TActionKind::kInstall:
            mux.InstallBoard(a.Int(0), a.Byte(1));
            return true;
        case TActionKind::kRemove:
            mux.RemoveBoard(a.Int(0));
            return true;
        case TActionKind::kUnplug:
            mux.UnplugBoard(a.Int(0));
            return true;
        case TActionKind::kPlug:
            mux.PlugBoard(a.Int(0));
            return true;
        default:
            return false;
    }
}

// The configuration memory: settings words, blocks, links and signalling; false for any other action.
bool ApplyToConfiguration(sim::TSimMultiplexer& mux, const TScenarioAction& action) {
    const TArgs a{action.Args};
    switch (action.Kind) {
        case TActionKind::kSetting:
            mux.SetSetting(a.Int(0), a.Byte(1));
            return true;
        case TActionKind::kBlock: {
            sim::TBlock block{};
            for (std::size_t k = 1; k < a.A.size(); ++k) {
                block[k - 1] = static_cast<std::uint16_t>(a.A[k]);
            }
            mux.SetBlock(a.Int(0), block);
            return true;
        }
        case TActionKind::kConnect:
            for (int k = 0; k < a.Count(4); ++k) {
                const int from = a.Int(0) * kChannelsPerSlot + a.Int(1) + k;
                const int to = a.Int(2) * kChannelsPerSlot + a.Int(3) + k;
                mux.SetLink(from, static_cast<std::uint16_t>(to));
                mux.SetLink(to, static_cast<std::uint16_t>(from));
            }
            return true;
        case TActionKind::kSignalling:
            for (int k = 0; k < a.Count(3); ++k) {
                mux.SetSignalling(a.Int(0) * kChannelsPerSlot + a.Int(1) + k, a.Byte(2));
            }
            return true;
        default:
            return false;
    }
}

// What the device reports: alarms, states, the alarm mask, CAS, trace events and remote power.
void ApplyToStatus(sim::TSimMultiplexer& mux, const TScenarioAction& action) {
    const TArgs a{action.Args};
    switch (action.Kind) {
        case TActionKind::kAlarm:
            mux.SetStreamAlarm(a.Int(0), a.Int(1), a.Int(2), a.A[3] != 0);
            break;
        case TActionKind::kFlags:
            mux.SetStreamFlags(a.Int(0), a.Int(1), a.Byte(2));
            break;
        case TActionKind::kHardwareError:
            mux.SetHardwareError(a.Byte(0));
            break;
        case TActionKind::kSilent:
            mux.SetSilent(a.A[0] != 0);
            break;
        case TActionKind::kState:
            mux.OverrideSlotState(a.Int(0), a.A[1] < 0 ? std::nullopt : std::optional(a.Byte(1)));
            break;
        case TActionKind::kMask:
            mux.SetAlarmMask(a.Byte(0));
            break;
        case TActionKind::kCas:
            for (int k = 0; k < a.Count(3); ++k) {
                mux.SetReceivedCas(a.Int(0), a.Int(1) + k, a.Byte(2));
            }
            break;
        case TActionKind::kTraceEvent:
            mux.PushTraceEvent(a.Byte(0), a.Byte(1));
            break;
        case TActionKind::kTraceDemo:
            mux.SetTraceInterval(static_cast<std::uint32_t>(a.Int(0)));
            break;
        case TActionKind::kPower: {
            sim::TSimPowerLine power = mux.PowerLine(a.Int(0));
            power.Condition = static_cast<sim::TPowerLine>(a.A[1]);
            mux.SetPowerLine(a.Int(0), power);
            break;
        }
        default:
            break;
    }
}

}  // namespace

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

EScenarioError::EScenarioError(const std::string& source, int line, const std::string& reason)
    : std::runtime_error(source + ":" + std::to_string(line) + ": " + reason), line_(line) {}

std::vector<TScenarioAction> ParseScenario(std::string_view text, const std::string& source) {
    std::vector<TScenarioAction> actions;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = line.substr(0, line.find('#'));
        const auto tokens = Tokens(line);
        if (tokens.empty()) {
            continue;
        }
        try {
            actions.push_back(ParseLine(tokens));
        } catch (const std::invalid_argument& e) {
            throw EScenarioError(source, lineNumber, e.what());
        }
        actions.back().Line = lineNumber;
    }
    return actions;
}

std::string_view DemoScenario() {
    return R"(# A commissioned chassis: E1, DSL, voice, data and remote power boards.
at 0 mask 0xFF                  # W9: report every stream alarm and missing boards
at 0 setting 0 0x00             # clock input 0: slot 0, priority 0
at 0 setting 1 0x12             # clock input 1: slot 2, priority 1
at 0 setting 6 2                # clock by the priority table
at 0 board 0 10                 # 4E1
at 0 block 0 0x3210
at 0 board 1 10                 # 4E1, set 3 not used
at 0 block 1 0x3210 0x1000
at 0 board 2 7                  # 1E1
at 0 board 3 1                  # 4ТЧ
at 0 board 4 24                 # 4DSL
at 0 block 4 0x3210 0 0 0 0 0x2020 0x2020 0x2020 0x2020
at 0 board 5 15                 # 4C64
at 0 block 5 0x4444
at 0 board 6 12                 # 2VS
at 0 block 6 128 128 10
at 0 board 7 26                 # ДП
at 0 block 7 1 4668 2615 300 100 0x5050

# Two-way links.
at 0 connect 0:1 1:1 15         # 4E1 stream 0 timeslots 1..15 to the other 4E1
at 0 connect 3:0 0:17 4         # the four voice channels onto timeslots 17..20
at 0 connect 5:0 2:1 4          # 4C64 onto the 1E1
at 0 connect 4:1 1:33 31        # DSL set 0 onto the second 4E1's stream 1
at 0 connect 6:0 1:65 16        # 2VS onto stream 2

# Signalling: voice channels send abcd 1101 on a, b and d; the E1 side carries what arrives.
at 0 signalling 3:0 0xDB 4
at 0 cas 0:17 0x9 4

# Alarms that come and go.
every 10 from 3 alarm 0 1 lof on
every 10 from 6 alarm 0 1 lof off
every 30 from 12 alarm 4 2 los on
every 30 from 20 alarm 4 2 los off
every 45 from 25 unplug 6
every 45 from 35 plug 6
)";
}

TScenarioPlayer::TScenarioPlayer(std::vector<TScenarioAction> actions, sim::TSimLine& line,
                                 sim::TSimMultiplexer& served, std::uint8_t servedNumber)
    : line_(line), served_(served), servedNumber_(servedNumber) {
    entries_.reserve(actions.size());
    for (auto& action : actions) {
        const std::uint64_t first = action.AtMs;
        entries_.push_back({std::move(action), first});
    }
}

void TScenarioPlayer::CreateTargets() {
    for (const auto& entry : entries_) {
        TargetOf(entry.Action);
    }
}

sim::TSimMultiplexer& TScenarioPlayer::TargetOf(const TScenarioAction& action) {
    if (action.Target.empty()) {
        return served_;
    }
    // The same path gives the same multiplexer: one named with --remote, or a new empty one.
    return line_.AddRemote(action.Target, servedNumber_);
}

std::optional<std::uint64_t> TScenarioPlayer::NextDueMs() const {
    std::optional<std::uint64_t> next;
    for (const auto& entry : entries_) {
        if (entry.NextMs && (!next || *entry.NextMs < *next)) {
            next = entry.NextMs;
        }
    }
    return next;
}

void TScenarioPlayer::Run(std::uint64_t nowMs, const TLog& log) {
    for (;;) {
        TEntry* earliest = nullptr;
        for (auto& entry : entries_) {
            if (entry.NextMs && *entry.NextMs <= nowMs && (!earliest || *entry.NextMs < *earliest->NextMs)) {
                earliest = &entry;
            }
        }
        if (earliest == nullptr) {
            return;
        }
        const std::uint64_t at = *earliest->NextMs;
        earliest->NextMs =
            earliest->Action.EveryMs > 0 ? std::optional(at + earliest->Action.EveryMs) : std::nullopt;
        Apply(earliest->Action);
        if (log) {
            log(at, earliest->Action);
        }
    }
}

void TScenarioPlayer::Apply(const TScenarioAction& action) {
    if (ApplyToLine(line_.Faults(), action)) {
        return;  // whole-line actions have no target multiplexer
    }
    sim::TSimMultiplexer& mux = TargetOf(action);
    if (!ApplyToSlots(mux, action) && !ApplyToConfiguration(mux, action)) {
        ApplyToStatus(mux, action);
    }
}

}  // namespace tervis::muxsim
