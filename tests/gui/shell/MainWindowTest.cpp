// The main window driven through its commands and notifications, with scripted answers; and against the
// simulated multiplexer on a pseudo-terminal.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/Errors.h"
#include "core/link/PacketHandler.h"
#include "core/model/Recorders.h"
#include "core/settings/IniFile.h"
#include "gui/link/UAddress.h"
#include "gui/shell/AlarmSound.h"
#include "gui/shell/UMuxConfig.h"
#include "gui/shell/USlotFrame.h"
#include "platform/SerialPacketHandler.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::Pump;
using test::PumpUntil;

namespace fs = std::filesystem;
using TAnswer = IDialogs::TAnswer;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { noPort = (dir / "no-port").string(); }
    void TearDown() override { window.reset(); }
    void WriteIni(const std::string& text) {
        std::ofstream out(dir / "tervis.ini", std::ios::binary);
        out << text;
    }
    TConfigForm& Open(std::vector<std::string> extra = {}, const std::string& device = "") {
        if (!fs::exists(dir / "tervis.ini")) {
            WriteIni("[SETTINGS]\r\ndevice=" + (device.empty() ? noPort : device) + "\r\n");
        }
        std::vector<std::string> args = {"tervis"};
        args.insert(args.end(), extra.begin(), extra.end());
        window = std::make_unique<TConfigForm>(args, dir.Path(), settings, dialogs);
        Pump();
        return *window;
    }
    void Close() {
        window->close();
        window.reset();
    }
    QString Caption() const { return window->windowTitle(); }

    test::TTempDir dir;
    test::TScriptedDialogs dialogs;
    TSettings settings;
    std::unique_ptr<TConfigForm> window;
    std::string noPort;
};

TEST_F(MainWindowTest, StartsWithTheEmptyConfigurationAndTellsAboutThePortOnce) {
    Open();
    EXPECT_EQ(Caption(), "newcfg.mux");
    EXPECT_EQ(window->LinkPanel()->text(), "Нет связи");
    EXPECT_EQ(window->QueuePanel()->text(), "Пакетов в очереди: 0");
    EXPECT_EQ(dialogs.messages,
              std::vector<QString>{"Ошибка открытия порта " + QString::fromStdString(noPort)});
    EXPECT_EQ(window->TileForSlot(16)->findChild<QPushButton*>("ButtonType")->text(), "ЦП");
    EXPECT_EQ(window->TileForSlot(17), nullptr);
    EXPECT_EQ(window->Action("ItemCOM1")->text(), "COM1");
    // The port stays closed; the link is declared down by the polls, not by the failure.
    EXPECT_FALSE(window->Connected());
}

TEST_F(MainWindowTest, SaysInTheStatusBarWhenNoSoundDeviceCanPlayTheAlarmSound) {
    // No installed example either, whatever this machine has installed.
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dir.File("nothing")));
    const bool sound = HasAudioOutput();
    Open();
    EXPECT_EQ(window->SoundPanel()->text(), "") << "without alarm.wav there is nothing to play";
    Close();
    std::ofstream(dir / "alarm.wav") << "RIFF";
    Open();
    EXPECT_EQ(window->SoundPanel()->text(), sound ? "" : "Нет звукового устройства");
    qunsetenv("XDG_DATA_DIRS");
}

TEST_F(MainWindowTest, LastFileIsOpenedAtStartAndAMissingOneIsReportedOnce) {
    {
        TSettings writerSettings;
        TMux mux(nullptr, nullptr, writerSettings);
        mux.SetSlotType(3, {bt4E1, 0, 0});
        mux.SaveToFile(dir / "last.mux");
    }
    WriteIni("[SETTINGS]\r\ndevice=" + noPort + "\r\nlastfile=" + (dir / "last.mux").string() + "\r\n");
    Open();
    EXPECT_EQ(Caption(), "last.mux");
    EXPECT_EQ(window->Model().SlotBoardType(3), bt4E1);
    EXPECT_EQ(window->TileForSlot(3)->findChild<QPushButton*>("ButtonType")->text(), "4E1");
    Close();

    dialogs.messages.clear();
    fs::remove(dir / "last.mux");
    Open();
    EXPECT_EQ(Caption(), "newcfg.mux");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1],
              "Файл " + QString::fromStdString((dir / "last.mux").string()) + " не найден");
}

