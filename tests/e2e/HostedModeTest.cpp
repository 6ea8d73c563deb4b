// Hosted mode end to end: the main window started with "-h N", the real tervis-host N bridging to the
// simulated multiplexer on a pseudo-terminal.
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

#include "gui/shell/UMuxConfig.h"
#include "gui/shell/USlotFrame.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::PumpUntil;

namespace fs = std::filesystem;
using TAnswer = IDialogs::TAnswer;

// Whether a process of another user (nobody) can connect to the socket; only root can try this.
bool OtherUserCanConnect(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            _exit(3);
        }
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        _exit(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class HostedModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(dir.Path());
        number = std::to_string(800000 + getpid());  // ours alone in the shared runtime folder
    }
    void TearDown() override {
        window.reset();
        fs::current_path(previous_);
    }
    std::unique_ptr<test::TSimulatorProcess> StartHost(const std::string& line) {
        return std::make_unique<test::TSimulatorProcess>(
            std::vector<std::string>{TERVIS_HOST_PATH, number, "--port", line});
    }
    QString ButtonText(int slot) const {
        return window->TileForSlot(slot)->findChild<QPushButton*>("ButtonType")->text();
    }

    test::TTempDir dir;
    TSettings settings;
    test::TScriptedDialogs dialogs;
    std::unique_ptr<TConfigForm> window;
    std::string number;

private:
    fs::path previous_;
};

TEST_F(HostedModeTest, ReadLoadHostLossAndReturnActivation) {
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "3:10", "--board", "5:7"});
    ASSERT_FALSE(sim.Path().empty());
    auto host = StartHost(sim.Path());
    ASSERT_FALSE(host->Path().empty()) << "the host prints its socket when it listens";

    // The socket belongs to this user alone.
    struct stat info = {};
    ASSERT_EQ(stat(host->Path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_uid, geteuid());
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << info.st_mode;
    if (geteuid() == 0) {
        EXPECT_FALSE(OtherUserCanConnect(host->Path()));
    }
    // A second host with the same number refuses to start.
    EXPECT_EQ(test::Run({TERVIS_HOST_PATH, number, "--port", sim.Path()}).Status, 1);

    window = std::make_unique<TConfigForm>(std::vector<std::string>{"tervis", "-h", number}, dir.Path(),
                                           settings, dialogs);
    window->show();
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }));
    EXPECT_TRUE(dialogs.messages.empty());

    // A read fills the tiles.
    window->ReadItemClick();
    EXPECT_TRUE(PumpUntil([&] { return ButtonText(3) == "4E1" && ButtonText(5) == "1E1"; }));

    // A load arrives byte for byte: read back, the device's configuration is the one we saved.
    window->Model().SetSlotType(7, {bt4TCh, 0, 0});
    window->Model().SaveToFile(dir / "sent.mux");
    dialogs.answers = {TAnswer::Yes};
    window->WriteItemClick();
    window->Model().Clear();
    window->ReadItemClick();
    EXPECT_TRUE(PumpUntil([&] { return ButtonText(7) == "4ТЧ"; }));
    window->Model().SaveToFile(dir / "back.mux");
    const std::string sent = test::ReadBytes(dir / "sent.mux");
    ASSERT_EQ(sent.size(), 65534u);
    EXPECT_TRUE(sent == test::ReadBytes(dir / "back.mux"));

    // The host killed: no link, no message, no crash.
    host->Kill(SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Нет связи"; }));
    EXPECT_EQ(window->TileForSlot(3)->findChild<QLabel*>("TypeLabel")->text(), "---");
    // Started again (over the socket file the killed one left): the link returns by itself.
    host = StartHost(sim.Path());
    ASSERT_FALSE(host->Path().empty());
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }));

    // The activation message brings the minimised window back, on SIGUSR1 and with --activate.
    window->showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return window->isMinimized(); }));
    kill(host->Pid(), SIGUSR1);
    ASSERT_TRUE(PumpUntil([&] { return !window->isMinimized() && window->isVisible(); }));
    window->showMinimized();
    ASSERT_TRUE(PumpUntil([&] { return window->isMinimized(); }));
    EXPECT_EQ(test::Run({TERVIS_HOST_PATH, number, "--activate"}).Status, 0);
    ASSERT_TRUE(PumpUntil([&] { return !window->isMinimized(); }));
    EXPECT_TRUE(dialogs.messages.empty());

    // The host ends cleanly on SIGTERM and takes its socket with it.
    const std::string socketPath = host->Path();
    host->Kill(SIGTERM);
    EXPECT_FALSE(fs::exists(fs::symlink_status(socketPath)));
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Нет связи"; }));
}

// Each on a line of its own, so that only the number can keep one of them from running.
TEST(HostProgram, OfTwoHostsStartedAtOnceExactlyOneRuns) {
    test::TSimulatorProcess simA({TERVIS_MUXSIM_PATH});
    test::TSimulatorProcess simB({TERVIS_MUXSIM_PATH});
    ASSERT_FALSE(simA.Path().empty());
    ASSERT_FALSE(simB.Path().empty());
    for (int round = 0; round < 5; ++round) {
        const std::string number = std::to_string(830000 + getpid() * 8 + round);
        test::TSimulatorProcess a({TERVIS_HOST_PATH, number, "--port", simA.Path()});
        test::TSimulatorProcess b({TERVIS_HOST_PATH, number, "--port", simB.Path()});
        const bool aRuns = a.FirstLine().has_value();
        const bool bRuns = b.FirstLine().has_value();
        EXPECT_NE(aRuns, bRuns) << "round " << round;
        test::TSimulatorProcess& loser = aRuns ? b : a;
        EXPECT_EQ(loser.WaitExit(), 1);
        EXPECT_NE(loser.Stderr().find("уже запущен"), std::string::npos) << loser.Stderr();
    }
}

TEST(HostProgram, HelpAndBadArguments) {
    const test::TRunResult help = test::Run({TERVIS_HOST_PATH, "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Использование: tervis-host N --port УСТРОЙСТВО"), std::string::npos);
    EXPECT_NE(help.Out.find("Код завершения"), std::string::npos);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{TERVIS_HOST_PATH, "-1", "--port", "/dev/null"},
                                               {TERVIS_HOST_PATH, "7"},
                                               {TERVIS_HOST_PATH, "7", "--port", "a", "--activate"}}) {
        const test::TRunResult bad = test::Run(args);
        EXPECT_EQ(bad.Status, 2) << args.size();
        EXPECT_NE(bad.Err.find("--help"), std::string::npos);
    }
    // No such line, or nobody to activate: status 1 with the reason.
    const test::TRunResult noLine =
        test::Run({TERVIS_HOST_PATH, std::to_string(820000 + getpid()), "--port", "/nonexistent/tty"});
    EXPECT_EQ(noLine.Status, 1);
    EXPECT_NE(noLine.Err.find("/nonexistent/tty"), std::string::npos);
    const test::TRunResult nobody =
        test::Run({TERVIS_HOST_PATH, std::to_string(810000 + getpid()), "--activate"});
    EXPECT_EQ(nobody.Status, 1);
}

}  // namespace
}  // namespace tervis
