// tervis-cli against tervis-muxsim on a pseudo-terminal: whole programs, real line.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/BusyChassis.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::TSimulatorProcess;

class CliEndToEndTest : public ::testing::Test {
protected:
    test::TTempDir dir;
};

TEST_F(CliEndToEndTest, LoadReadCompareAndClearAFullChassis) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH});
    ASSERT_FALSE(sim.Path().empty());
    const std::string port = sim.Path();
    test::WriteBusyChassis(dir / "chassis.mux", 1);

    auto load = test::Run(Cli({"load", (dir / "chassis.mux").string(), "--port", port}));
    ASSERT_EQ(load.Status, 0) << load.Err;
    auto read = test::Run(Cli({"read", "-o", (dir / "back.mux").string(), "--port", port}));
    ASSERT_EQ(read.Status, 0) << read.Err;
    EXPECT_TRUE(test::ReadBytes(dir / "back.mux") == test::ReadBytes(dir / "chassis.mux"));

    auto same = test::Run(Cli({"compare", (dir / "chassis.mux").string(), "--port", port}));
    EXPECT_EQ(same.Status, 0) << same.Err;
    EXPECT_EQ(same.Out, "Отличий не найдено\n");

    auto clear = test::Run(Cli({"clear", "--port", port}));
    ASSERT_EQ(clear.Status, 0) << clear.Err;
    auto differs = test::Run(Cli({"compare", (dir / "chassis.mux").string(), "--port", port}));
    EXPECT_EQ(differs.Status, 1) << differs.Err;
    EXPECT_EQ(differs.Out.substr(0, differs.Out.find('\n')), "ЦП: несовпадение типа синхронизации");
    EXPECT_NE(differs.Out.find("Плата 15: несовпадение типа \"4E1\" - \"---\"\n"), std::string::npos);

    // The status of the running device, in the alarm panel's words.
    auto status = test::Run(Cli({"status", "--port", port}));
    EXPECT_EQ(status.Status, 0) << status.Err;
    EXPECT_EQ(status.Out.substr(0, status.Out.find('\n')), "Связь есть");
    EXPECT_NE(status.Out.find("Аварий нет"), std::string::npos) << status.Out;
}

// The retransmission rules are proven in virtual time by the device operation tests; this is the one
// check that lost and spoilt answers on a real line are recovered too.
TEST_F(CliEndToEndTest, LostAndCorruptedAnswersOnARealLineChangeNothing) {
    test::WriteBusyChassis(dir / "chassis.mux", 2, 1);
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--config", (dir / "chassis.mux").string(), "--lose", "0.05",
                           "--corrupt", "0.05", "--seed", "3", "--verbose"});
    auto read = test::Run(Cli({"read", "-o", (dir / "back.mux").string(), "--port", sim.Path()}));
    ASSERT_EQ(read.Status, 0) << read.Err;
    EXPECT_TRUE(test::ReadBytes(dir / "back.mux") == test::ReadBytes(dir / "chassis.mux"));

    // The simulator's count at exit shows that answers really were lost and spoilt.
    sim.Signal(SIGTERM);
    ASSERT_EQ(sim.WaitExit(), 0);
    const std::string err = sim.Stderr();
    const auto counts = err.rfind(" frames sent, ");
    ASSERT_NE(counts, std::string::npos) << err;
    unsigned lost = 0;
    unsigned corrupted = 0;
    ASSERT_EQ(std::sscanf(err.c_str() + counts, " frames sent, %u lost, %u corrupted", &lost, &corrupted), 2)
        << err.substr(counts);
    EXPECT_GE(lost, 1u);
    EXPECT_GE(corrupted, 1u);
}

TEST_F(CliEndToEndTest, SimulatorKilledMidReadGivesNoLinkAndNoFile) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace", "--verbose", "--board", "0:10", "--board", "1:10"});
    const std::string port = sim.Path();
    ASSERT_FALSE(port.empty()) << sim.Stderr();
    // Killed once the read has asked for the second slot's type: well inside the operation.
    std::thread killer([&] {
        sim.AwaitStderr(" command 15\n", 2);
        sim.Kill(SIGKILL);
    });
    auto read = test::Run(Cli({"read", "-o", (dir / "half.mux").string(), "--port", port, "--timeout", "2"}));
    killer.join();
    EXPECT_EQ(read.Status, 3);
    EXPECT_NE(read.Err.find("Нет связи с мультиплексором"), std::string::npos) << read.Err;
    EXPECT_FALSE(fs::exists(dir / "half.mux"));
    EXPECT_TRUE(fs::is_empty(dir.Path())) << "no temporary file left either";
}

