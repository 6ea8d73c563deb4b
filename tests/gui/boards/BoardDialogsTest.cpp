// The board dialogs on their own: block in, the named controls' state; controls changed, the words out.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include "gui/boards/UConfig1DSL.h"
#include "gui/boards/UConfig1E1.h"
#include "gui/boards/UConfig4DSL.h"
#include "gui/boards/UConfig4E1.h"
#include "gui/boards/UConfig4I15.h"
#include "gui/boards/UConfigCPU.h"
#include "support/BoardDialogTools.h"
#include "support/ScriptedDialogs.h"
#include "support/UntouchedBlocks.h"

namespace tervis::boards {
namespace {

using TBlock = TBoardConfig;

using test::Find;
using test::MakeBoard;
using test::Ok;
using test::Pick;

class BoardDialogs : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
};

// The dialogs follow the rule of an untouched OK that the core tests hold on the same table.
TEST_F(BoardDialogs, BlockThroughUntouchedDialog) {
    test::ExpectUntouchedDialogs(test::kUntouchedBlocks, dialogs);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A control of every board's dialog, as the operator sees it: a box's or button's caption, a list's item
// count and last item, a check list's items, a track bar's range.
TEST_F(BoardDialogs, ControlsCarryTheirCaptionsAndItems) {
    struct TShown {
        std::uint8_t Type;
        const char* Name;
        const char* Text;  // caption, or a list's last item
        int Count = 0;     // a list's items, a check list's items, a track bar's maximum
    };
    const TShown shown[] = {
        {bt1E1, "CBUseAMI", "кодировка AMI"},
        {bt4E1, "ComboBox4", "нет", 5},
        {bt4ToP, "CBUse0KI3", "разговорный 0-й КИ"},
        {bt4I15, "RBUseNRZ_2", "NRZ (OMS)"},
        {bt1DSL, "CBCtrlMode", "использется для удаленного управления"},
        {bt4DSL, "CBMode1", "концентратор ЛВ-420", 5},
        {bt4DSLv2, "CBTcpam3", "TC-PAM 128", 6},
        {bt4TCh, "ComboBox4", "1ВСК индуктивный -> СЛМ 2ВСК", 12},
        {bt4TChU, "TrackBar8", nullptr, 255},
        {bt4AK, "CheckListEn", nullptr, 4},
        {bt4AL, "CheckListKeys", nullptr, 4},
        {bt4MB, "CheckListKeys", nullptr, 4},
        {bt4SLU, "RadioGroup4_6", "СЛ К727А ->2ВСК"},
        {btADPCM, "ComboBox1", "64", 17},
        {bt8AK, "RBLapdMode", "Режим абонентского выноса ЛВ420"},
        {bt4TLG, "CB4in1", "в одном канале"},
        {bt4V24, "ComboBox1", "57600 бит/с", 12},
        {bt2VS, "ComboBox3", "Отключен", 8},
        {bt4C64, "CBOutPutPriority_1", "нет", 5},
        {btLAN, "ComboBox8", "инверсия по маске 0xAA", 4},
        {bt4C1I, "ComboBox4", "48000 бит/с", 9},
        {btDP, "CBLeakLevel", "8,0", 61},
    };
    for (const TShown& c : shown) {
        SCOPED_TRACE(std::string(c.Name) + " of type " + std::to_string(c.Type));
        auto dialog = MakeBoard(c.Type, dialogs);
        auto* control = dialog->findChild<QWidget*>(c.Name);
        ASSERT_NE(control, nullptr);
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            ASSERT_EQ(list->count(), c.Count);
            EXPECT_EQ(list->itemText(c.Count - 1), c.Text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_TRUE(button->text().startsWith(c.Text)) << button->text().toStdString();
        } else if (auto* checks = qobject_cast<QListWidget*>(control)) {
            EXPECT_EQ(checks->count(), c.Count);
        } else if (auto* bar = qobject_cast<QSlider*>(control)) {
            EXPECT_EQ(bar->maximum(), c.Count);
            EXPECT_EQ(bar->pageStep(), 15);
        } else {
            ADD_FAILURE() << "unexpected control";
        }
    }
    TConfig1DSLForm oneDsl(dialogs);
    auto* speed = Find<QComboBox>(oneDsl, "CBSpeed");
    ASSERT_EQ(speed->count(), 29);
    EXPECT_EQ(speed->itemText(0), "4х64 кбит/с");
    EXPECT_EQ(speed->itemText(28), "32х64 кбит/с");
    TConfig4DSLForm fourDsl(dialogs);
    auto* rate = Find<QComboBox>(fourDsl, "CBSpeedDSL2");
    ASSERT_EQ(rate->count(), 87);
    EXPECT_EQ(rate->itemText(86), "89х64 кбит/с");
}

TEST_F(BoardDialogs, ControlsChangedGiveTheirBits) {
    TConfig4E1Form e1(dialogs);
    e1.LoadFromBlock(TMux::DefaultBoardConfig(bt4E1));
    Find<QCheckBox>(e1, "CBUseAMI2")->click();
    Find<QCheckBox>(e1, "CBUseEqualizer3")->click();
    Find<QCheckBox>(e1, "CBUse0KI1")->click();
    Pick(Find<QComboBox>(e1, "ComboBox2"), 4);
    EXPECT_EQ(Ok(e1), (TBlock{0x3240, 0x0800, 0x8000, 0, 0x0020, 0, 0, 0, 0}));

    TConfig4I15Form i15(dialogs);
    i15.LoadFromBlock(TMux::DefaultBoardConfig(bt4I15));
    Find<QRadioButton>(i15, "RBUseAMI_1")->click();
    Find<QRadioButton>(i15, "RBUseHDB_3")->click();
    Find<QCheckBox>(i15, "CBSendAIS_0")->click();
    Pick(Find<QComboBox>(i15, "CBPriority_2"), 1);
    EXPECT_EQ(Ok(i15), (TBlock{0x4144, 0, 0x0004, 0x0212, 0, 0, 0, 0, 0}));

    TConfig1E1Form oneE1(dialogs);
    oneE1.LoadFromBlock({});
    Find<QCheckBox>(oneE1, "CheckBox3")->click();
    Find<QCheckBox>(oneE1, "CBRemoteCtrl")->click();
    EXPECT_EQ(Ok(oneE1), (TBlock{4, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(BoardDialogs, RemoteControlAndTimeslotZeroExcludeEachOtherPerSet) {
    for (std::uint8_t type : {bt4E1, bt4ToP}) {
        auto dialog = MakeBoard(type, dialogs);
        dialog->LoadFromBlock(TMux::DefaultBoardConfig(type));
        auto* zero2 = Find<QCheckBox>(*dialog, "CBUse0KI2");
        auto* remote2 = Find<QCheckBox>(*dialog, "CBRemoteControl2");
        auto* remote1 = Find<QCheckBox>(*dialog, "CBRemoteControl1");
        zero2->click();
        EXPECT_FALSE(remote2->isEnabled());
        EXPECT_TRUE(remote1->isEnabled());
        EXPECT_TRUE(zero2->isEnabled());
        zero2->click();
        EXPECT_TRUE(remote2->isEnabled());

        // Both set in the block: both shown checked and enabled until one is cleared.
        TBlock both = TMux::DefaultBoardConfig(type);
        both[4] = 0x0300;  // set 2: bits 0 and 1
        auto loaded = MakeBoard(type, dialogs);
        loaded->LoadFromBlock(both);
        auto* zero = Find<QCheckBox>(*loaded, "CBUse0KI2");
        auto* remote = Find<QCheckBox>(*loaded, "CBRemoteControl2");
        EXPECT_TRUE(zero->isChecked() && zero->isEnabled() && remote->isChecked() && remote->isEnabled());
        remote->click();
        EXPECT_FALSE(remote->isEnabled());
    }
}

TEST_F(BoardDialogs, OneDslEnabling) {
    TConfig1DSLForm dialog(dialogs);
    auto* concentrator = Find<QCheckBox>(dialog, "CBConcentrator");
    auto* speed = Find<QComboBox>(dialog, "CBSpeed");
    dialog.LoadFromBlock({});
    EXPECT_FALSE(concentrator->isEnabled());
    EXPECT_TRUE(speed->isEnabled());
    dialog.LoadFromBlock({3, 0, 0x000C, 0, 0, 0, 0, 0, 0});  // ЛВ420 mode and automatic rate
    EXPECT_TRUE(concentrator->isEnabled());
    EXPECT_FALSE(speed->isEnabled());
    Find<QCheckBox>(dialog, "CBLapdMode")->click();
    EXPECT_FALSE(concentrator->isEnabled());
}

TEST_F(BoardDialogs, FourDslRateRule) {
    TConfig4DSLForm dialog(dialogs);
    // Set 1: 32 channels, TDM 30, remote management on, no self-monitoring.
    TBlock block = TMux::DefaultBoardConfig(bt4DSL);
    block[4] = 0x0010;
    block[7] = 0x1E20;
    // Set 2: 89 channels with TC-PAM32, remote management and self-monitoring on.
    block[4] |= 0x0500;
    block[6] = 0x20D9;
    dialog.LoadFromBlock(block);

    auto* tdm1 = Find<QComboBox>(dialog, "CBSpeedTDM1");
    ASSERT_EQ(tdm1->count(), 32);
    EXPECT_EQ(tdm1->itemText(0), "0x64 кбит/с");
    EXPECT_EQ(tdm1->itemText(31), "31x64 кбит/с");
    EXPECT_EQ(tdm1->currentIndex(), 30);
    EXPECT_EQ(Find<QLineEdit>(dialog, "EDSpeedLAN1")->text(), "1x64 = 64 кбит/с");

    auto* tdm2 = Find<QComboBox>(dialog, "CBSpeedTDM2");
    EXPECT_EQ(tdm2->count(), 65);  // capped at 64 whatever R and S
    EXPECT_FALSE(Find<QRadioButton>(dialog, "RBTcPam16_2")->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>(dialog, "RBTcPam32_2")->isChecked());

    // From 40 to 10 channels: TC-PAM16 is forced and TC-PAM32 refused.
    auto* rate0 = Find<QComboBox>(dialog, "CBSpeedDSL0");
    Pick(rate0, 37);
    Find<QRadioButton>(dialog, "RBTcPam32_0")->click();
    Pick(rate0, 7);
    EXPECT_TRUE(Find<QRadioButton>(dialog, "RBTcPam16_0")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(dialog, "RBTcPam32_0")->isEnabled());
    auto* tdm0 = Find<QComboBox>(dialog, "CBSpeedTDM0");
    EXPECT_EQ(tdm0->count(), 11);
    EXPECT_EQ(tdm0->currentIndex(), 10);  // was 32, now the last item
    EXPECT_EQ(Find<QLineEdit>(dialog, "EDSpeedLAN0")->text(), "0x64 = 0 кбит/с");

    // "вынос станции ЛВ-420" takes the management channel like remote management does.
    Pick(Find<QComboBox>(dialog, "CBMode0"), 3);
    EXPECT_EQ(tdm0->count(), 10);
    EXPECT_EQ(Find<QLineEdit>(dialog, "EDSpeedLAN0")->text(), "0x64 = 0 кбит/с");
    Pick(tdm0, 5);
    EXPECT_EQ(Find<QLineEdit>(dialog, "EDSpeedLAN0")->text(), "4x64 = 256 кбит/с");

    const TBlock out = Ok(dialog);
    EXPECT_EQ(out[5], 0x200A);
    EXPECT_EQ(out[7], 0x1E05);
    EXPECT_EQ(out[2], 0x0003);
}

TEST_F(BoardDialogs, FourDslLineOff) {
    for (std::uint8_t type : {bt4DSL, bt4DSLv2}) {
        auto dialog = MakeBoard(type, dialogs);
        TBlock block = TMux::DefaultBoardConfig(type);
        block[1] = 0x0900;  // set 2: NTU and line off
        dialog->LoadFromBlock(block);
        const QStringList off = {"CBMode2", "CBSpeedDSL2", "CBSpeedTDM2",   "EDSpeedLAN2",  "CBSlave2",
                                 "CBGhs2",  "CBCtrlMode2", "CBRemoteLoop2", "CBLocalLoop2", "CBSync2"};
        for (const QString& name : off) {
            EXPECT_FALSE(Find<QWidget>(*dialog, name)->isEnabled())
                << name.toStdString() << " type " << int{type};
        }
        EXPECT_TRUE(Find<QWidget>(*dialog, "SelfControl2")->isEnabled());
        EXPECT_TRUE(Find<QWidget>(*dialog, "CBOffLine2")->isEnabled());
        // Self-monitoring stays editable and rebuilds the TDM list, but nothing else comes back.
        Find<QCheckBox>(*dialog, "SelfControl2")->click();
        for (const QString& name : QStringList{"RBTcPam16_2", "RBTcPam32_2", "CBTcpam2"}) {
            if (auto* control = dialog->findChild<QWidget*>(name)) {
                EXPECT_FALSE(control->isEnabled()) << name.toStdString();
            }
        }
        EXPECT_TRUE(Find<QWidget>(*dialog, "CBSync1")->isEnabled() == false);
        Find<QCheckBox>(*dialog, "CBOffLine2")->click();
        EXPECT_TRUE(Find<QWidget>(*dialog, "CBSync2")->isEnabled());  // NTU checked, line on
        EXPECT_TRUE(Find<QWidget>(*dialog, "CBSpeedTDM2")->isEnabled());
    }
}

TEST_F(BoardDialogs, FourDslV2LineCodes) {
    TConfig4DSLv2Form dialog(dialogs);
    TBlock block = TMux::DefaultBoardConfig(bt4DSLv2);
    block[3] = 0x0005;  // set 0 TC-PAM 128
    block[5] = 0x2064;  // set 0: 100 channels
    block[7] = 0x2040;  // TDM 64
    dialog.LoadFromBlock(block);
    auto* rate0 = Find<QComboBox>(dialog, "CBSpeedDSL0");
    auto* code0 = Find<QComboBox>(dialog, "CBTcpam0");
    ASSERT_EQ(rate0->count(), 176);
    EXPECT_EQ(rate0->currentText(), "100x64 кбит/с");
    Pick(code0, 0);  // TC-PAM 4: the last item, 38 channels
    EXPECT_EQ(rate0->count(), 36);
    EXPECT_EQ(rate0->currentText(), "38x64 кбит/с");
    // The TDM list follows the rate the new code left, so no TDM rate above it can be stored.
    auto* tdm0 = Find<QComboBox>(dialog, "CBSpeedTDM0");
    EXPECT_EQ(tdm0->count(), 39);
    EXPECT_EQ(tdm0->currentIndex(), 38);
    Pick(code0, 3);  // TC-PAM 32 starts at 12 channels
    EXPECT_EQ(rate0->currentText(), "12x64 кбит/с");
    Pick(rate0, 2);  // below 12 channels is refused under TC-PAM 32
    EXPECT_EQ(rate0->currentText(), "12x64 кбит/с");
    Pick(Find<QComboBox>(dialog, "CBTcpam3"), 4);
    const TBlock out = Ok(dialog);
    EXPECT_EQ(out[3], 0x4003);
    EXPECT_EQ(out[5], 0x200C);
    EXPECT_EQ(out[7], 0x200C);
}

TEST_F(BoardDialogs, GuardedOkOfThe4I15KeepsTheDialogOpen) {
    TConfig4I15Form dialog(dialogs);
    const TBlock loaded{0x4444, 0x0001, 0, 0x2222, 7, 7, 7, 7, 7};
    dialog.LoadFromBlock(loaded);
    delete dialog.findChild<QCheckBox*>("CBBefore84_2");  // a control the rebuild cannot find
    dialog.OkButton()->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Указаны неправильные значения параметров"});
}

// A dialog whose rebuild meets a value too large for its word shows the run-time range message and stays
// open; a guarded dialog reports every failure as invalid parameters.
TEST_F(BoardDialogs, FailedRebuildMessages) {
    class TFailing : public TConfigDialog {
    public:
        // The base runs the guarded OK handler on the OK button of its own.
        TFailing(IDialogs& dialogs, TOkGuard guard)
            : TConfigDialog(dialogs, nullptr, {"OkButton", "CancelButton"}, guard) {}
        void RebuildWorkingCopy() override { throw ERangeCheck("value above 65535"); }
    };
    TFailing plain(dialogs, TOkGuard::None);
    plain.OkButton()->click();
    TFailing guarded(dialogs, TOkGuard::Parameters);
    guarded.OkButton()->click();
    EXPECT_NE(plain.result(), QDialog::Accepted);
    EXPECT_NE(guarded.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.messages,
              (std::vector<QString>{"Range check error", "Указаны неправильные значения параметров"}));
}

TEST_F(BoardDialogs, CpuSettingsLoadAndStore) {
    TConfigCPUForm dialog(dialogs);
    EXPECT_EQ(dialog.windowTitle(), "Настройки мультиплексора");
    const TMuxSettings defaults{0, 16, 96, 96, 96, 96, 3, 255, 255, 0};
    dialog.LoadFromSettings(defaults);
    const auto index = [&](int list) {
        return Find<QComboBox>(dialog, QString("ComboBox%1").arg(list))->currentIndex();
    };
    EXPECT_EQ(index(1), 0);
    EXPECT_EQ(index(7), 0);
    EXPECT_EQ(index(8), 1);
    EXPECT_EQ(index(12), 6);
    EXPECT_TRUE(Find<QRadioButton>(dialog, "RadioGroup1_3")->isChecked());
    auto* table = Find<QGroupBox>(dialog, "GroupBox1");
    EXPECT_TRUE(table->isHidden());
    for (int box = 1; box <= 8; ++box) {
        EXPECT_FALSE(Find<QCheckBox>(dialog, QString("CheckBox%1").arg(box))->isChecked());
    }
    Find<QRadioButton>(dialog, "RadioGroup1_2")->click();
    EXPECT_FALSE(table->isHidden());
    EXPECT_FALSE(Find<QLabel>(dialog, "Label3")->isHidden());
    Find<QRadioButton>(dialog, "RadioGroup1_1")->click();
    EXPECT_FALSE(table->isHidden());
    EXPECT_TRUE(Find<QLabel>(dialog, "Label3")->isHidden());
    Find<QRadioButton>(dialog, "RadioGroup1_0")->click();
    EXPECT_TRUE(table->isHidden());
    dialog.OkButton()->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    TMuxSettings out{};
    dialog.StoreToSettings(out);
    EXPECT_EQ(out, (TMuxSettings{0, 16, 96, 96, 96, 96, 0, 255, 255, 0}));  // hidden table still stored

    // Bits 7..15 of the inputs and 8..15 of the alarm mask are dropped; the measurer is kept; a type
    // without an item is stored as "Только от ЦП".
    TConfigCPUForm other(dialogs);
    other.LoadFromSettings({0x0065, 0x0085, 0x60, 0x60, 0x60, 0x60, 7, 2, 5, 0xFF41});
    EXPECT_EQ(Find<QComboBox>(other, "ComboBox1")->currentText(), "слот 5");
    EXPECT_EQ(Find<QComboBox>(other, "ComboBox7")->currentText(), "никогда");
    EXPECT_EQ(Find<QComboBox>(other, "ComboBox8")->currentText(), "приор. 0");
    EXPECT_TRUE(Find<QCheckBox>(other, "CheckBox7")->isChecked());
    Find<QCheckBox>(other, "CheckBox8")->click();
    other.OkButton()->click();
    other.StoreToSettings(out);
    EXPECT_EQ(out, (TMuxSettings{0x0065, 0x0005, 0x60, 0x60, 0x60, 0x60, 3, 2, 5, 0xC1}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A priority of 7 has no item: OK is refused and nothing changes.
TEST_F(BoardDialogs, CpuInputWithoutPriorityRefusesOk) {
    TConfigCPUForm dialog(dialogs);
    const TMuxSettings loaded{0, 16, 0x75, 96, 96, 96, 2, 255, 255, 0};
    dialog.LoadFromSettings(loaded);
    EXPECT_EQ(Find<QComboBox>(dialog, "ComboBox9")->currentIndex(), -1);
    Find<QCheckBox>(dialog, "CheckBox1")->click();
    dialog.OkButton()->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"Указаны неправильные значения параметров"});
    EXPECT_EQ(dialog.WorkingCopy(), loaded);
    Pick(Find<QComboBox>(dialog, "ComboBox9"), 2);
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.WorkingCopy(), (TMuxSettings{0, 16, 0x25, 96, 96, 96, 2, 255, 255, 1}));
}

// Esc cancels from anywhere: an open list, a focused edit; the close box cancels too.
TEST_F(BoardDialogs, EscAndCloseBoxCancel) {
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    {
        TConfig4E1Form dialog(dialogs, &owner);
        dialog.LoadFromBlock(TMux::DefaultBoardConfig(bt4E1));
        dialog.show();
        auto* list = Find<QComboBox>(dialog, "ComboBox1");
        list->showPopup();
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        QWidget* target = popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(target, &esc);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    {
        TConfig4DSLForm dialog(dialogs, &owner);
        dialog.LoadFromBlock(TMux::DefaultBoardConfig(bt4DSL));
        dialog.show();
        // Centred on its owner.
        EXPECT_LE((dialog.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 4);
        auto* edit = Find<QLineEdit>(dialog, "EDSpeedLAN0");
        edit->setFocus();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(edit, &esc);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(edit->hasFocus());
    }
    {
        // Tab runs through the controls and then to OK and Cancel.
        TConfig1E1Form dialog(dialogs, &owner);
        dialog.show();
        const auto nextStop = [](QWidget* from) {
            QWidget* at = from->nextInFocusChain();
            while ((at->focusPolicy() & Qt::TabFocus) == 0) {
                at = at->nextInFocusChain();
            }
            return at;
        };
        EXPECT_EQ(nextStop(Find<QCheckBox>(dialog, "CBRemoteCtrl")), dialog.OkButton());
        EXPECT_EQ(nextStop(dialog.OkButton()), dialog.CancelButton());
        dialog.reject();
    }
    {
        TConfigCPUForm dialog(dialogs, &owner);
        dialog.show();
        dialog.close();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

}  // namespace
}  // namespace tervis::boards
