// The signalling-bit editor, the port trace and the information windows: driven by key events and
// crafted replies, and end to end through the main window against the simulated multiplexer.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/link/PacketHandler.h"
#include "gui/crossconnect/UPorts.h"
#include "gui/diagnostics/InfoForm.h"
#include "gui/diagnostics/UProtocol.h"
#include "gui/diagnostics/UTrace.h"
#include "gui/shell/UMuxConfig.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::Pump;
using test::PumpUntil;

namespace fs = std::filesystem;

// --- the signalling-bit editor

class ProtocolFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        TSlotSignalling entries{};
        entries.fill(kSignallingDefault);
        form.Load(10, {"компл.0", "компл.1", "компл.2", "компл.3"}, entries);
        form.show();
        grid = form.findChild<QTableWidget*>("StringGrid1");
        tabs = form.findChild<QTabBar*>("TabSet1");
    }
    // Opens the cell's editor and types into it.
    QLineEdit* Type(int row, int column, const QString& keys) {
        grid->setCurrentCell(row, column);
        grid->editItem(grid->item(row, column));
        QLineEdit* editor = nullptr;
        for (QLineEdit* candidate : grid->findChildren<QLineEdit*>("CellEditor")) {
            if (candidate->isVisible()) {
                editor = candidate;  // closed editors are hidden until they are deleted
            }
        }
        if (editor == nullptr) {
            ADD_FAILURE() << "no cell editor";
            return nullptr;
        }
        QTest::keyClicks(editor, keys);
        return editor;
    }
    void Commit(QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Return); }

    TProtocolForm form;
    QTableWidget* grid = nullptr;
    QTabBar* tabs = nullptr;
};

TEST_F(ProtocolFormTest, ShowsTheTabsEntriesAndHeadings) {
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(grid->item(0, 0)->text(), "канал");
    EXPECT_EQ(grid->item(0, 5)->text(), "акт.");
    EXPECT_EQ(grid->item(15, 3)->text(), "31");
    EXPECT_EQ(grid->item(1, 1)->text(), "0101");
    EXPECT_EQ(grid->item(1, 2)->text(), "0000");
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 1);

    TSlotSignalling entries{};
    entries[69] = 0x3A;
    entries[85] = 0xC5;
    form.Load(10, {"компл.0", "компл.1", "компл.2", "компл.3"}, entries);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(grid->item(5, 1)->text(), "0011");
    EXPECT_EQ(grid->item(5, 2)->text(), "1010");
    EXPECT_EQ(grid->item(5, 4)->text(), "1100");
    EXPECT_EQ(grid->item(5, 5)->text(), "0101");
    if (const QByteArray shots = qgetenv("TERVIS_SCREENSHOTS"); !shots.isEmpty()) {
        form.setWindowTitle("Настройка CAS 4E1, слот 3");
        form.grab().save(QString::fromLocal8Bit(shots) + "/protocol.png");
    }
}

TEST_F(ProtocolFormTest, KeyEditsConvertTheRowAsTyped) {
    tabs->setCurrentIndex(1);
    QLineEdit* abcd = Type(1, 1, "1101");
    ASSERT_NE(abcd, nullptr);
    EXPECT_EQ(form.Entries()[33], 0xD0) << "stored while typing, before the cell is left";
    Commit(abcd);
    QLineEdit* active = Type(1, 2, "1000");
    ASSERT_NE(active, nullptr);
    Commit(active);
    EXPECT_EQ(form.Entries()[33], 0xD8);
    EXPECT_EQ(grid->item(1, 2)->text(), "1000");

    // A digit other than 0 and 1 puts the remembered text back, and the entry follows it; the other half
    // keeps its entry.
    QLineEdit* right = Type(2, 4, "12");
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->text(), "0101");
    Commit(right);
    EXPECT_EQ(form.Entries()[34 + 16], kSignallingDefault);
    EXPECT_EQ(form.Entries()[34], kSignallingDefault);
    EXPECT_EQ(form.Entries()[33], 0xD8);
}