TEST_F(CliEndToEndTest, AddressPathAndDeviceNumberReachOnlyTheirMultiplexer) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--id", "3", "--board", "2:10", "--remote", "3,1-7,0;=2:23"});
    const std::string port = sim.Path();
    auto local = test::Run(Cli({"read", "-o", (dir / "local.mux").string(), "--port", port, "--id", "3"}));
    ASSERT_EQ(local.Status, 0) << local.Err;
    const std::string localImage = test::ReadBytes(dir / "local.mux");
    ASSERT_EQ(localImage.size(), 65534u);
    EXPECT_EQ(localImage[4], '\x0A');
    auto remote = test::Run(Cli(
        {"read", "-o", (dir / "remote.mux").string(), "--port", port, "--id", "3", "--address", "3,1-7"}));
    ASSERT_EQ(remote.Status, 0) << remote.Err;
    const std::string remoteImage = test::ReadBytes(dir / "remote.mux");
    ASSERT_EQ(remoteImage.size(), 65534u);
    EXPECT_EQ(remoteImage[4], '\x17');
    auto nobody = test::Run(Cli({"status", "--port", port, "--id", "0", "--timeout", "1.5"}));
    EXPECT_EQ(nobody.Status, 3);
    auto wrongPath =
        test::Run(Cli({"status", "--port", port, "--id", "3", "--address", "4,0-1,0;", "--timeout", "1.5"}));
    EXPECT_EQ(wrongPath.Status, 3);
}

TEST_F(CliEndToEndTest, TroubleIsReportedClearly) {
    const std::string missing = (dir / "no-such-port").string();
    auto noPort = test::Run(Cli({"status", "--port", missing}));
    EXPECT_EQ(noPort.Status, 2);
    EXPECT_EQ(noPort.Err, "Ошибка открытия порта " + missing + "\n");

    auto badAddress = test::Run(Cli({"status", "--port", missing, "--address", "16,0-1,0;"}));
    EXPECT_EQ(badAddress.Status, 2);
    EXPECT_EQ(badAddress.Err, "Неверный формат адреса\n");

    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--id", "4"});
    auto refused = test::Run(Cli({"set-id", "7", "--port", sim.Path(), "--id", "4"}));
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(refused.Err, "Запись возможна только через RS232!\n");
    auto missingFile =
        test::Run(Cli({"load", (dir / "none.mux").string(), "--port", sim.Path(), "--id", "4"}));
    EXPECT_EQ(missingFile.Status, 2);
    EXPECT_EQ(missingFile.Err, "Файл " + (dir / "none.mux").string() + " не найден\n");
}

// A port that exists but is not this user's to open: besides the usual message, the way to get the right.
TEST_F(CliEndToEndTest, APortWithoutRightsGetsAHint) {
    const std::string node = dir.File("ttyS9");
    std::ofstream(node) << "";
    std::vector<std::string> command = Cli({"status", "--port", node, "--timeout", "1"});
    if (geteuid() == 0) {
        // Rights mean nothing to root: the program runs as nobody, and the node belongs to root and dialout.
        if (access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "running as root without setpriv to drop the rights";
        }
        const group* dialout = getgrnam("dialout");
        ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
        ASSERT_EQ(chown(node.c_str(), 0, dialout != nullptr ? dialout->gr_gid : 0), 0);
        ASSERT_EQ(chmod(node.c_str(), 0660), 0);
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                         "--clear-groups", "--reset-env"});
    } else {
        ASSERT_EQ(chmod(node.c_str(), 0), 0);
    }
    const auto refused = test::Run(command);
    EXPECT_EQ(refused.Status, 2);
    const std::string expected = "Ошибка открытия порта " + node + "\nНет прав на порт " + node + ": ";
    EXPECT_EQ(refused.Err.substr(0, expected.size()), expected) << refused.Err;
    if (geteuid() == 0 && getgrnam("dialout") != nullptr) {
        EXPECT_NE(refused.Err.find("в группу dialout (sudo usermod -aG dialout $USER)"), std::string::npos)
            << refused.Err;
    }
}

}  // namespace
}  // namespace tervis