TEST_F(MainWindowTest, UnsavedChangesQuestionsWithEveryAnswer) {
    Open();
    TMux& mux = window->Model();
    mux.SetSlotType(1, {bt1E1, 0, 0});
    Pump();
    EXPECT_EQ(Caption(), "newcfg.mux*");

    // Cancel: nothing happens.
    dialogs.answers = {TAnswer::Cancel};
    window->NewItemClick();
    EXPECT_EQ(mux.SlotBoardType(1), bt1E1);
    // Yes, then the save dialog is cancelled: nothing happens either.
    dialogs.answers = {TAnswer::Yes};
    dialogs.files = {std::nullopt};
    window->NewItemClick();
    EXPECT_EQ(mux.SlotBoardType(1), bt1E1);
    // Yes and a name: saved, then the new configuration.
    const QString saved = QString::fromStdString((dir / "one.mux").string());
    dialogs.answers = {TAnswer::Yes};
    dialogs.files = {saved};
    window->NewItemClick();
    Pump();
    {
        const std::string image = test::ReadBytes(dir / "one.mux");
        ASSERT_EQ(image.size(), 65534u);
        EXPECT_EQ(image[2], '\x07');
    }
    EXPECT_EQ(mux.SlotBoardType(1), 0);
    EXPECT_EQ(Caption(), "newcfg.mux");
    EXPECT_EQ(dialogs.asked, (std::vector<QString>(3, "Сохранить изменения? [3]")));

    // Open with No: the changes are dropped, the chosen file is loaded.
    mux.SetSlotType(2, {bt4E1, 0, 0});
    dialogs.answers = {TAnswer::No};
    dialogs.files = {saved};
    window->OpenItemClick();
    Pump();
    EXPECT_EQ(mux.SlotBoardType(1), bt1E1);
    EXPECT_EQ(mux.SlotBoardType(2), 0);
    EXPECT_EQ(Caption(), "one.mux");
    // Save writes directly once the file has a name.
    mux.SetSlotType(5, {bt4TCh, 0, 0});
    window->SaveItemClick();
    Pump();
    {
        const std::string image = test::ReadBytes(dir / "one.mux");
        ASSERT_EQ(image.size(), 65534u);
        EXPECT_EQ(image[10], '\x01');
    }
    EXPECT_EQ(Caption(), "one.mux");

    // Closing: Cancel keeps the window, No closes.
    mux.SetSlotType(6, {bt4TCh, 0, 0});
    dialogs.answers = {TAnswer::Cancel};
    EXPECT_FALSE(window->close());
    dialogs.answers = {TAnswer::No};
    EXPECT_TRUE(window->close());
    window.reset();
    // At exit the settings keep the last file.
    EXPECT_EQ(GetProfileString(dir / "tervis.ini", "SETTINGS", "lastfile", ""), saved.toStdString());
}

TEST_F(MainWindowTest, SavingANewConfigurationAlwaysAsksForAName) {
    Open();
    const QString name = QString::fromStdString((dir / "sub" / "newcfg.mux").string());
    fs::create_directory(dir / "sub");
    dialogs.files = {name};
    window->SaveItemClick();
    EXPECT_TRUE(fs::exists(dir / "sub" / "newcfg.mux"));
    window->SaveItemClick();  // a full path that ends in newcfg.mux is an ordinary name
    EXPECT_TRUE(dialogs.files.empty());
    EXPECT_EQ(dialogs.folders.front(), QString::fromStdString(dir.Path().string()));
}

