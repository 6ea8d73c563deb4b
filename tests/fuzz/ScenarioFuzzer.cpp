// The simulator's scenario scripts: any text is parsed into actions or refused with the line that is
// wrong, and the actions of a parsed script are carried out against a simulated line, each one when it
// falls due, up to a day of script time.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "Scenario.h"
#include "SimLine.h"

namespace {
constexpr int kMaxSteps = 256;
constexpr std::uint64_t kLongestMs = 24ull * 3600 * 1000;  // a day of script time
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervis::muxsim;
    const std::string_view text = tervis::fuzz::AsText(data, size);
    std::vector<TScenarioAction> actions;
    try {
        actions = ParseScenario(text, "fuzz");
    } catch (const EScenarioError& error) {
        FUZZ_CHECK(error.Line() >= 1);
        FUZZ_CHECK(std::string(error.what()).starts_with("fuzz:" + std::to_string(error.Line()) + ": "));
        return 0;
    }
    int previousLine = 0;
    for (const TScenarioAction& action : actions) {
        FUZZ_CHECK(action.Line > previousLine);
        previousLine = action.Line;
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