// No click first: the keyboard is on the cell shown selected, and Esc in the middle of an edit cancels the
// whole dialog, not only the edit.
TEST_F(ProtocolFormTest, KeysGoToTheSelectedCellAndEscCancelsAtOnce) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_EQ(QApplication::focusWidget(), grid);
    for (const char key : {'1', '1', '0', '1'}) {
        // Each key to whatever has the keyboard now: the first one opens the cell's editor.
        QTest::keyClicks(QApplication::focusWidget(), QString(QChar(key)));
    }
    EXPECT_EQ(form.Entries()[1], 0xD0);
    EXPECT_EQ(grid->item(1, 1)->text(), "1101");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, grid);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(ProtocolFormTest, SelectionSkipsHeadingsAndChannelColumns) {
    grid->setCurrentCell(3, 2);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentColumn(), 4);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->currentColumn(), 2);
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->currentRow(), 1);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->currentColumn(), 1);
}

TEST_F(ProtocolFormTest, ButtonsForAllReachHiddenPositions) {
    form.findChild<QPushButton*>("SpeedButton3")->click();  // abcd = 1001
    form.findChild<QPushButton*>("SpeedButton6")->click();  // акт. = 0100
    for (int entry : {0, 16, 33, 127}) {
        EXPECT_EQ(form.Entries()[static_cast<std::size_t>(entry)], 0x94) << entry;
    }
    EXPECT_EQ(grid->item(1, 1)->text(), "1001");
    EXPECT_EQ(grid->item(1, 2)->text(), "0100");
}

// --- the trace window

TReceiveBuffer Reply(std::initializer_list<std::uint8_t> payload, std::size_t& p) {
    TReceiveBuffer buffer{};
    p = 3;
    std::copy(payload.begin(), payload.end(), buffer.begin() + static_cast<std::ptrdiff_t>(p));
    return buffer;
}

// Long texts shown whole: the 4DSL tab captions without scroll arrows, the longest uptime of the CPU.
TEST(DiagnosticsTextsFit, LongTabsAndValuesShowWhole) {
    TProtocolForm protocol;
    protocol.Load(24, {"компл.0 CAS#1", "компл.0 CAS#2", "компл.1 CAS#1", "компл.1 CAS#2"},
                  TSlotSignalling{});
    protocol.show();
    QCoreApplication::processEvents();
    auto* tabs = protocol.findChild<QTabBar*>("TabSet1");
    for (int tab = 0; tab < tabs->count(); ++tab) {
        EXPECT_LE(tabs->tabRect(tab).right(), tabs->width()) << tab;
        EXPECT_EQ(tabs->tabText(tab), tabs->tabText(tab).trimmed());
    }
    for (const QToolButton* arrow : tabs->findChildren<QToolButton*>()) {
        EXPECT_FALSE(arrow->isVisible()) << "scroll arrows shown";
    }

    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    mux.SelectInfo(kCpuSlot, 0, true);
    const std::unique_ptr<TInfoForm> cpu = CreateInfoForm(mux, kCpuSlot, nullptr);
    ASSERT_NE(cpu, nullptr);
    cpu->Open({});
    cpu->show();
    QCoreApplication::processEvents();
    TCpuStatus block{};
    for (std::size_t i = 3 + 9; i < 3 + 13; ++i) {
        block[i] = 0xFF;  // the uptime, little-endian seconds
    }
    mux.SetCpuStatus(block);
    cpu->Notify(kNotifyInformation, kInfoCpu, 0);
    QCoreApplication::processEvents();
    auto* uptime = cpu->findChild<QLabel*>("Uptime");
    ASSERT_NE(uptime, nullptr);
    EXPECT_EQ(uptime->text(), "(49710) 06:28:15");
    EXPECT_GE(uptime->contentsRect().width(), uptime->fontMetrics().horizontalAdvance(uptime->text()));
}