TEST_F(MainWindowTest, NotificationsReachTheStatusBarTilesAndAlarmPanel) {
    settings.alarmconnect = true;
    WriteIni("[SETTINGS]\r\ndevice=" + noPort + "\r\nalarmconnect=1\r\n");
    Open();
    window->PostNotification(kNotifyLinkState, 1, 0);
    window->PostNotification(kNotifyQueueLength, 0, 7);
    Pump();
    EXPECT_EQ(window->LinkPanel()->text(), "Связь есть");
    EXPECT_TRUE(window->Connected());
    window->Timer1Timer();
    EXPECT_EQ(window->QueuePanel()->text(), "Пакетов в очереди: 7");

    window->Model().SetSlotStatus({0x00000000u, 0x3012010Au});
    Pump();
    EXPECT_EQ(window->TileForSlot(1)->findChild<QLabel*>("TypeLabel")->text(), "4E1");

    window->PostNotification(kNotifyAlarm, 0x3041, 0);
    Pump();
    EXPECT_TRUE(window->AlarmPanelVisible());
    EXPECT_EQ(window->AlarmPanel()->text(), "Потеря потока (слот 3)!");
    for (int i = 0; i < 79; ++i) {
        window->AlarmTextClick();  // too early to acknowledge
        window->Timer1Timer();
    }
    EXPECT_EQ(window->Alarm().Look(), TAlarmIndicator::TLook::Steady);
    window->Timer1Timer();
    EXPECT_EQ(window->Alarm().Look(), TAlarmIndicator::TLook::Blink);
    window->AlarmTextClick();
    EXPECT_EQ(window->Alarm().Look(), TAlarmIndicator::TLook::Acknowledged);

    // Link loss with alarmconnect raises the no-link alarm; without it clears any alarm.
    window->PostNotification(kNotifyLinkState, 0, 0);
    Pump();
    EXPECT_EQ(window->LinkPanel()->text(), "Нет связи");
    EXPECT_EQ(window->AlarmPanel()->text(), "Нет связи с мультиплексором!");
    settings.alarmconnect = false;
    window->PostNotification(kNotifyLinkState, 1, 0);
    window->PostNotification(kNotifyAlarm, 0x5080, 0);
    window->PostNotification(kNotifyLinkState, 0, 0);
    Pump();
    EXPECT_FALSE(window->AlarmPanelVisible());
    EXPECT_EQ(window->Alarm().Current(), 0);
}

TEST_F(MainWindowTest, TileMenuEnablingFollowsTypeLinkAndMode) {
    Open();
    TMux& mux = window->Model();
    mux.SetSlotType(0, {bt4E1, 0, 0});
    mux.SetSlotType(1, {bt4DSLAlt, 0, 0});
    mux.SetSlotType(2, {bt4V24, 0, 0});
    const auto menu = [&](int slot) {
        window->TileMenu(slot, QPoint());
        std::vector<bool> enabled;
        for (const auto& item : dialogs.lastMenu) {
            enabled.push_back(item.second);
        }
        return enabled;
    };
    using V = std::vector<bool>;
    EXPECT_EQ(menu(0), (V{true, true, true, false, false}));
    EXPECT_EQ(menu(1), (V{true, false, true, false, false}));
    EXPECT_EQ(menu(3), (V{true, false, false, false, false}));
    EXPECT_EQ(menu(16), (V{false, true, false, false, false}));
    window->PostNotification(kNotifyLinkState, 1, 0);
    Pump();
    EXPECT_EQ(menu(0), (V{true, true, true, true, true}));
    EXPECT_EQ(menu(2), (V{true, true, false, false, false}));
    EXPECT_EQ(menu(16), (V{false, true, false, true, false}));
    EXPECT_EQ(dialogs.lastMenu[0].first, "ContSelectTypeItem");
}

