// The simulator's scenario scripts: any text is parsed into actions or refused with the line that is
// wrong, and the actions of a parsed script are carried out against a simulated line for the first
// second of its time (enough for every kind of action; a longer run only repeats the periodic ones).
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "Scenario.h"
#include "SimLine.h"

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
    std::uint64_t now = 0;
    for (const std::uint32_t step : {0u, 100u, 900u}) {
        line.Advance(step);
        now += step;
        player.Run(now);
        (void)line.TakeOutput();
    }
    return 0;
}
