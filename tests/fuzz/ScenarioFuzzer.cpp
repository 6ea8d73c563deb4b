// The simulator's scenario scripts: any text is parsed into actions or refused with the line that is
// wrong, and the actions of a parsed script (of a refused one, those of its lines that parse) are carried
// out against a simulated line, each one when it falls due, up to a minute of script time.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "Scenario.h"
#include "SimLine.h"

namespace {
constexpr int kMaxSteps = 64;
constexpr std::uint64_t kLongestMs =
    60 * 1000;  // a minute of script time, past every seed's first run of each action

// The actions of the lines that parse on their own: any of a script's lines make a script too, so that a
// mutation that breaks one line still has the others carried out.
std::vector<tervis::muxsim::TScenarioAction> GoodLines(std::string_view text) {
    std::vector<tervis::muxsim::TScenarioAction> actions;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        try {
            for (auto& action : tervis::muxsim::ParseScenario(text.substr(0, end), "fuzz")) {
                actions.push_back(std::move(action));
            }
        } catch (const tervis::muxsim::EScenarioError&) {
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return actions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervis::muxsim;
    const std::string_view text = tervis::fuzz::AsText(data, size);
    std::vector<TScenarioAction> actions;
    try {
        actions = ParseScenario(text, "fuzz");
        int previousLine = 0;
        for (const TScenarioAction& action : actions) {
            FUZZ_CHECK(action.Line > previousLine);
            previousLine = action.Line;
        }
    } catch (const EScenarioError& error) {
        FUZZ_CHECK(error.Line() >= 1);
        FUZZ_CHECK(std::string(error.what()).starts_with("fuzz:" + std::to_string(error.Line()) + ": "));
        actions = GoodLines(text);
    }

    tervis::sim::TSimLine line;
    TScenarioPlayer player(std::move(actions), line, line.Local(), 0);
    player.CreateTargets();
    // From one due action to the next, so that actions late in the script run too; a periodic one
    // repeats no more than the step limit allows.
    std::uint64_t now = 0;
    player.Run(now);
    for (int step = 0; step < kMaxSteps; ++step) {
        const auto due = player.NextDueMs();
        if (!due || *due > kLongestMs) {
            break;
        }
        const std::uint64_t next = std::max(*due, now);
        line.Advance(static_cast<std::uint32_t>(next - now));
        now = next;
        player.Run(now);
        (void)line.TakeOutput();
    }
    return 0;
}