TEST_F(MainWindowTest, RestrictedAndHostedModesAdaptTheMenus) {
    Open({"-U"});
    for (const char* name :
         {"NewItem", "SaveItem", "OpenItem", "SaveAsItem", "AddrItem", "ItemCOM1", "ReadItem", "WriteItem",
          "ClearItem", "ResetItem", "JackFieldItem", "ItemRS422Id", "CashedTrxItem"}) {
        EXPECT_FALSE(window->Action(name)->isEnabled()) << name;
    }
    for (const char* name : {"CompareItem", "ViewLinksItem", "N7", "ItemAbout"}) {
        EXPECT_TRUE(window->Action(name)->isEnabled()) << name;
    }
    window->PostNotification(kNotifyLinkState, 1, 0);
    Pump();
    window->Model().SetSlotType(0, {bt4E1, 0, 0});
    window->TileMenu(0, QPoint());
    EXPECT_EQ(dialogs.lastMenu.size(), 5u);
    EXPECT_FALSE(dialogs.lastMenu[0].second);
    EXPECT_TRUE(dialogs.lastMenu[3].second);
    dialogs.answers = {TAnswer::No};
    Close();

    // Hosted: no port, address, alarm or identifier items; no host 1234 listens, so the link stays down;
    // the serial and address keys of the settings file are left alone.
    fs::remove(dir / "tervis.ini");
    WriteIni("[SETTINGS]\r\ndevice=" + noPort + "\r\naddress=3,1-7,0;\r\n[OTHER]\r\nkey=kept\r\n");
    dialogs.messages.clear();
    settings = TSettings{};
    Open({"-h", "1234", "-id", "3"});
    EXPECT_TRUE(dialogs.messages.empty()) << "no serial port in hosted mode";
    for (const char* name : {"AddrItem", "ItemCOM1", "ItemCOM4", "ItemRS422Id", "AlarmMenu"}) {
        EXPECT_FALSE(window->Action(name)->isVisible()) << name;
    }
    EXPECT_EQ(settings.rs485id, 3);
    window->TileMenu(0, QPoint());
    EXPECT_EQ(dialogs.lastMenu[4].first, "ContTraceItem");
    EXPECT_FALSE(dialogs.lastMenu[4].second);
    Close();
    const std::string ini = test::ReadBytes(dir / "tervis.ini");
    EXPECT_NE(ini.find("address=3,1-7,0;"), std::string::npos);
    EXPECT_NE(ini.find("[OTHER]\r\nkey=kept"), std::string::npos);
    EXPECT_NE(ini.find("cashedtrx=0"), std::string::npos);
    EXPECT_EQ(ini.find("rs485id"), std::string::npos);
}

// Windows that listen to the link-state and information notifications: every open one hears them, a
// destroyed one never again, and the status bar and tiles behave as with none.
TEST_F(MainWindowTest, LinkAndInformationNotificationsReachEveryListeningWindow) {
    Open();
    std::vector<std::pair<unsigned, quintptr>> heardByFirst;
    int heardBySecond = 0;
    auto first = std::make_unique<QObject>();
    auto second = std::make_unique<QObject>();
    QObject::connect(window.get(), &TConfigForm::Notified, first.get(),
                     [&](unsigned message, quintptr wParam, qintptr) {
                         heardByFirst.push_back({message, wParam});
                     });
    QObject::connect(window.get(), &TConfigForm::Notified, second.get(),
                     [&](unsigned, quintptr, qintptr) { ++heardBySecond; });
    window->PostNotification(kNotifyLinkState, 1, 0);
    window->PostNotification(kNotifyInformation, kInfoLine, 0);
    window->PostNotification(kNotifyQueueLength, 0, 3);  // the main window's own business
    Pump();
    EXPECT_EQ(heardByFirst, (std::vector<std::pair<unsigned, quintptr>>{{kNotifyLinkState, 1},
                                                                        {kNotifyInformation, kInfoLine}}));
    EXPECT_EQ(heardBySecond, 2);
    EXPECT_EQ(window->LinkPanel()->text(), "Связь есть");

    second.reset();  // that window closed
    window->PostNotification(kNotifyLinkState, 0, 0);
    Pump();
    EXPECT_EQ(heardByFirst.size(), 3u);
    EXPECT_EQ(heardBySecond, 2) << "a destroyed window is not called";
    EXPECT_EQ(window->LinkPanel()->text(), "Нет связи");
}

