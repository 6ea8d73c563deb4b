// The board dialogs as the main window opens them: which slots get a dialog, what reaches the model and
// the device queue, and a whole round trip to the simulated multiplexer.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "core/boards/BlockFields.h"
#include "core/link/PacketHandler.h"
#include "core/model/Recorders.h"
#include "gui/boards/BoardDialog.h"
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

// Checks the named box and presses OK, as an operator would.
std::function<int(QDialog&)> CheckAndOk(const QString& box) {
    return [box](QDialog& dialog) {
        if (!box.isEmpty()) {
            dialog.findChild<QCheckBox*>(box)->click();
        }
        static_cast<boards::TConfigDialog&>(dialog).OkButton()->click();
        return dialog.result();
    };
}

class EditBoardConfigTest : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }
    TConfigForm& Open(const std::string& device, std::vector<std::string> extra = {}) {
        std::ofstream(dir.Path() / "tervis.ini", std::ios::binary)
            << "[SETTINGS]\r\ndevice=" << device << "\r\n";
        std::vector<std::string> args = {"tervis"};
        args.insert(args.end(), extra.begin(), extra.end());
        window = std::make_unique<TConfigForm>(args, dir.Path(), settings, dialogs);
        return *window;
    }
    // The main window on the simulator's line, linked, the device's configuration read (the slot holding the
    // board) and "Передавать изменения" on.
    void OpenLinked(test::TSimulatorProcess& sim, int slot, std::uint8_t type) {
        ASSERT_FALSE(sim.Path().empty());
        Open(sim.Path());
        ASSERT_TRUE(PumpUntil([&] { return window->LinkPanel()->text() == "Связь есть"; }));
        window->ReadItemClick();
        ASSERT_EQ(window->Model().SlotBoardType(slot), type);
        window->Action("CashedTrxItem")->setChecked(true);
    }
    // An offline window whose model queues into a recorder.
    TConfigForm& OpenRecording(std::vector<std::string> extra = {}) {
        Open((dir.Path() / "no-port").string(), extra);
        dialogs.messages.clear();
        window->Model().SetDeviceLink(std::make_unique<test::TRecordingLink>(packets));
        return *window;
    }
    QPushButton* TypeButton(int slot) {
        return window->TileForSlot(slot)->findChild<QPushButton*>("ButtonType");
    }

    test::TTempDir dir;
    TSettings settings;
    test::TScriptedDialogs dialogs;
    std::unique_ptr<TConfigForm> window;
    std::vector<TPacket> packets;
};

TEST_F(EditBoardConfigTest, OkQueuesOnePacketOnlyForAChangeAndCancelChangesNothing) {
    OpenRecording();
    TMux& model = window->Model();
    model.SetSlotType(3, {bt4E1, 0, 0});
    settings.cashedtrx = true;

    dialogs.onExec = CheckAndOk("CBUseAMI2");
    TypeButton(3)->click();
    ASSERT_EQ(dialogs.executed, std::vector<QString>{"Конфигурация 4E1, слот 3"});
    const TBoardConfig changed{0x3210, 0x0800, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(model.GetBoardConfig(3), changed);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0],
              (TPacket{0x00, 0, 0, 0x1E, 3, 0x32, 0x10, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(window->findChildren<boards::TConfigDialog*>().isEmpty()) << "freed when closed";

    dialogs.onExec = CheckAndOk("");
    TypeButton(3)->click();
    EXPECT_EQ(packets.size(), 1u) << "OK without a change sends nothing";

    // Cancel after a change, and Esc: the model stays.
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QCheckBox*>("CBNotUsed0")->click();
        return int{QDialog::Rejected};
    };
    TypeButton(3)->click();
    EXPECT_EQ(model.GetBoardConfig(3), changed);
    EXPECT_EQ(packets.size(), 1u);

    // Without immediate transmission the model changes and nothing is queued.
    settings.cashedtrx = false;
    dialogs.onExec = CheckAndOk("CBNotUsed0");
    window->EditBoardConfig(3);
    EXPECT_EQ(model.GetBoardConfig(3)[1], 0x0801);
    EXPECT_EQ(packets.size(), 1u);
}

TEST_F(EditBoardConfigTest, TheCpuRecordGoesAsOneSettingsPacket) {
    OpenRecording();
    settings.cashedtrx = true;
    dialogs.onExec = CheckAndOk("CheckBox7");
    TypeButton(kCpuSlot)->click();
    ASSERT_EQ(dialogs.executed, std::vector<QString>{"Настройки мультиплексора"});
    const TMuxSettings expected{0, 16, 96, 96, 96, 96, 3, 255, 255, 0x40};
    EXPECT_EQ(window->Model().GetMuxSettings(), expected);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (TPacket{0x00, 0, 0, 0x28, 0, 16, 96, 96, 96, 96, 3, 255, 255, 0x40}));
}

