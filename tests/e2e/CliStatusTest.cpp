// tervis-cli status against tervis-muxsim answering rightly and wrongly: every board's information is
// asked by the type the device reports, the command always ends by itself, and a script reading the pipe
// gets each line as soon as it is printed.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include "support/Process.h"

namespace tervis {
namespace {

using test::TSimulatorProcess;
using Clock = std::chrono::steady_clock;

std::vector<std::string> Status(const std::string& port, const std::string& timeout) {
    return {TERVIS_CLI_PATH, "status", "--port", port, "--timeout", timeout};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliStatusTest, InformationOfEveryReportedBoardAndTheCpu) {
    // The demo chassis: 4E1 in slots 0 and 1, 1E1 in 2, 4DSL in 4, 4C64 in 5, ДП in 7.
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--demo"});
    ASSERT_FALSE(sim.Path().empty());
    const auto started = Clock::now();
    const auto result = test::Run(Status(sim.Path(), "5"), std::chrono::seconds(60));
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(30));
    ASSERT_EQ(result.Status, 0) << result.Out << result.Err;
    EXPECT_FALSE(Contains(result.Out, ":\n  ???\n")) << result.Out;
    struct TExpected {
        const char* Heading;
        const char* FirstLine;
    };
    for (const TExpected& e : {
             TExpected{"Слот 0 (4E1), порт 0:\n", "  Потеря сигнала: нет\n"},
             TExpected{"Слот 2 (1E1), порт 0:\n", "  Потеря сигнала: нет\n"},
             TExpected{"Слот 4 (4DSL), порт 0:\n", "  State "},
             TExpected{"Слот 5 (4C64), порт 0:\n", "  Потеря сигнала: нет\n"},
             TExpected{"Слот 7 (ДП), порт 0:\n", "  Стабилизация: "},
             TExpected{"ЦП:\n", "  Тип платы ЦП: "},
         }) {
        const std::string block = std::string(e.Heading) + e.FirstLine;
        EXPECT_TRUE(Contains(result.Out, block)) << block << "\n---\n" << result.Out;
    }
}

// A device that answers some requests with a bare reply (as older firmware does for what it does not know)
// keeps the line busy with answers; still each wait is bounded by --timeout and the command reports it.
TEST(CliStatusTest, BareRepliesEndTheCommandWithinTheTimeout) {
    struct TCase {
        const char* BareReply;
        const char* Expected;  // in the output
    };
    for (const TCase& c : {
             TCase{"155", "ЦП:\n  ???\n"},                    // the CPU status
             TCase{"140", "Слот 2 (4E1), порт 0:\n  ???\n"},  // the stream state
             TCase{"175", "Нет связи\n"},                     // the alarm poll
         }) {
        TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "2:10", "--bare-reply", c.BareReply});
        ASSERT_FALSE(sim.Path().empty());
        const auto started = Clock::now();
        const auto result = test::Run(Status(sim.Path(), "2"), std::chrono::seconds(40));
        // Two timed-out waits at most (a board and the CPU), plus the start.
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(15)) << c.BareReply;
        EXPECT_EQ(result.Status, 3) << c.BareReply << ": " << result.Out << result.Err;
        EXPECT_TRUE(Contains(result.Out, c.Expected)) << c.BareReply << ": " << result.Out;
        EXPECT_TRUE(Contains(result.Err, "Нет связи с мультиплексором\n"))
            << c.BareReply << ": " << result.Err;
    }
}

// The slot lines are known long before the CPU's missing information times out: a reader of the pipe has
// them while the command still waits.
TEST(CliStatusTest, LinesReachAPipeAsTheyArePrinted) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--bare-reply", "155"});
    ASSERT_FALSE(sim.Path().empty());
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<std::string> args = Status(sim.Path(), "20");
        auto argv = test::Argv(args);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    const auto deadline = Clock::now() + std::chrono::seconds(12);
    while (!Contains(text, "Аварий нет\n") && Clock::now() < deadline) {
        pollfd fd{out[0], POLLIN, 0};
        if (poll(&fd, 1, 200) > 0) {
            char buffer[4096];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    int status = 0;
    const bool stillRunning = waitpid(pid, &status, WNOHANG) == 0;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    close(out[0]);
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Связь есть");
    EXPECT_TRUE(Contains(text, "Аварий нет\n")) << text;
}

}  // namespace
}  // namespace tervis