TEST(TraceForm, StartPauseAndUnsupportedTypes) {
    TTraceForm form;
    form.PrepareShow();
    std::size_t p = 0;
    form.TraceMessage(Reply({170, 3, 1, 10, 0, 0x5A, 0, 50}, p), p);
    EXPECT_TRUE(form.Text().isEmpty()) << "nothing before the start reply";
    form.TraceStarted(Reply({165, 3, 1, 10}, p), p);
    form.TraceStarted(Reply({165, 4, 2, 10}, p), p);
    form.TraceMessage(Reply({170, 3, 1, 10, 0, 0x5A, 0x27, 0x0F}, p), p);
    form.TraceMessage(Reply({170, 3, 1, 1, 1, 0x01, 0, 1}, p), p);  // 4ТЧ mode 1: no line
    EXPECT_EQ(form.Text(),
              "Прием сообщений от платы 3 (4E1), порт 1...\nЕ1(3, 1): CAS вх. 1010, CAS исх. 0101 (9999 мс)");

    auto* pause = form.findChild<QPushButton*>("BtnDisable");
    EXPECT_EQ(pause->text(), "Остановить");
    pause->click();
    EXPECT_EQ(pause->text(), "Продолжить");
    EXPECT_TRUE(pause->font().bold());
    form.TraceMessage(Reply({170, 3, 1, 10, 0, 0x11, 0, 1}, p), p);
    pause->click();
    EXPECT_FALSE(pause->font().bold());
    form.TraceMessage(Reply({170, 3, 1, 10, 0, 0x22, 0x27, 0x10}, p), p);
    EXPECT_FALSE(form.Text().contains("0001, CAS исх. 0001")) << "messages while paused are dropped";
    EXPECT_TRUE(form.Text().endsWith("Е1(3, 1): CAS вх. 0010, CAS исх. 0010 (> 10 с)"));

    form.findChild<QPushButton*>("BtnClear")->click();
    EXPECT_TRUE(form.Text().isEmpty());
    form.Notify(kNotifyLinkState, 0, 0);  // a lost link closes the window and ends the trace
    EXPECT_FALSE(form.Started());

    form.PrepareShow();
    form.TraceStarted(Reply({165, 2, 0, 8}, p), p);
    form.TraceMessage(Reply({170, 2, 0, 8, 0, 1, 0, 1}, p), p);
    EXPECT_EQ(form.Text(), "Трассировка порта данного типа не поддерживается");
}

TEST(TraceForm, KeepsTheLatestTenThousandLinesAndFreesThemOnClose) {
    TTraceForm form;
    form.PrepareShow();
    std::size_t p = 0;
    form.TraceStarted(Reply({165, 3, 1, 10}, p), p);
    for (int i = 0; i < 10500; ++i) {
        form.TraceMessage(
            Reply({170, 3, 1, 10, 0, 0x5A, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)},
                  p),
            p);
    }
    const QStringList lines = form.Text().split('\n');
    ASSERT_EQ(lines.size(), 10000);
    EXPECT_EQ(lines.front(), "Е1(3, 1): CAS вх. 1010, CAS исх. 0101 (500 мс)");  // message 500 of 10500
    EXPECT_EQ(lines.back(), "Е1(3, 1): CAS вх. 1010, CAS исх. 0101 (> 10 с)");

    form.done(QDialog::Rejected);
    EXPECT_TRUE(form.Text().isEmpty());
}

// --- through the main window

class DiagnosticsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = TSettings{};
        previous_ = fs::current_path();
        fs::current_path(dir.Path());
    }
    void TearDown() override {
        window.reset();
        fs::current_path(previous_);
        settings = TSettings{};
    }
    TConfigForm& Open(const std::string& device, const std::string& extra = "") {
        std::ofstream(dir.Path() / "tervis.ini", std::ios::binary)
            << "[SETTINGS]\r\ndevice=" << device << "\r\n"
            << extra;
        window =
            std::make_unique<TConfigForm>(std::vector<std::string>{"tervis"}, dir.Path(), settings, dialogs);
        return *window;
    }
    // The simulator, its requests logged to a file.
    std::unique_ptr<test::TSimulatorProcess> Simulator(const std::string& boards, const std::string& script) {
        std::ofstream(dir.Path() / "scenario.txt") << script;
        const std::string command = std::string("exec '") + TERVIS_MUXSIM_PATH + "' " + boards +
                                    " --scenario '" + (dir.Path() / "scenario.txt").string() + "' -v 2>'" +
                                    (dir.Path() / "sim.log").string() + "'";
        return std::make_unique<test::TSimulatorProcess>(std::vector<std::string>{"/bin/sh", "-c", command});
    }
    int Requests(int command) const {
        std::ifstream in(dir.Path() / "sim.log");
        const std::string log((std::istreambuf_iterator<char>(in)), {});
        const std::string needle = " command " + std::to_string(command) + "\n";
        int count = 0;
        for (auto at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }

    test::TTempDir dir;
    TSettings settings;  // the window reads and writes these; it must outlive it
    test::TScriptedDialogs dialogs;
    std::unique_ptr<TConfigForm> window;

private:
    fs::path previous_;
};