TEST_F(EditBoardConfigTest, WhichSlotsOpenADialog) {
    OpenRecording();
    TMux& model = window->Model();
    model.SetSlotType(1, {btTLM, 0, 0});
    model.SetSlotType(2, {bt4DSLAlt, 0, 0});
    model.SetSlotType(4, {bt4ToP, 0, 0});
    dialogs.onExec = [](QDialog&) { return int{QDialog::Rejected}; };
    for (int slot : {0, 1, 2}) {
        window->EditBoardConfig(slot);
    }
    EXPECT_TRUE(dialogs.executed.empty());

    dialogs.popupChoice = "ContConfigItem";
    window->TileMenu(4, QPoint());
    window->TileMenu(1, QPoint());  // disabled for ТЛМ
    EXPECT_EQ(dialogs.executed, std::vector<QString>{"Конфигурация 4ToP, слот 4"});
}

TEST_F(EditBoardConfigTest, NotOfferedInTheRestrictedMode) {
    OpenRecording({"-u"});
    window->Model().StoreSlotType(3, {bt4E1, 0, 0});
    dialogs.onExec = CheckAndOk("CBUseAMI2");
    window->EditBoardConfig(3);
    window->EditBoardConfig(kCpuSlot);
    TypeButton(3)->click();
    EXPECT_TRUE(std::none_of(dialogs.executed.begin(), dialogs.executed.end(), [](const QString& title) {
        return title.startsWith("Конфигурация") || title.startsWith("Настройки");
    }));
    EXPECT_EQ(window->Model().GetBoardConfig(3), TBoardConfig{});
}

// A type chosen for an empty slot opens its dialog at once on the type's default block; cancelling keeps
// the new type and its default block.
TEST_F(EditBoardConfigTest, ChoosingATypeOpensItsDialogOnTheDefaultBlock) {
    OpenRecording();
    int shownSync = -2;
    dialogs.onExec = [&](QDialog& dialog) {
        if (dialog.windowTitle() == "Тип платы, слот 5") {
            dialog.findChild<QRadioButton*>("RadioButton_24")->setChecked(true);  // "плата 1/2/4DSLv2"
            return int{QDialog::Accepted};
        }
        if (auto* sync = dialog.findChild<QComboBox*>("CBSync3")) {
            shownSync = sync->currentIndex();
        }
        return int{QDialog::Rejected};
    };
    TypeButton(5)->click();
    // Then the signalling-bit editor, as for every type that carries CAS.
    EXPECT_EQ(dialogs.executed, (std::vector<QString>{"Тип платы, слот 5", "Конфигурация 4DSLv2, слот 5",
                                                      "Настройка CAS 4DSL, слот 5"}));
    EXPECT_EQ(shownSync, 3);
    EXPECT_EQ(window->Model().SlotBoardType(5), bt4DSLv2);
    EXPECT_EQ(window->Model().GetBoardConfig(5), TMux::DefaultBoardConfig(bt4DSLv2));
}

