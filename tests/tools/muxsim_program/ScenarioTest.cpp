// The program's parts on virtual time: scripts, the demo, the options and the line pacing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MuxSimProgram.h"
#include "PtyLine.h"
#include "Scenario.h"
#include "SimBoards.h"

namespace tervis::muxsim {
namespace {

TEST(Scenario, ErrorsNameTheLineAndTheReason) {
    struct TCase {
        std::string Script;
        int Line;
        std::string Reason;
    };
    const std::vector<TCase> cases = {
        {"unplug 3\n", 1, "starts with 'at TIME'"},
        {"# comment\n\nat five unplug 3\n", 3, "bad time 'five'"},
        {"at 1 unplug 3\nat 2 explode 3\n", 2, "unknown action 'explode'"},
        {"at 1\n", 1, "missing action"},
        {"at 1 unplug\n", 1, "expected 'unplug SLOT'"},
        {"at 1 unplug 3 4\n", 1, "expected 'unplug SLOT'"},
        {"at 1 alarm 4 8 lof on\n", 1, "bad unit"},
        {"at 1 alarm 4 1 nosuch on\n", 1, "bad alarm flag"},
        {"at 1 alarm 4 1 lof maybe\n", 1, "bad switch"},
        {"at 1 board 3 0x100\n", 1, "bad board type"},
        {"every 5ms hwerror 2\n", 1, "bad period"},
        {"every 5 from x hwerror 2\n", 1, "bad start time"},
        {"at 1 @9,9-1,0; unplug 2\n", 1, "bad address path"},
        {"at 1 @3,1-7,0; lose 0.5\n", 1, "whole line"},
        {"at 1 lose 2\n", 1, "bad probability"},
        {"at 1 connect 0:120 1:0 9\n", 1, "run past channel 127"},
        {"at 1 signalling 3:0x80 0xDB\n", 1, "bad channel"},
        {"at 1 block 2 1 2 3 4 5 6 7 8 9 10\n", 1, "expected 'block SLOT W0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        try {
            ParseScenario(c.Script, "test.scn");
            ADD_FAILURE() << "accepted";
        } catch (const EScenarioError& e) {
            EXPECT_EQ(e.Line(), c.Line);
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("test.scn:" + std::to_string(c.Line) + ": ", 0), 0u) << what;
            EXPECT_NE(what.find(c.Reason), std::string::npos) << what;
        }
    }
}

TEST(Scenario, ReadsTimesTargetsAndArguments) {
    const auto actions = ParseScenario(
        "at 5 alarm 4 1 0 on   # bit number\n"
        "\tevery 2.5 from 500ms @3,1-7,0; alarm 4 1 ber6 off\n"
        "at 1.25s hwerror off\n"
        "at 0 connect 0:1 1:33 15\n"
        "at 0 state 2 auto\n"
        "every 10 corrupt 0.125\n",
        "x");
    ASSERT_EQ(actions.size(), 6u);
    EXPECT_EQ(actions[0].AtMs, 5000u);
    EXPECT_EQ(actions[0].EveryMs, 0u);
    EXPECT_EQ(actions[0].Args, (std::vector<std::int64_t>{4, 1, 0, 1}));
    EXPECT_EQ(actions[0].Text, "alarm 4 1 0 on");
    EXPECT_EQ(actions[1].AtMs, 500u);
    EXPECT_EQ(actions[1].EveryMs, 2500u);
    EXPECT_EQ(actions[1].Target, (std::vector<std::uint8_t>{0x13, 0x07}));
    EXPECT_EQ(actions[1].Args, (std::vector<std::int64_t>{4, 1, 7, 0}));
    EXPECT_EQ(actions[1].Line, 2);
    EXPECT_EQ(actions[2].AtMs, 1250u);
    EXPECT_EQ(actions[2].Args, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(actions[3].Args, (std::vector<std::int64_t>{0, 1, 1, 33, 15}));
    EXPECT_EQ(actions[4].Args, (std::vector<std::int64_t>{2, -1}));
    EXPECT_EQ(actions[5].EveryMs, 10000u);
    EXPECT_EQ(actions[5].AtMs, 0u);
    EXPECT_DOUBLE_EQ(actions[5].Probability, 0.125);
}

TEST(ScenarioPlayer, RunsActionsInTimeOrderAndRepeatsThem) {
    sim::TSimLine line;
    auto& mux = line.Local();
    TScenarioPlayer player(ParseScenario("every 10 from 3 alarm 0 1 lof on\n"
                                         "every 10 from 6 alarm 0 1 lof off\n"
                                         "at 0 board 0 10\n"
                                         "at 1 board 2 10\n"
                                         "at 1 remove 2\n"
                                         "at 2 remove 5\n"
                                         "at 2 board 5 7\n"
                                         "at 4 @3,1-7,0; silent on\n"
                                         "at 4 linesilent on\n",
                                         "x"),
                           line, mux, 0);
    player.CreateTargets();
    ASSERT_NE(line.Find(0, std::vector<std::uint8_t>{0x13, 0x07}), nullptr)
        << "the remote answers from the start";

    const auto lof = [&] { return (mux.StreamFlags(0, 1) & sim::flag::kFrameLoss) != 0; };
    std::vector<std::uint64_t> applied;
    const auto log = [&](std::uint64_t at, const TScenarioAction&) { applied.push_back(at); };
    player.Run(0, log);
    EXPECT_EQ(mux.InstalledBoard(0), sim::board::k4E1);
    EXPECT_EQ(player.NextDueMs(), 1000u);
    player.Run(2999, log);
    EXPECT_EQ(mux.InstalledBoard(2), 0) << "equal times run in file order";
    EXPECT_EQ(mux.InstalledBoard(5), sim::board::k1E1);
    EXPECT_FALSE(lof());
    player.Run(3000, log);
    EXPECT_TRUE(lof());
    player.Run(4000, log);
    EXPECT_TRUE(line.Find(0, std::vector<std::uint8_t>{0x13, 0x07})->Silent());
    EXPECT_FALSE(mux.Silent());
    EXPECT_TRUE(line.Faults().Silent);
    player.Run(6000, log);
    EXPECT_FALSE(lof());
    // A clock that jumps still gets every step in order: on at 13, off at 16, on at 23.
    applied.clear();
    player.Run(25000, log);
    EXPECT_EQ(applied, (std::vector<std::uint64_t>{13000, 16000, 23000}));
    EXPECT_TRUE(lof());
    EXPECT_EQ(player.NextDueMs(), 26000u);
}

TEST(Simulation, DemoChassisRaisesAndClearsItsAlarmForEver) {
    TMuxSimOptions options;
    options.Demo = true;
    auto simulation = BuildSimulation(options);
    auto& mux = *simulation.Served;
    EXPECT_EQ(&mux, &simulation.Line->Local());
    const std::vector<int> types{10, 10, 7, 1, 24, 15, 12, 26};
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(mux.ConfiguredBoard(slot), types[static_cast<std::size_t>(slot)]) << slot;
        EXPECT_EQ(mux.InstalledBoard(slot), types[static_cast<std::size_t>(slot)]) << slot;
    }
    EXPECT_EQ(mux.Setting(sim::kSettingAlarmMask), 0xFF);
    // Links are two-way: each end receives from the other.
    for (int channel = 0; channel < 4; ++channel) {
        const int voice = 3 * 128 + channel;
        const int timeslot = 0 * 128 + 17 + channel;
        EXPECT_EQ(mux.Link(voice), timeslot);
        EXPECT_EQ(mux.Link(timeslot), voice);
        EXPECT_NE(mux.Signalling(voice), sim::kDefaultSignalling);
    }
    EXPECT_EQ(mux.AlarmWord(), 0);

    // The most severe alarm as the alarm poll sums it up, along the demo's timeline.
    struct TStep {
        std::uint64_t AtMs;
        std::uint16_t Word;
    };
    const std::vector<TStep> timeline = {
        {2999, 0},       {3000, 0x0020},   // slot 0 loses frame alignment on stream 1
        {6000, 0},       {12000, 0x4040},  // slot 4 loses its signal on set 2
        {16000, 0x4040}, {20000, 0},
        {23000, 0x0020}, {25000, 0x6080},  // the 2VS in slot 6 is pulled out
        {35000, 0x0020}, {36000, 0},
        {42000, 0x4040}, {1003000, 0x4040},  // and so on for ever
    };
    auto& demo = *simulation.Scripts.front();
    for (const auto& step : timeline) {
        demo.Run(step.AtMs);
        EXPECT_EQ(mux.AlarmWord(), step.Word) << "at " << step.AtMs << " ms";
    }
}

TEST(Simulation, OptionsApplyOnTopOfTheDemoAndChooseTheServedMultiplexer) {
    const auto options =
        ParseMuxSimOptions({"--demo", "--id=3", "--board", "0:7", "--remote", "3,1-7,0;=2:10,4:24", "--lose",
                            "0.25", "--delay=40", "--seed", "99", "--pace"});
    EXPECT_EQ(options.Id, 3);
    ASSERT_EQ(options.Remotes.size(), 1u);
    EXPECT_EQ(options.Remotes[0].Path, (std::vector<std::uint8_t>{0x13, 0x07}));
    EXPECT_TRUE(options.Pace);
    EXPECT_EQ(options.Seed, 99u);

    auto simulation = BuildSimulation(options);
    auto& line = *simulation.Line;
    EXPECT_EQ(line.Find(3, {}), simulation.Served);
    EXPECT_TRUE(line.Local().Silent()) << "nothing answers device number 0";
    EXPECT_EQ(simulation.Served->InstalledBoard(0), sim::board::k1E1) << "--board over the demo";
    EXPECT_EQ(simulation.Served->InstalledBoard(1), sim::board::k4E1);
    const auto* remote = line.Find(3, std::vector<std::uint8_t>{0x13, 0x07});
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(remote->ConfiguredBoard(2), sim::board::k4E1);
    EXPECT_EQ(remote->InstalledBoard(4), sim::board::k4DSL);
    EXPECT_DOUBLE_EQ(line.Faults().LostProbability, 0.25);
    EXPECT_EQ(line.Faults().DelayMs, 40u);
}

TEST(PacedQueue, BytesCrossTheLineOneAfterAnother) {
    TPacedQueue queue(100);
    const std::vector<std::uint8_t> three{1, 2, 3};
    queue.Push(three, 0);
    EXPECT_EQ(queue.DueCount(99), 0u);
    EXPECT_EQ(queue.DueCount(250), 2u);
    EXPECT_EQ(queue.Front(2), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(queue.DueNs(1), 200);  // an answer to these bytes starts here, however late we look
    queue.Pop(2);
    EXPECT_EQ(queue.FrontDueNs(), 300);
    // Bytes queued while the line is busy wait their turn; on an idle line they start at once.
    queue.Push(std::vector<std::uint8_t>{4}, 150);
    EXPECT_EQ(queue.DueCount(399), 1u);
    EXPECT_EQ(queue.DueCount(400), 2u);
    queue.Pop(2);
    queue.Push(std::vector<std::uint8_t>{5}, 1000);
    EXPECT_EQ(queue.FrontDueNs(), 1100);

    TPacedQueue unpaced;
    unpaced.Push(three, 50);
    EXPECT_EQ(unpaced.DueCount(50), 3u);
    // A byte is 10 bits at 57600 baud, rounded up: never faster than 5760 bytes a second.
    EXPECT_GE(kByteNs * 5760, 1'000'000'000);
    EXPECT_LT((kByteNs - 1) * 5760, 1'000'000'000);
}

}  // namespace
}  // namespace tervis::muxsim