TEST_F(DiagnosticsWindowTest, EditorCancelKeepsTheModelAndOkSendsChangedEntries) {
    Open((dir.Path() / "no-port").string(), "cashedtrx=1\r\n");
    window->Model().SetSlotType(3, {bt4E1, 0, 0});
    window->Model().SetSlotSignalling(3, [] {
        TSlotSignalling entries{};
        entries.fill(kSignallingDefault);
        entries[5] = 0x90;
        return entries;
    }());
    const int queued = window->Link()->QueueLength();
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QPushButton*>("SpeedButton3")->click();  // abcd = 1001
        return static_cast<int>(QDialog::Rejected);
    };
    window->EditSignallingBits(3);
    ASSERT_EQ(dialogs.executed.back(), "Настройка CAS 4E1, слот 3");
    EXPECT_EQ(window->Model().GetSignalling(MakeEndpoint(3, 0)), kSignallingDefault);
    EXPECT_EQ(window->Link()->QueueLength(), queued);

    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QPushButton*>("SpeedButton3")->click();
        return static_cast<int>(QDialog::Accepted);
    };
    window->EditSignallingBits(3);
    EXPECT_EQ(window->Model().GetSignalling(MakeEndpoint(3, 127)), 0x90);
    EXPECT_EQ(window->Link()->QueueLength(), queued + 127) << "one 0x14 per changed entry; entry 5 was 0x90";

    window->Model().SetSlotType(6, {bt4DSLAlt, 0, 0});
    window->EditSignallingBits(6);
    EXPECT_EQ(dialogs.executed.back(), "Настройка CAS 4DSL, слот 5");
    const std::size_t opened = dialogs.executed.size();
    window->EditSignallingBits(7);  // no board: no editor
    EXPECT_EQ(dialogs.executed.size(), opened);
}

TEST_F(DiagnosticsWindowTest, InformationWindowsShowTheSimulatorsRecords) {
    auto sim = Simulator(
        "--board 1:10 --board 2:13 --board 3:15 --board 4:19 --board 5:23 --board 6:24 "
        "--board 7:26",
        "at 0 mask 0xFF\nat 0 alarm 1 0 lof on\nat 0 alarm 2 0 los on\n"
        "at 0 cas 1:1 0x9\n");
    ASSERT_FALSE(sim->Path().empty());
    Open(sim->Path());
    ASSERT_TRUE(PumpUntil([&] { return window->Model().LinkUp() && window->Model().SlotStatus(7) != 0; }));
    window->ReadItemClick();

    struct TCase {
        int Slot;
        const char* Title;
        const char* Value;     // a value label that must leave "???"
        const char* Expected;  // its text, or "" for any
    };
    const TCase cases[] = {
        {1, "Поток Е1, слот 1", "Flag1", "да"},
        {2, "Плата 4I15, слот 2", "Flag2", "да"},
        {3, "Плата 4C64, слот 3", "Flag0", "нет"},
        {4, "Плата 4С1И, слот 4", "Flag0", "нет"},
        {5, "Поток DSL, слот 5", "Line3", "31/1"},
        {6, "Информация о потоке DSL [4DSL]", "State", "MAIN_DATA_MODE"},
        {7, "Состояние ДП, слот 7", "Stabilisation", ""},
        {16, "Информация ЦП", "Kind", "ЦП91"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Title);
        QString title;
        QString value;
        dialogs.onExec = [&](QDialog& dialog) {
            auto& form = static_cast<TInfoForm&>(dialog);
            EXPECT_EQ(form.ValueText(c.Value), "???");
            EXPECT_TRUE(PumpUntil([&] { return form.ValueText(c.Value) != "???"; }));
            title = form.windowTitle();
            value = form.ValueText(c.Value);
            if (const QByteArray shots = qgetenv("TERVIS_SCREENSHOTS"); !shots.isEmpty()) {
                Pump(1500);
                form.grab().save(QString::fromLocal8Bit(shots) +
                                 QString("/info-%1.png").arg(form.objectName()));
            }
            return static_cast<int>(QDialog::Rejected);
        };
        window->ShowBoardInfo(c.Slot);
        EXPECT_EQ(title.toStdString(), c.Title);
        if (*c.Expected != '\0') {
            EXPECT_EQ(value.toStdString(), c.Expected);
        }
        EXPECT_FALSE(window->Model().InfoSelection().Enabled) << "the selection ends with the window";
    }

    // The E1 window: counters run, the reset clears them; the CAS grid shows the received bits; port 2
    // retargets the polls.
    dialogs.onExec = [&](QDialog& dialog) {
        auto& form = static_cast<TInfoForm&>(dialog);
        EXPECT_TRUE(PumpUntil([&] { return form.ValueText("Slips").toInt() >= 2; }));
        EXPECT_TRUE(PumpUntil(
            [&] { return dialog.findChild<QTableWidget*>("GridReceived")->item(0, 1)->text() == "1001"; }));
        const int resets = Requests(150);
        dialog.findChild<QPushButton*>("ResetButton")->click();
        EXPECT_TRUE(PumpUntil([&] { return form.ValueText("Period").toInt() < 2; }));
        EXPECT_TRUE(PumpUntil([&] { return Requests(150) == resets + 1; }));
        dialog.findChild<QTabBar*>("TabControl1")->setCurrentIndex(2);
        EXPECT_EQ(form.ValueText("Flag0"), "???");
        EXPECT_EQ(window->Model().InfoSelection().Unit, 2);
        EXPECT_TRUE(PumpUntil([&] { return form.ValueText("Flag0") == "нет"; }));
        // Pulling the plug: everything reads "???" again.
        sim->Kill(SIGKILL);
        EXPECT_TRUE(PumpUntil([&] { return form.ValueText("Flag0") == "???"; }));
        EXPECT_EQ(dialog.findChild<QTableWidget*>("GridReceived")->item(0, 1)->text(), "???");
        return static_cast<int>(QDialog::Rejected);
    };
    window->ShowBoardInfo(1);
}