TEST_F(MainWindowTest, ChoosingABoardTypeAndTheSmallCommands) {
    Open();
    dialogs.onExec = [](QDialog& dialog) {
        if (dialog.windowTitle() == "Тип платы, слот 4") {
            dialog.findChild<QWidget*>("RadioButton_12")->setProperty("checked", true);  // "плата 4E1"
            return int{QDialog::Accepted};
        }
        return int{QDialog::Rejected};
    };
    window->TileForSlot(4)->findChild<QPushButton*>("ButtonType")->click();  // empty slot: asks for the type
    EXPECT_EQ(window->Model().SlotBoardType(4), bt4E1);
    Pump();
    EXPECT_EQ(window->TileForSlot(4)->findChild<QPushButton*>("ButtonType")->text(), "4E1");

    // Device commands ask first where they should; No does nothing.
    dialogs.answers = {TAnswer::No, TAnswer::No, TAnswer::No};
    window->WriteItemClick();
    window->ClearItemClick();
    window->ResetItemClick();
    EXPECT_EQ(dialogs.asked,
              (std::vector<QString>{"Загрузить конфигурацию ? [2]", "Стереть конфигурацию ? [2]",
                                    "Перезапустить мультиплексор ? [2]"}));
    EXPECT_EQ(window->Link()->QueueLength(), 0);

    settings.rs485id = 2;
    window->ItemRS422IdClick();
    EXPECT_EQ(dialogs.messages.back(), "Запись возможна только через RS232!");
    window->Model().SetAddress({0x13, 0x07});
    window->TracePort(4);
    EXPECT_EQ(dialogs.messages.back(), "Трассировка удаленного мультиплексора не поддерживается!");
    window->ViewLinksItemClick();
    window->ItemAboutClick();
    EXPECT_EQ(dialogs.executed.back(), "О программе");
}

// --- faults an operator found

TEST_F(MainWindowTest, ABadAddressSettingIsReportedAndKeptUntilTheOperatorSetsOne) {
    WriteIni("[SETTINGS]\r\ndevice=" + noPort + "\r\naddress=16,0-1,0;\r\n");
    Open();
    EXPECT_NE(std::find(dialogs.messages.begin(), dialogs.messages.end(), "Неверный формат адреса"),
              dialogs.messages.end());
    EXPECT_TRUE(window->Model().Address().empty()) << "the directly attached multiplexer is used";
    Close();
    EXPECT_EQ(GetProfileString(dir / "tervis.ini", "SETTINGS", "address", "?"), "16,0-1,0;");

    // From the command line, with the other message of the parser.
    fs::remove(dir / "tervis.ini");
    dialogs.messages.clear();
    std::string sixteen;
    for (int i = 0; i < 16; ++i) {
        sixteen += "1,0-2,0;";
    }
    Open({"-a", sixteen});
    EXPECT_NE(std::find(dialogs.messages.begin(), dialogs.messages.end(), "Слишком большая длина адреса"),
              dialogs.messages.end());
    Close();
    EXPECT_EQ(GetProfileString(dir / "tervis.ini", "SETTINGS", "address", "?"), sixteen);

    // Once the operator sets an address, that one is kept.
    Open();
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("Edit1")->setText("3,1-7,0;");
        static_cast<TAddressForm&>(dialog).OKButtonClick();
        return dialog.result();
    };
    window->AddrItemClick();
    Close();
    EXPECT_EQ(GetProfileString(dir / "tervis.ini", "SETTINGS", "address", "?"), "3,1-7,0;");
}

TEST_F(MainWindowTest, PortItemsAreOneRadioGroupThatKeepsEveryPortListed) {
    Open();
    const auto ticked = [&] {
        QStringList names;
        for (QAction* item : window->findChildren<QAction*>()) {
            if (item->isCheckable() && item->isChecked() && item->actionGroup() != nullptr &&
                (item->objectName().startsWith("ItemCOM") || item->objectName() == "ItemPort")) {
                names << item->text();
            }
        }
        return names;
    };
    const auto listed = [&](const QString& name) {
        for (QAction* item : window->findChildren<QAction*>()) {
            if (item->text() == name &&
                (item->objectName() == "ItemPort" || item->objectName().startsWith("ItemCOM"))) {
                return true;
            }
        }
        return false;
    };
    const QString path = QString::fromStdString(noPort);
    EXPECT_EQ(ticked(), QStringList{path});

    // Choosing COM2 (which does not open here): only COM2 is ticked, the path stays listed.
    window->Action("ItemCOM2")->trigger();
    Pump();
    EXPECT_EQ(ticked(), QStringList{"COM2"});
    EXPECT_EQ(settings.device, "COM2");
    for (QMenu* m : window->findChildren<QMenu*>()) {
        if (m->actions().contains(window->Action("ItemCOM1"))) {
            emit m->aboutToShow();  // the menu lists the ports when it opens
        }
    }
    EXPECT_TRUE(listed(path));
    EXPECT_EQ(ticked(), QStringList{"COM2"});

    // And back to the path.
    for (QAction* item : window->findChildren<QAction*>("ItemPort")) {
        if (item->text() == path) {
            item->trigger();
        }
    }
    Pump();
    EXPECT_EQ(ticked(), QStringList{path});
    EXPECT_EQ(settings.device, noPort);
}

