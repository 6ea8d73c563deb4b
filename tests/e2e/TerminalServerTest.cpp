// The multiplexer behind a real ser2net: tervis-cli and the main window reach tervis-muxsim's
// pseudo-terminal through it, as Telnet with the com port option and as raw TCP, also over a line that
// loses and corrupts answers, and while ser2net is killed and started again.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <random>
#include <thread>

#include "core/model/Mux.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/shell/USlotFrame.h"
#include "support/BusyChassis.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/ScriptedDialogs.h"
#include "support/Ser2net.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::PumpUntil;
using test::TSer2net;
using test::TSimulatorProcess;

class TerminalServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::Ser2netInstalled()) {
            GTEST_SKIP() << "ser2net is not installed (scripts/bootstrap installs it)";
        }
        test::WriteBusyChassis(dir / "chassis.mux", 5, kSlotCount, 200);
        test::WriteBusyChassis(dir / "small.mux", 5, 2, 200);
    }
    test::TTempDir dir;
};

TEST_F(TerminalServerTest, LoadReadAndCompareThroughSer2net) {
    for (const bool rfc2217 : {true, false}) {
        SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
        TSimulatorProcess sim({TERVIS_MUXSIM_PATH});
        ASSERT_FALSE(sim.Path().empty());
        TSer2net server(dir.Path(), sim.Path(), rfc2217);
        ASSERT_TRUE(server.Start()) << server.Log();
        const std::string port = server.Name();

        const auto load = test::Run(Cli({"load", (dir / "chassis.mux").string(), "--port", port}));
        ASSERT_EQ(load.Status, 0) << load.Err;
        fs::remove(dir / "back.mux");
        const auto read = test::Run(Cli({"read", "-o", (dir / "back.mux").string(), "--port", port}));
        ASSERT_EQ(read.Status, 0) << read.Err;
        EXPECT_TRUE(test::ReadBytes(dir / "back.mux") == test::ReadBytes(dir / "chassis.mux"));
        const auto same = test::Run(Cli({"compare", (dir / "chassis.mux").string(), "--port", port}));
        EXPECT_EQ(same.Status, 0) << same.Err;
        EXPECT_EQ(same.Out, "Отличий не найдено\n");
    }
}

TEST_F(TerminalServerTest, LostAndCorruptedAnswersThroughSer2netChangeNothing) {
    for (const bool rfc2217 : {true, false}) {
        SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
        TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--config", (dir / "small.mux").string(), "--lose", "0.05",
                               "--corrupt", "0.05", "--seed", rfc2217 ? "3" : "4"});
        ASSERT_FALSE(sim.Path().empty());
        TSer2net server(dir.Path(), sim.Path(), rfc2217);
        ASSERT_TRUE(server.Start()) << server.Log();
        fs::remove(dir / "back.mux");
        const auto read =
            test::Run(Cli({"read", "-o", (dir / "back.mux").string(), "--port", server.Name()}));
        ASSERT_EQ(read.Status, 0) << read.Err;
        EXPECT_TRUE(test::ReadBytes(dir / "back.mux") == test::ReadBytes(dir / "small.mux"));
    }
}

TEST_F(TerminalServerTest, ErrorsNameTheTrouble) {
    // Nobody listens: refused, told with the port, exit status 2, at once.
    const std::string nobody = "rfc2217://127.0.0.1:" + std::to_string(test::FreeLocalPort());
    const auto refused = test::Run(Cli({"read", "-o", (dir / "x.mux").string(), "--port", nobody}));
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("Ошибка открытия порта " + nobody + ": "), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Err.find("отклоняет соединение"), std::string::npos) << refused.Err;

    const auto malformed =
        test::Run(Cli({"read", "-o", (dir / "x.mux").string(), "--port", "tcp://127.0.0.1"}));
    EXPECT_EQ(malformed.Status, 2);
    EXPECT_NE(malformed.Err.find("Ошибка открытия порта tcp://127.0.0.1"), std::string::npos)
        << malformed.Err;
}

TEST_F(TerminalServerTest, Ser2netKilledMidReadAndStartedAgain) {
    for (const bool rfc2217 : {true, false}) {
        SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
        // The paced line makes a full chassis read last several seconds: long enough to pull the server.
        TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--pace", "--config", (dir / "small.mux").string()});
        ASSERT_FALSE(sim.Path().empty());
        TSer2net server(dir.Path(), sim.Path(), rfc2217);
        ASSERT_TRUE(server.Start()) << server.Log();
        fs::remove(dir / "back.mux");
        const auto started = std::chrono::steady_clock::now();
        auto reading = std::async(std::launch::async, [&] {
            return test::Run(
                Cli({"read", "-o", (dir / "back.mux").string(), "--port", server.Name(), "--timeout", "6"}),
                std::chrono::seconds(90));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        server.Kill(SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ASSERT_TRUE(server.Start()) << server.Log();
        const test::TRunResult read = reading.get();
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_LT(took, std::chrono::seconds(60));
        // Completed with the whole configuration, or given up with the no-answer status and no file.
        ASSERT_TRUE(read.Status == 0 || read.Status == 3) << read.Status << read.Err;
        if (read.Status == 0) {
            EXPECT_TRUE(test::ReadBytes(dir / "back.mux") == test::ReadBytes(dir / "small.mux"));
        } else {
            EXPECT_FALSE(fs::exists(dir / "back.mux"));
            EXPECT_NE(read.Err.find("Нет связи с мультиплексором"), std::string::npos) << read.Err;
        }
    }
}

TEST_F(TerminalServerTest, MainWindowListsThePortAndItsLinkComesBack) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "3:10", "--board", "5:7"});
    ASSERT_FALSE(sim.Path().empty());
    TSer2net server(dir.Path(), sim.Path(), true);
    ASSERT_TRUE(server.Start()) << server.Log();
    {
        std::ofstream ini(dir / "tervis.ini");
        ini << "[SETTINGS]\ndevice=" << server.Name() << "\n";
    }
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    TSettings settings;
    test::TScriptedDialogs dialogs;
    auto window =
        std::make_unique<TConfigForm>(std::vector<std::string>{"tervis"}, dir.Path(), settings, dialogs);
    window->show();
    const auto buttonText = [&](int slot) {
        return window->TileForSlot(slot)->findChild<QPushButton*>("ButtonType")->text();
    };

    // The port in use has its item in the port menu, and it alone is ticked.
    int ticked = 0;
    QAction* item = nullptr;
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->objectName().startsWith("ItemCOM") || a->objectName() == "ItemPort") {
            ticked += a->isChecked() ? 1 : 0;
            item = a->text() == QString::fromStdString(server.Name()) ? a : item;
        }
    }
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(ticked, 1);

    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }, 20000));
    window->ReadItemClick();
    EXPECT_TRUE(PumpUntil([&] { return buttonText(3) == "4E1" && buttonText(5) == "1E1"; }));

    // ser2net killed: no link, and no message box; started again: the link comes back by itself.
    server.Kill(SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Нет связи"; }, 20000));
    test::Pump(2500);  // a quiet attempt or two against the closed port
    ASSERT_TRUE(server.Start()) << server.Log();
    EXPECT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }, 30000));
    EXPECT_TRUE(dialogs.messages.empty());
    window.reset();
    fs::current_path(previous);
}

}  // namespace
}  // namespace tervis