// Every type of the catalogue placed in a fresh slot: its dialog opens on the default block, and OK without
// a touch gives the block back as it was and sends nothing; types without a dialog open nothing.
TEST_F(EditBoardConfigTest, EveryCatalogueTypeRoundTripsItsDefaultBlockUntouched) {
    // The board names in the titles as the operator knows them, mixed letters included.
    const std::map<int, QString> titles = {
        {1, "TЧ"},    {2, "AЛ"},   {3, "AK"},    {7, "1Е1"},     {8, "4V24"},   {9, "МБ"},
        {10, "4E1"},  {11, "СЛУ"}, {12, "2VS"},  {13, "4I15"},   {14, "АДИКМ"}, {15, "4С64"},
        {16, "LAN"},  {18, "8AK"}, {19, "4С1И"}, {20, "4ТЧУ"},   {22, "4ToP"},  {23, "1DSL"},
        {24, "4DSL"}, {26, "ДП"},  {27, "4TLG"}, {29, "4DSLv2"},
    };
    int withDialog = 0;
    for (int code = 0; code < 256; ++code) {
        const auto type = static_cast<std::uint8_t>(code);
        if (!BoardTypeHasName(type) || type == btCPU) {
            continue;
        }
        SCOPED_TRACE(BoardTypeName(type));
        OpenRecording();
        TMux& model = window->Model();
        model.SetSlotType(6, {type, 0, 0});
        settings.cashedtrx = true;
        packets.clear();
        dialogs.executed.clear();
        dialogs.onExec = CheckAndOk("");
        window->EditBoardConfig(6);
        const auto title = titles.find(code);
        if (title == titles.end()) {
            EXPECT_TRUE(dialogs.executed.empty());
            continue;
        }
        ++withDialog;
        ASSERT_EQ(dialogs.executed, std::vector<QString>{"Конфигурация " + title->second + ", слот 6"});
        EXPECT_TRUE(dialogs.messages.empty());
        // Two default blocks hold a code the dialog cannot show as it is: the 1DSL's rate 0 shows the
        // first rate (code 3), the 4СЛУ's mode 0 shows "Отключен" (code 1). Every other default block comes
        // back as it was (the ДП's W6, which OK clears, is already 0).
        TBoardConfig expected = TMux::DefaultBoardConfig(type);
        if (type == bt1DSL) {
            expected[0] = 3;
        } else if (type == bt4SLU) {
            expected[1] = 0x1111;
        }
        EXPECT_EQ(model.GetBoardConfig(6), expected);
        EXPECT_EQ(model.GetSlotType(6), (TSlotType{type, 0, 0}));
        if (expected == TMux::DefaultBoardConfig(type)) {
            EXPECT_TRUE(packets.empty());
        } else {
            ASSERT_EQ(packets.size(), 1u);
            EXPECT_EQ(packets[0][3], 0x1E);
        }
    }
    EXPECT_EQ(withDialog, 22);
}

// The 4ТЧУ hands back the block and the slot type record; each is queued with its own command, and only
// when it changed.
TEST_F(EditBoardConfigTest, ThuQueuesBlockAndSlotTypeRecordSeparately) {
    OpenRecording();
    TMux& model = window->Model();
    model.SetSlotType(2, {bt4TChU, 0, 0});
    settings.cashedtrx = true;
    packets.clear();
    dialogs.onExec = CheckAndOk("CheckBox3");  // set 2 two-wire: the record only
    window->EditBoardConfig(2);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (TPacket{0x00, 0, 0, 0x0A, 2, bt4TChU, 0x00, 0x04, 0x00, 0x00}));
    EXPECT_EQ(model.GetSlotType(2), (TSlotType{bt4TChU, 0x0004, 0}));

    packets.clear();
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QSlider*>("TrackBar1")->setValue(176);
        static_cast<boards::TConfigDialog&>(dialog).OkButton()->click();
        return dialog.result();
    };
    window->EditBoardConfig(2);
    ASSERT_EQ(packets.size(), 1u) << "the record is unchanged, the block changed";
    EXPECT_EQ(packets[0][3], 0x1E);
    EXPECT_EQ(model.GetBoardConfig(2)[0], 0xB000);
    EXPECT_EQ(model.GetSlotType(2), (TSlotType{bt4TChU, 0x0004, 0}));
}