TEST_F(MainWindowTest, ErrorsOfNotificationHandlersAreShownAndHandlingGoesOn) {
    Open();
    dialogs.messages.clear();
    QObject listener;
    QObject::connect(window.get(), &TConfigForm::Notified, &listener, [](unsigned, quintptr, qintptr) {
        throw EInOutError("Ошибка записи файла 12-2026.log");
    });
    window->PostNotification(kNotifyLinkState, 1, 0);
    window->PostNotification(kNotifyQueueLength, 0, 5);
    Pump();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Ошибка записи файла 12-2026.log"});
    EXPECT_EQ(window->LinkPanel()->text(), "Связь есть");
    EXPECT_EQ(window->QueueLength(), 5);
}

// Opens the other end of a FIFO after a while: code that wrongly opened the FIFO is set free again, so
// the test fails instead of hanging.
class TFifoRescue {
public:
    explicit TFifoRescue(fs::path fifo) : fifo_(std::move(fifo)), thread_([this] { Run(); }) {}
    ~TFifoRescue() {
        stop_ = true;
        thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    void Run() {
        for (int i = 0; i < 300 && !stop_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (stop_) {
            return;
        }
        fired_ = true;
        const int fd = ::open(fifo_.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (fd >= 0) {
            ::close(fd);
        }
    }
    fs::path fifo_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

TEST_F(MainWindowTest, SpecialFilesAreNeitherReadNorReplaced) {
    const fs::path fifo = dir / "pipe.mux";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const QString name = QString::fromStdString(fifo.string());
    // The command, given the FIFO, fails at once with the file's failure text.
    const auto expectRefused = [&](const std::function<bool()>& command, const QString& failure,
                                   const char* what) {
        dialogs.messages.clear();
        {
            TFifoRescue rescue(fifo);
            dialogs.files = {name};
            EXPECT_FALSE(command());
            EXPECT_FALSE(rescue.Fired()) << "the " << what << " command waited on the FIFO";
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.messages[0].startsWith(failure + " " + name + ": "))
            << dialogs.messages[0].toStdString();
    };
    Open();
    expectRefused([&] { return window->OpenConfig(); }, "Не удалось открыть файл", "open");
    EXPECT_EQ(Caption(), "newcfg.mux");

    window->Model().SetSlotType(1, {bt1E1, 0, 0});
    expectRefused([&] { return window->SaveConfigAs(); }, "Ошибка записи файла", "save");
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the FIFO was replaced by a plain file";
    EXPECT_TRUE(window->Model().Modified());

    // The last file of the settings gets the same check at start-up.
    dialogs.answers = {TAnswer::No};
    Close();
    WriteIni("[SETTINGS]\r\ndevice=" + noPort + "\r\nlastfile=" + fifo.string() + "\r\n");
    dialogs.messages.clear();
    TFifoRescue rescue(fifo);
    Open();
    EXPECT_FALSE(rescue.Fired()) << "the start-up waited on the FIFO";
    EXPECT_TRUE(dialogs.messages.back().startsWith("Не удалось открыть файл " + name + ": "));
}

// How far the middle of a window is from the middle of the screen, in pixels along each axis. A window is
// placed before its first showing, when the width of its frame is not known yet: a frame's width off is
// still the middle.
int OffCentre(const QRect& window, const QRect& screen) {
    return std::max(std::abs(2 * window.x() + window.width() - 2 * screen.x() - screen.width()),
                    std::abs(2 * window.y() + window.height() - 2 * screen.y() - screen.height())) /
           2;
}

TEST_F(MainWindowTest, MainWindowAndItsListWindowsOpenCentredOnTheScreen) {
    Open();
    const QRect screen = window->screen()->availableGeometry();
    window->show();
    Pump();
    EXPECT_LE(OffCentre(window->frameGeometry(), screen), 3)
        << window->frameGeometry().x() << "," << window->frameGeometry().y();

    // Even with the main window in a corner.
    window->move(0, 0);
    Pump();
    std::vector<QRect> shown;
    dialogs.onExec = [&](QDialog& dialog) {
        dialog.show();
        Pump();
        shown.push_back(dialog.frameGeometry());
        dialog.hide();
        return int{QDialog::Accepted};
    };
    window->ViewLinksItemClick();
    window->ShowReport({"Плата 3: несовпадение типа \"4E1\" - \"---\""});
    ASSERT_EQ(shown.size(), 2u);
    for (const QRect& r : shown) {
        EXPECT_LE(OffCentre(r, screen), 3) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height()
                                           << " in " << screen.width() << "x" << screen.height();
    }
    window->hide();
}

// --- against the simulated multiplexer on a pseudo-terminal

TEST_F(MainWindowTest, WorksEndToEndWithTheSimulator) {
    {
        std::ofstream script(dir / "scenario.txt");
        script << "at 0 mask 0xFF\nat 0 alarm 3 0 los on\n";
    }
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "3:10", "--board", "5:7", "--install-only",
                                 "9:24", "--scenario", (dir / "scenario.txt").string()});
    ASSERT_FALSE(sim.Path().empty());
    Open({}, sim.Path());
    EXPECT_TRUE(dialogs.messages.empty());

    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }));
    ASSERT_TRUE(PumpUntil([&] { return window->AlarmPanel()->text() == "Потеря потока (слот 3)!"; }));
    ASSERT_TRUE(PumpUntil([&] {
        return window->TileForSlot(3)->findChild<QLabel*>("TypeLabel")->text() == "4E1" &&
               window->TileForSlot(9)->findChild<QLabel*>("TypeLabel")->text() == "4DSL";
    }));

    // Read fills the tiles' buttons and marks the configuration modified because the device differed.
    window->ReadItemClick();
    Pump();
    EXPECT_EQ(window->Model().SlotBoardType(3), bt4E1);
    EXPECT_EQ(window->TileForSlot(5)->findChild<QPushButton*>("ButtonType")->text(), "1E1");
    EXPECT_EQ(Caption(), "newcfg.mux*");
    if (const QByteArray shot = qgetenv("TERVIS_SCREENSHOT"); !shot.isEmpty()) {
        window->grab().save(QString::fromLocal8Bit(shot));
    }
    // Saved, then read again: the device equals the program, so nothing is marked.
    dialogs.files = {QString::fromStdString((dir / "device.mux").string())};
    window->SaveItemClick();
    Pump();
    EXPECT_EQ(Caption(), "device.mux");
    window->ReadItemClick();
    Pump();
    EXPECT_EQ(Caption(), "device.mux");

    // Compare, load and clear run their progress windows for real.
    dialogs.messages.clear();
    window->CompareItemClick();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Отличий не найдено"});
    window->Model().SetSlotType(7, {bt4TCh, 0, 0});
    dialogs.answers = {TAnswer::Yes};
    window->WriteItemClick();
    window->CompareItemClick();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    dialogs.answers = {TAnswer::Yes};
    window->ClearItemClick();
    window->CompareItemClick();
    EXPECT_EQ(dialogs.executed.back(), "Несовпадение конфигурации");
    EXPECT_EQ(window->Model().SlotBoardType(7), bt4TCh)
        << "clearing the device leaves the program's configuration";

    // Pulling the simulator's plug: the link goes down by the no-answer rule.
    sim.Kill(SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Нет связи"; }));
    EXPECT_EQ(window->TileForSlot(3)->findChild<QLabel*>("TypeLabel")->text(), "---");
}