TEST_F(DiagnosticsWindowTest, TraceShowsTheSimulatorsEventsAndStopsOnClose) {
    auto sim = Simulator("--board 3:10", "at 0 tracedemo 0\nevery 300ms trace 0 0x5A\n");
    ASSERT_FALSE(sim->Path().empty());
    Open(sim->Path());
    ASSERT_TRUE(PumpUntil([&] { return window->Model().LinkUp(); }));
    window->Model().SetSlotType(3, {bt4E1, 0, 0});
    window->Model().SetLink(MakeEndpoint(3, 33), MakeEndpoint(3, 34));

    QString text;
    QString paused;
    dialogs.onExec = [&](QDialog& dialog) {
        if (auto* ports = qobject_cast<TPortsForm*>(&dialog)) {
            ports->findChild<QTabBar*>()->setCurrentIndex(1);
            ports->PortButtonClick(1);
            return ports->result();
        }
        auto& trace = static_cast<TTraceForm&>(dialog);
        EXPECT_TRUE(PumpUntil([&] { return trace.Text().count('\n') >= 2; }));
        auto* pause = trace.findChild<QPushButton*>("BtnDisable");
        pause->click();
        paused = trace.Text();
        Pump(900);
        EXPECT_EQ(trace.Text(), paused) << "nothing while paused";
        pause->click();
        EXPECT_TRUE(PumpUntil([&] { return trace.Text().count('\n') > paused.count('\n'); }));
        if (const QByteArray shots = qgetenv("TERVIS_SCREENSHOTS"); !shots.isEmpty()) {
            trace.grab().save(QString::fromLocal8Bit(shots) + "/trace.png");
        }
        text = trace.Text();
        trace.findChild<QPushButton*>("BtnClose")->click();
        return static_cast<int>(QDialog::Rejected);
    };
    window->TracePort(3);
    const QStringList lines = text.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "Прием сообщений от платы 3 (4E1), порт 33...");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("Е1(3, 33): CAS вх. 1010, CAS исх. 0101 ("))
            << lines[i].toStdString();
        EXPECT_TRUE(lines[i].endsWith(" мс)")) << lines[i].toStdString();
    }
    // Start and stop both reach the device.
    EXPECT_TRUE(PumpUntil([&] { return Requests(165) == 2; }));
    EXPECT_FALSE(window->findChild<TTraceForm*>()->Started());
}

}  // namespace
}  // namespace tervis