// With the simulated multiplexer: a 4ТЧУ level and two-wire box changed in the dialog reach the device as
// its block and its slot type record.
TEST_F(EditBoardConfigTest, ThuChangeReachesTheDeviceAsBlockAndSlotTypeRecord) {
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "4:20"});
    ASSERT_NO_FATAL_FAILURE(OpenLinked(sim, 4, bt4TChU));

    TBoardConfig block = window->Model().GetBoardConfig(4);
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QSlider*>("TrackBar5")->setValue(200);  // set 2 transmit
        dialog.findChild<QCheckBox*>("CheckBox2")->click();      // set 1 two-wire
        static_cast<boards::TConfigDialog&>(dialog).OkButton()->click();
        return dialog.result();
    };
    window->EditBoardConfig(4);
    block[3] = static_cast<std::uint16_t>((block[3] & 0x00FF) | (200 << 8));
    ASSERT_EQ(window->Model().GetBoardConfig(4), block);
    const TSlotType record{bt4TChU, static_cast<std::uint16_t>(0x0002), 0};
    ASSERT_EQ(window->Model().GetSlotType(4), record);
    ASSERT_TRUE(PumpUntil([&] { return window->Link()->QueueLength() == 0 && !window->Link()->Busy(); }));

    dialogs.messages.clear();
    window->CompareItemClick();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Отличий не найдено"});
    EXPECT_EQ(window->Link()->Scratch().GetBoardConfig(4), block);
    EXPECT_EQ(window->Link()->Scratch().GetSlotType(4), record);
}

// With the simulated multiplexer: changes made in the 4E1 and CPU dialogs reach the device exactly, as a
// fresh read of the device shows.
TEST_F(EditBoardConfigTest, ChangesReachTheDevice) {
    test::TSimulatorProcess sim({TERVIS_MUXSIM_PATH, "--board", "3:10"});
    ASSERT_NO_FATAL_FAILURE(OpenLinked(sim, 3, bt4E1));

    TBoardConfig block = window->Model().GetBoardConfig(3);
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QCheckBox*>("CBUseAMI2")->click();
        dialog.findChild<QCheckBox*>("CBUsePRBS1")->click();
        auto* priority = dialog.findChild<QComboBox*>("ComboBox4");
        priority->setCurrentIndex(4);
        emit priority->activated(4);
        static_cast<boards::TConfigDialog&>(dialog).OkButton()->click();
        return dialog.result();
    };
    window->EditBoardConfig(3);
    block[0] = static_cast<std::uint16_t>((block[0] & 0x0FFF) | 0x4000);
    block[1] |= 0x0800;
    block[2] |= 0x0020;
    ASSERT_EQ(window->Model().GetBoardConfig(3), block);

    TMuxSettings record = window->Model().GetMuxSettings();
    dialogs.onExec = [](QDialog& dialog) {
        dialog.findChild<QCheckBox*>("CheckBox2")->click();
        static_cast<boards::TConfigDialog&>(dialog).OkButton()->click();
        return dialog.result();
    };
    window->EditBoardConfig(kCpuSlot);
    record[9] ^= 0x02;
    ASSERT_EQ(window->Model().GetMuxSettings(), record);
    ASSERT_TRUE(PumpUntil([&] { return window->Link()->QueueLength() == 0 && !window->Link()->Busy(); }));

    // Compare reads the whole device into the link's scratch model.
    dialogs.messages.clear();
    window->CompareItemClick();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Отличий не найдено"});
    EXPECT_EQ(window->Link()->Scratch().GetBoardConfig(3), block);
    EXPECT_EQ(window->Link()->Scratch().GetMuxSettings(), record);
}

}  // namespace
}  // namespace tervis