// A port that vanishes (an adapter pulled out, here the simulator killed) is closed, the link goes down
// by the no-answer rule, and the port is reopened without a word when it is back.
TEST(SerialTransport, VanishedPortIsReopenedSilently) {
    test::TTempDir dir;
    const std::string line = (dir / "line").string();
    auto sim = std::make_unique<test::TSimulatorProcess>(
        std::vector<std::string>{TERVIS_MUXSIM_PATH, "--link", line});
    ASSERT_FALSE(sim->Path().empty());
    TSettings settings;
    settings.device = line;
    test::TNotificationRecorder sink;
    test::TOperatorRecorder messages;
    TMux mux(&sink, &messages, settings);
    mux.SetDeviceLink(std::make_unique<TSerialPacketHandler>(mux));
    ASSERT_TRUE(PumpUntil([&] { return mux.LinkUp(); }));

    sim->Kill(SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return !mux.LinkUp(); }));
    // The next simulator takes the same link name while the killed one's object still exists.
    auto next = std::make_unique<test::TSimulatorProcess>(
        std::vector<std::string>{TERVIS_MUXSIM_PATH, "--link", line});
    ASSERT_FALSE(next->Path().empty());
    sim = std::move(next);
    ASSERT_TRUE(PumpUntil([&] { return mux.LinkUp(); }));
    EXPECT_TRUE(messages.Messages.empty());
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// A file error met on the link's receive path (the alarm log cannot be written) reaches the operator
// only after the receive handler has returned, and the window goes on.
TEST_F(MainWindowTest, ErrorsFromTheReceivePathAreShownAfterItReturns) {
    Open();
    dialogs.messages.clear();
    window->Model().ReportError("Не удалось открыть файл 12-2026.log");
    EXPECT_TRUE(dialogs.messages.empty());
    Pump();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Не удалось открыть файл 12-2026.log"});
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// With "Сохранять конфигурацию устройства перед загрузкой" on, Load keeps the device's configuration in
// backup/ beside the file first and reports what differs afterwards; off (the default) it only loads.
TEST_F(MainWindowTest, LoadWithBackupKeepsTheRunningConfigurationAndReportsADifference) {
    {
        TSettings scratchSettings;
        TMux running(nullptr, nullptr, scratchSettings);
        running.SetSlotType(0, {bt4E1, 0, 0});
        running.SaveToFile(dir / "running.mux");
        // Someone else keeps the synchronisation type at its running value whatever we load.
        std::ofstream(dir / "scenario.txt") << "every 50ms setting 6 3\n";
    }
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--config", (dir / "running.mux").string(), "--scenario",
                                 (dir / "scenario.txt").string()});
    ASSERT_FALSE(sim.Path().empty());
    Open({}, sim.Path());
    ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }));
    QAction* option = window->findChild<QAction*>("BackupBeforeLoadItem");
    ASSERT_NE(option, nullptr);
    EXPECT_FALSE(option->isChecked());

    window->Model().SetSlotType(2, {bt1E1, 0, 0});
    window->Model().SetMuxSettings({0, 16, 96, 96, 96, 96, 2, 255, 255, 0});
    dialogs.files = {QString::fromStdString((dir / "wanted.mux").string())};
    window->SaveItemClick();
    dialogs.answers = {TAnswer::Yes};
    window->WriteItemClick();
    EXPECT_FALSE(fs::exists(dir / "backup"));
    const std::size_t windowsBefore = dialogs.executed.size();

    option->trigger();
    EXPECT_TRUE(settings.backupbeforeload);
    dialogs.answers = {TAnswer::Yes};
    window->WriteItemClick();
    std::vector<fs::path> backups;
    for (const auto& entry : fs::directory_iterator(dir / "backup")) {
        backups.push_back(entry.path());
    }
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].filename().string().substr(0, 6), "local-");
    // The first load went through and the meddler put the running synchronisation type back.
    TSettings expectedSettings;
    TMux expected(nullptr, nullptr, expectedSettings);
    expected.LoadFromFile(dir / "wanted.mux");
    TMuxSettings record = expected.GetMuxSettings();
    record[6] = 3;
    expected.SetMuxSettings(record);
    expected.SaveToFile(dir / "expected.mux");
    EXPECT_TRUE(test::ReadBytes(backups[0]) == test::ReadBytes(dir / "expected.mux"));
    ASSERT_GT(dialogs.executed.size(), windowsBefore);
    EXPECT_EQ(dialogs.executed.back(), "Несовпадение конфигурации");

    Close();
    std::ifstream ini(dir / "tervis.ini", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("backupbeforeload=1"), std::string::npos) << text;
}

}  // namespace
}  // namespace tervis
