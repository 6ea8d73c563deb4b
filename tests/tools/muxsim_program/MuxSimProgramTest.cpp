// The program as the configurator meets it: a child process serving a pseudo-terminal.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdlib>

#include "LineClient.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace tervis::muxsim::test {
namespace {

constexpr std::uint8_t kPollTypes = 110;
constexpr std::uint8_t kReadSlotType = 15;
constexpr std::uint8_t kReadEndpoint = 25;
constexpr std::uint8_t kReadSettings = 45;
constexpr std::uint8_t kReplySlotTypes = 115;
constexpr std::uint8_t kReplySlotType = 10;
constexpr std::uint8_t kReplyEndpoint = 20;
constexpr milliseconds kNoAnswerWait{500};

using tervis::test::TSimulatorProcess;
using tervis::test::TTempDir;
using tervis::test::WriteBytes;

// The simulator program's command line with these arguments.
std::vector<std::string> MuxSim(std::vector<std::string> args) {
    args.insert(args.begin(), TERVIS_MUXSIM_PATH);
    return args;
}

// A running simulator with a client on its line.
struct TServed {
    explicit TServed(const std::vector<std::string>& args) : Process(MuxSim(args)) {
        const auto path = Process.FirstLine();
        if (!path) {
            throw std::runtime_error("no line path; stderr: " + Process.Stderr());
        }
        Path = *path;
        Client = std::make_unique<TLineClient>(Path);
    }
    TSimulatorProcess Process;
    std::string Path;
    std::unique_ptr<TLineClient> Client;
};

// The board types the multiplexer reports as plugged in (reply 115), or nothing without an answer.
std::optional<TBytes> PluggedTypes(TLineClient& client, std::uint8_t device = 0, const TBytes& path = {},
                                   std::uint8_t control = 0x81) {
    const auto reply = client.Exchange(Request(control, device, path, {kPollTypes}));
    if (!reply) {
        return std::nullopt;
    }
    const auto body = ReplyBody(*reply);
    if (body.size() < 21) {
        ADD_FAILURE() << "reply 115 of " << body.size() << " bytes";
        return std::nullopt;
    }
    EXPECT_EQ(body[0], kReplySlotTypes);
    return TBytes(body.begin() + 5, body.begin() + 21);
}

// The configured type of a slot (reply 10), or -1 without an answer.
int ConfiguredType(TLineClient& client, int slot, std::uint8_t device = 0, const TBytes& path = {}) {
    const auto reply =
        client.Exchange(Request(0x05, device, path, {kReadSlotType, static_cast<std::uint8_t>(slot)}));
    if (!reply) {
        return -1;
    }
    const auto body = ReplyBody(*reply);
    if (body.size() < 3) {
        ADD_FAILURE() << "reply 10 of " << body.size() << " bytes";
        return -1;
    }
    EXPECT_EQ(body[0], kReplySlotType);
    EXPECT_EQ(body[1], slot);
    return body[2];
}

TEST(MuxSimProgram, AnswersPollsWithTheBoardsOfTheCommandLine) {
    TServed served({"--board", "2:10", "--board", "5:24", "--install-only", "7:7"});
    auto& client = *served.Client;

    const auto reply = client.Exchange(Request(0x81, 0, {}, {kPollTypes}));
    ASSERT_TRUE(reply) << served.Process.Stderr();
    EXPECT_EQ(reply->at(0), 0x81) << "the control byte is echoed";

    TBytes expected(16, 0);
    expected[2] = 10;
    expected[5] = 24;
    expected[7] = 7;
    EXPECT_EQ(PluggedTypes(client), expected);
    EXPECT_EQ(ConfiguredType(client, 2), 10);
    EXPECT_EQ(ConfiguredType(client, 5), 24);
    EXPECT_EQ(ConfiguredType(client, 7), 0) << "--install-only configures nothing";
}

TEST(MuxSimProgram, AnswersOnlyItsDeviceNumberAndItsRemotes) {
    TServed served({"--id", "3", "--board", "1:7", "--remote", "3,1-7,0;=0:10,4:24"});
    auto& client = *served.Client;

    EXPECT_EQ(ConfiguredType(client, 1, 3), 7);
    EXPECT_FALSE(client.Exchange(Request(0x06, 0, {}, {kPollTypes}), kNoAnswerWait)) << "device number 0";
    EXPECT_FALSE(client.Exchange(Request(0x07, 4, {}, {kPollTypes}), kNoAnswerWait)) << "device number 4";

    const TBytes path{0x13, 0x07};
    EXPECT_EQ(ConfiguredType(client, 0, 3, path), 10);
    EXPECT_EQ(ConfiguredType(client, 4, 3, path), 24);
    const auto reply = client.Exchange(Request(0x08, 3, path, {kPollTypes}));
    ASSERT_TRUE(reply);
    ASSERT_GE(reply->size(), 5u);
    EXPECT_EQ(TBytes(reply->begin() + 2, reply->begin() + 5), (TBytes{2, 0x13, 0x07}))
        << "the path comes back";
    EXPECT_FALSE(client.Exchange(Request(0x09, 3, {0x13, 0x08}, {kPollTypes}), kNoAnswerWait));
}

// A configuration image written byte by byte: little-endian words at their word index.
std::string ImageWith(const std::vector<std::pair<std::size_t, std::uint16_t>>& words) {
    std::string image(65534, '\0');
    for (const auto& [index, value] : words) {
        image[2 * index] = static_cast<char>(value & 0xFF);
        image[2 * index + 1] = static_cast<char>(value >> 8);
    }
    return image;
}

TEST(MuxSimProgram, ServesAConfigurationFile) {
    TTempDir dir;
    const std::string file = dir.File("chassis.mux");
    constexpr std::uint16_t kEndpoint = 4 * 128 + 5;
    WriteBytes(file,
               ImageWith({{4, 24}, {0x80 + kEndpoint, 0x0123}, {0x880 + kEndpoint, 0x00D8}, {0x1089, 0x7F}}));

    {
        TServed served({"--config", file});
        auto& client = *served.Client;
        EXPECT_EQ(ConfiguredType(client, 4), 24);
        const auto types = PluggedTypes(client);
        ASSERT_TRUE(types);
        EXPECT_EQ(types->at(4), 24) << "the configured board is plugged in";

        const auto endpoint = client.Exchange(Request(0x0A, 0, {}, {kReadEndpoint, 0x02, 0x05}));
        ASSERT_TRUE(endpoint);
        EXPECT_EQ(ReplyBody(*endpoint), (TBytes{kReplyEndpoint, 0x02, 0x05, 0x01, 0x23, 0xD8}));
        const auto settings = client.Exchange(Request(0x0B, 0, {}, {kReadSettings}));
        ASSERT_TRUE(settings);
        EXPECT_EQ(ReplyBody(*settings).at(10), 0x7F) << "W9";
    }
    {
        TServed served({"--config", file, "--no-install"});
        EXPECT_EQ(ConfiguredType(*served.Client, 4), 24);
        EXPECT_EQ(PluggedTypes(*served.Client), TBytes(16, 0));
    }
    WriteBytes(file, std::string(65535, '\0'));
    TSimulatorProcess tooLong(MuxSim({"--config", file}));
    EXPECT_EQ(tooLong.WaitExit(), 2);
    EXPECT_NE(tooLong.Stderr().find("longer than 65534 bytes"), std::string::npos) << tooLong.Stderr();
}

TEST(MuxSimProgram, RefusesBadCommandLinesWithStatus2) {
    TTempDir dir;
    const std::string script = dir.File("bad.scn");
    WriteBytes(script, "# fine so far\nat 1 unplug 3\nat 2 unplug 16\n");
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    const std::vector<TCase> cases = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--board", "16:10"}, "--board slot: '16'"},
        {{"--board", "3"}, "SLOT:TYPE"},
        {{"--install-only", "3:256"}, "--install-only type"},
        {{"--id", "20"}, "--id"},
        {{"--lose", "1.5"}, "--lose"},
        {{"--corrupt", "x"}, "--corrupt"},
        {{"--seed", "-1"}, "--seed"},
        {{"--delay"}, "--delay needs a value"},
        {{"--pace=1"}, "--pace takes no value"},
        {{"--remote", "1,0;"}, "address path"},
        {{"--no-install"}, "--config"},
        {{"--config", dir.File("missing.mux")}, "cannot read"},
        {{"--scenario", script}, script + ":3: unplug: bad slot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.front());
        TSimulatorProcess process(MuxSim(c.Args));
        EXPECT_EQ(process.WaitExit(), 2);
        EXPECT_NE(process.Stderr().find(c.Message), std::string::npos) << process.Stderr();
        EXPECT_EQ(process.RestOfOutput(), "") << "no line is announced";
    }
}

TEST(MuxSimProgram, HelpNamesEveryOption) {
    TSimulatorProcess process(MuxSim({"--help"}));
    EXPECT_EQ(process.WaitExit(), 0);
    const std::string help = process.RestOfOutput();
    EXPECT_TRUE(help.starts_with("Использование: tervis-muxsim [ПАРАМЕТР]...\n")) << help.substr(0, 80);
    EXPECT_NE(help.find("Код завершения: 0 после SIGINT"), std::string::npos);
    for (const char* option : {"--device", "--link", "--config", "--no-install", "--board", "--install-only",
                               "--id", "--remote", "--pace", "--delay", "--lose", "--corrupt", "--seed",
                               "--scenario", "--demo", "--print-demo", "--verbose", "--help", "--version"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

// Peak resident memory of a running process, in kB.
long PeakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

TEST(MuxSimProgram, AFloodOnThePacedLineIsCutAtTheBacklogAndSaidOnce) {
    TServed served({"--pace"});
    const long before = PeakKb(served.Process.Pid());
    // 4 MB at once: at the real line rate that would be twelve minutes of requests.
    const int fd = open(served.Path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::vector<std::uint8_t> chunk(4096, 0x55);
    for (std::size_t sent = 0; sent < 4u * 1024 * 1024;) {
        const ssize_t n = write(fd, chunk.data(), chunk.size());
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else {
            pollfd p = {fd, POLLOUT, 0};
            ASSERT_GT(poll(&p, 1, 5000), 0) << "the simulator stopped reading";
        }
    }
    close(fd);
    ASSERT_TRUE(served.Process.AwaitStderr("лишние байты отброшены"));
    // Unbounded, the queue would hold 16 bytes for each byte received: 64 MB more.
    EXPECT_LT(PeakKb(served.Process.Pid()) - before, 16 * 1024);
    const std::string err = served.Process.Stderr();
    EXPECT_EQ(err.find("отброшены"), err.rfind("отброшены")) << err;
}

TEST(MuxSimProgram, StopsCleanlyOnSignalsAndRemovesItsLink) {
    TTempDir dir;
    const std::string link = dir.File("mux0");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(symlink("/nonexistent/stale", link.c_str()), 0) << "a stale link is replaced";
        TServed served({"--link", link});
        std::array<char, 256> target{};
        const ssize_t length = readlink(link.c_str(), target.data(), target.size() - 1);
        ASSERT_GT(length, 0);
        EXPECT_EQ(std::string(target.data(), static_cast<std::size_t>(length)), served.Path);
        TLineClient byLink(link);
        EXPECT_TRUE(byLink.Exchange(Request(0x11, 0, {}, {kPollTypes})));

        served.Process.Signal(signal);
        EXPECT_EQ(served.Process.WaitExit(), 0) << served.Process.Stderr();
        struct stat st {};
        EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is gone";
    }

    WriteBytes(link, "not a link");
    TSimulatorProcess refused(MuxSim({"--link", link}));
    EXPECT_EQ(refused.WaitExit(), 1);
    EXPECT_NE(refused.Stderr().find("not a symbolic link"), std::string::npos) << refused.Stderr();
}

TEST(MuxSimProgram, KeepsAnsweringAcrossReopensWithoutSpinning) {
    TServed served({"--board", "0:10"});
    served.Client.reset();
    for (std::uint8_t round = 1; round <= 5; ++round) {
        SCOPED_TRACE(static_cast<int>(round));
        TLineClient client(served.Path);
        const auto types = PluggedTypes(client, 0, {}, round);
        ASSERT_TRUE(types) << served.Process.Stderr();
        EXPECT_EQ(types->at(0), 10);
        std::this_thread::sleep_for(milliseconds(50));
    }

    // Nobody on the line now: the program keeps waiting for the next configurator. (That it waits
    // without spinning is measured by bench/MuxSimIdleBench.)
    EXPECT_FALSE(served.Process.WaitExit(milliseconds(0))) << "still running";
}

TEST(MuxSimProgram, PacedLineTakesAtLeastTheWireTime) {
    TServed served({"--pace"});
    auto& client = *served.Client;
    const auto start = TClock::now();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(
            client.Exchange(Request(static_cast<std::uint8_t>(0x80 | (i & 0x7F)), 0, {}, {kPollTypes})));
    }
    const double elapsed = std::chrono::duration<double>(TClock::now() - start).count();
    // Each poll waits for its answer, so the bytes of both directions follow one another on the wire.
    const double wire = static_cast<double>(client.BytesSent() + client.BytesReceived()) * 10.0 / 57600.0;
    EXPECT_GE(elapsed, 0.9 * wire) << client.BytesSent() << " bytes out, " << client.BytesReceived() << " in";
}

TEST(MuxSimProgram, ServesASerialDeviceGivenByPath) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave = ptsname(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    TLineClient client(master);

    TSimulatorProcess process(MuxSim({"--device", slave, "--board", "9:15"}));
    EXPECT_EQ(process.FirstLine(), slave);
    const auto types = PluggedTypes(client);
    ASSERT_TRUE(types) << process.Stderr();
    EXPECT_EQ(types->at(9), 15);
}

TEST(MuxSimProgram, ScriptActsOnTheRunningMultiplexers) {
    TTempDir dir;
    const std::string script = dir.File("unplug.scn");
    WriteBytes(script,
               "at 0 board 3 10            # before the first request\n"
               "at 0 @3,1-7,0; board 0 7   # a remote only the script names\n"
               "at 300ms unplug 3\n");
    TServed served({"--scenario", script});
    auto& client = *served.Client;

    EXPECT_EQ(ConfiguredType(client, 0, 0, {0x13, 0x07}), 7);
    bool unplugged = false;
    const auto deadline = TClock::now() + kAnswerTimeout;
    while (!unplugged && TClock::now() < deadline) {
        const auto types = PluggedTypes(client);
        ASSERT_TRUE(types);
        unplugged = types->at(3) == 0;
        std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_TRUE(unplugged);
    EXPECT_EQ(ConfiguredType(client, 3), 10) << "still configured";
}

TEST(MuxSimProgram, FaultOptionsReachTheAnswers) {
    {
        TServed served({"--lose", "1"});
        EXPECT_FALSE(served.Client->Exchange(Request(0x81, 0, {}, {kPollTypes}), kNoAnswerWait));
    }
    {
        TServed served({"--corrupt", "1", "--seed", "7"});
        served.Client->Send(Request(0x82, 0, {}, {kPollTypes}));
        const auto deadline = TClock::now() + kAnswerTimeout;
        while (served.Client->BytesReceived() == 0 && TClock::now() < deadline) {
            served.Client->Drain(milliseconds(50));
        }
        served.Client->Drain(milliseconds(100));  // the rest of the frame
        EXPECT_GT(served.Client->BytesReceived(), 0u) << "an answer went out";
        EXPECT_EQ(served.Client->FramesDecoded(), 0u) << "but it does not pass the checksum";
    }
    {
        TServed served({"--delay", "300"});
        const auto start = TClock::now();
        EXPECT_TRUE(served.Client->Exchange(Request(0x83, 0, {}, {kPollTypes})));
        EXPECT_GE(TClock::now() - start, milliseconds(290));
    }
}

TEST(MuxSimProgram, DemoServesAPopulatedChassisThatReportsAlarms) {
    TServed served({"--demo"});
    const auto types = PluggedTypes(*served.Client);
    ASSERT_TRUE(types);
    EXPECT_EQ(TBytes(types->begin(), types->begin() + 8), (TBytes{10, 10, 7, 1, 24, 15, 12, 26}));
    const auto settings = served.Client->Exchange(Request(0x0B, 0, {}, {kReadSettings}));
    ASSERT_TRUE(settings);
    EXPECT_EQ(ReplyBody(*settings).at(10), 0xFF) << "W9: every alarm reported";
}

}  // namespace
}  // namespace tervis::muxsim::test
