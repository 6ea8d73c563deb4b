// The cross-connect field opened from the main window against the simulated multiplexer on a
// pseudo-terminal, with "Передавать изменения" on: what the operator links is on the device at once.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "core/model/Recorders.h"
#include "gui/crossconnect/UJackField.h"
#include "gui/crossconnect/UViewLinks.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/widgets/GuiSeams.h"
#include "support/Endpoints.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/SilentDialogs.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::PumpUntil;

namespace fs = std::filesystem;

using test::Ep;

// Runs each modal dialog through a function of the test; no question is expected.
class TExecDialogs : public test::TSilentDialogs {
public:
    TAnswer Ask(QWidget*, const QString& text, bool) override {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return TAnswer::No;
    }
    void Message(QWidget*, const QString& text) override { messages.push_back(text); }
    int Exec(QDialog& dialog) override { return onExec ? onExec(dialog) : int(QDialog::Rejected); }

    std::function<int(QDialog&)> onExec;
    std::vector<QString> messages;
};

class JackFieldEndToEnd : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }
    // The main window on the simulator's line, linked and with the device's configuration read.
    void Open(test::TSimulatorProcess& sim) {
        ASSERT_FALSE(sim.Path().empty());
        std::ofstream(dir / "tervis.ini", std::ios::binary)
            << "[SETTINGS]\r\ndevice=" << sim.Path() << "\r\ncashedtrx=1\r\n";
        window =
            std::make_unique<TConfigForm>(std::vector<std::string>{"tervis"}, dir.Path(), settings, dialogs);
        ASSERT_TRUE(PumpUntil([&] { return window->Connected(); }));
        window->ReadItemClick();
        ASSERT_TRUE(PumpUntil([&] { return window->Model().SlotBoardType(0) != btNone; }));
    }
    bool QueueEmpty() {
        return PumpUntil([&] { return window->QueueLength() == 0; }) &&
               PumpUntil([&] { return window->QueueLength() == 0; }, 300);
    }
    static TFieldButton* Button(QDialog& form, const QString& name) {
        auto* button = form.findChild<TFieldButton*>(name);
        EXPECT_NE(button, nullptr) << name.toStdString();
        return button;
    }

    test::TTempDir dir;
    TSettings settings;
    TExecDialogs dialogs;
    std::unique_ptr<TConfigForm> window;
};

TEST_F(JackFieldEndToEnd, ALinkMadeInTheFieldIsOnTheDeviceAndInTheConnectionList) {
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "0:10", "--board", "1:7"});
    Open(sim);
    TMux& mux = window->Model();
    QString level;
    dialogs.onExec = [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Коммутационное поле");
        EXPECT_TRUE(mux.InfoSelection().Enabled);
        EXPECT_EQ(mux.InfoSelection().Type, btCPU);
        // Stream 0 timeslot 1 of the 4E1 (row 0) to timeslot 5 of the 1E1 (row 4), both ways.
        Button(dialog, "TrunkButton0_1")->click();
        Button(dialog, "TrunkButton4_5")->click();
        // The measurer on the generator: the CPU's level arrives while the field is open.
        Button(dialog, "MeasurerButton")->click();
        Button(dialog, "GeneratorButton")->click();
        auto* text = dialog.findChild<QLabel*>("LevelText");
        EXPECT_TRUE(PumpUntil([&] { return text->text() != "???"; }));
        level = text->text();
        return int(QDialog::Accepted);
    };
    window->JackFieldItemClick();
    EXPECT_EQ(level, QString("0") + QLocale().decimalPoint() + "00");
    EXPECT_FALSE(mux.InfoSelection().Enabled);
    ASSERT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 5));
    ASSERT_TRUE(QueueEmpty());

    // Forget the link here without telling the device; reading the device brings it back.
    mux.StoreLink(Ep(0, 1), kEndpointNone);
    mux.StoreLink(Ep(1, 5), kEndpointNone);
    window->ReadItemClick();
    ASSERT_TRUE(PumpUntil([&] { return mux.GetLink(Ep(0, 1)) == Ep(1, 5); }));
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), Ep(0, 1));

    QString list;
    dialogs.onExec = [&](QDialog& dialog) {
        list = dialog.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
        return int(QDialog::Accepted);
    };
    window->ViewLinksItemClick();
    EXPECT_TRUE(list.contains("слот 0 (4E1), порт 1 (0) <- слот 1 (1E1), порт 5")) << list.toStdString();
    EXPECT_TRUE(list.contains("слот 1 (1E1), порт 5 <- слот 0 (4E1), порт 1 (0)")) << list.toStdString();
    EXPECT_TRUE(list.contains("измеритель <- генератор")) << list.toStdString();
}

// Pictures of the field on the demonstration chassis, for the documentation; only when asked for.
// The demo chassis in the states the operator's pages show: the measured level, a first end waiting,
// a group being chosen. With TERVIS_PICTURES set to a folder the pictures are saved there as well.
TEST_F(JackFieldEndToEnd, PicturesOfTheDemoChassis) {
    const QByteArray folder = qgetenv("TERVIS_PICTURES");
    const QDir out(QString::fromLocal8Bit(folder));
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--demo"});
    Open(sim);
    dialogs.onExec = [&](QDialog& dialog) {
        dialog.show();
        const auto shot = [&](const char* name) {
            QCoreApplication::processEvents();
            if (!folder.isEmpty()) {
                dialog.grab().save(out.filePath(name));
            }
        };
        EXPECT_TRUE(PumpUntil([&] { return dialog.findChild<QLabel*>("LevelText")->text() != "???"; }, 3000));
        shot("jackfield-demo.png");
        // The middle of a two-way link: the first end waits with "->".
        Button(dialog, "TrunkButton0_22")->click();
        EXPECT_EQ(Button(dialog, "TrunkButton0_22")->text(), "->");
        shot("jackfield-two-way.png");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_NE(Button(dialog, "TrunkButton0_22")->text(), "->");
        // Group selection for the free port 1 of the 2VS in slot 6: three free timeslots of the 4E1 in
        // slot 1 (row 4) chosen.
        Button(dialog, "PortButton6_1")->click();
        for (int t = 20; t <= 22; ++t) {
            Button(dialog, QString("TrunkButton4_%1").arg(t))->click();
            EXPECT_EQ(Button(dialog, QString("TrunkButton4_%1").arg(t))->text(), "+");
        }
        shot("jackfield-group.png");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_NE(Button(dialog, "TrunkButton4_20")->text(), "+") << "Esc drops the group being chosen";
        // The pointer on a linked voice channel: it and its partner on the 4E1 light up.
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(Button(dialog, "PortButton3_1"), &enter);
        shot("jackfield-highlight.png");
        return int(QDialog::Accepted);
    };
    window->JackFieldItemClick();
}

}  // namespace
}  // namespace tervis
