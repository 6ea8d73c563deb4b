// The dialogs of the voice-frequency, signalling, data and remote-power boards: block in, the named
// controls' state; controls changed, the words out; the lists that refuse OK without a selection.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include "gui/boards/UConfig2VS.h"
#include "gui/boards/UConfig8AK.h"
#include "gui/boards/UConfigADPCM.h"
#include "gui/boards/UConfigTHU.h"
#include "support/BoardDialogTools.h"
#include "support/ScriptedDialogs.h"

namespace tervis::boards {
namespace {

using TBlock = TBoardConfig;

using test::Find;
using test::MakeBoard;
using test::Pick;
using test::Shown;

class VoiceDataBoardDialogs : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
};

TEST_F(VoiceDataBoardDialogs, LoadedBlocksShowInTheNamedControls) {
    std::unique_ptr<TBoardDialog> dp = MakeBoard(26, dialogs);
    dp->LoadFromBlock(TMux::DefaultBoardConfig(26));
    EXPECT_TRUE(Find<QRadioButton>(*dp, "RBCurrentSource")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(*dp, "RBVoltageSource")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(*dp, "CBOffline")->isChecked());
    const std::pair<const char*, const char*> shown[] = {
        {"CBVoltageVal", "200"},  {"CBVoltageMaxI", "60"},      {"CBVoltageMinI", "18"},
        {"CBCurrentVal", "55"},   {"CBCurrentOffI", "10"},      {"CBCurrentMaxU", "300"},
        {"CBCurrentMinU", "100"}, {"CBRestrictionLevel", "80"}, {"CBLeakLevel", "8,0"},
    };
    for (const auto& [list, text] : shown) {
        EXPECT_EQ(Shown(*dp, list), text) << list;
    }
    dp->LoadFromBlock({0x6480, 0x123C, 0x0A37, 300, 100, 0x1346, 0, 0, 0});
    EXPECT_TRUE(Find<QRadioButton>(*dp, "RBVoltageSource")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(*dp, "CBOffline")->isChecked());
    EXPECT_EQ(Shown(*dp, "CBVoltageVal"), "300");
    EXPECT_EQ(Shown(*dp, "CBRestrictionLevel"), "70");
    EXPECT_EQ(Shown(*dp, "CBLeakLevel"), "(none)");

    std::unique_ptr<TBoardDialog> v24 = MakeBoard(8, dialogs);
    v24->LoadFromBlock(TMux::DefaultBoardConfig(8));
    for (int set = 1; set <= 4; ++set) {
        EXPECT_EQ(Shown(*v24, QString("ComboBox%1").arg(set)), "Отключен");
        EXPECT_TRUE(Find<QCheckBox>(*v24, QString("CheckBox%1").arg(set))->isChecked());
    }
    EXPECT_TRUE(Find<QRadioButton>(*v24, "RadioGroup1_0")->isChecked());
    EXPECT_EQ(v24->OkButton()->objectName(), "Button2");

    std::unique_ptr<TBoardDialog> vs = MakeBoard(12, dialogs);
    vs->LoadFromBlock({0x00E5, 0x0080, 0x000A, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Shown(*vs, "ComboBox1"), "Отключен");
    EXPECT_EQ(Shown(*vs, "ComboBox2"), "384 кбит/с (n=6)");
    EXPECT_FALSE(Find<QComboBox>(*vs, "ComboBox2")->isEnabled());
    EXPECT_EQ(Shown(*vs, "ComboBox3"), "V.35");
    EXPECT_EQ(Shown(*vs, "CBSync1"), "нет");

    std::unique_ptr<TBoardDialog> lan = MakeBoard(16, dialogs);
    lan->LoadFromBlock({0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int channel = 1; channel <= 8; ++channel) {
        EXPECT_EQ(Shown(*lan, QString("ComboBox%1").arg(channel)), "инверсия по маске 0xAA");
    }

    std::unique_ptr<TBoardDialog> ak = MakeBoard(3, dialogs);
    ak->LoadFromBlock({0, 0x0020, 0, 0, 0, 0, 0, 0, 0});
    auto* sets = Find<QListWidget>(*ak, "CheckListEn");
    ASSERT_EQ(sets->count(), 4);
    EXPECT_EQ(sets->item(1)->text(), "Отключить комплект №1");
    EXPECT_EQ(sets->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(sets->item(0)->checkState(), Qt::Unchecked);

    std::unique_ptr<TBoardDialog> slu = MakeBoard(11, dialogs);
    slu->LoadFromBlock({});
    EXPECT_TRUE(Find<QRadioButton>(*slu, "RadioGroup3_0")->isChecked());
    EXPECT_EQ(Find<QRadioButton>(*slu, "RadioGroup3_0")->text(), "Отключен");

    std::unique_ptr<TBoardDialog> c64 = MakeBoard(15, dialogs);
    EXPECT_NE(c64->findChild<QComboBox*>("CBOutPutPriority_1"), nullptr);
    EXPECT_NE(c64->findChild<QComboBox*>("CBOutputPriority_3"), nullptr);
    std::unique_ptr<TBoardDialog> c1i = MakeBoard(19, dialogs);
    EXPECT_EQ(Find<QCheckBox>(*c1i, "CheckBox8")->text(), "PRBS testD");  // set 1's fourth box
    EXPECT_EQ(c1i->OkButton()->objectName(), "Button2");
}

// The two source buttons sit in frames of their own; still exactly one is checked, and the one clicked is
// what OK stores (W0 bit 0: 1 current source, 0 voltage source).
TEST_F(VoiceDataBoardDialogs, RemotePowerSourceButtonsAreExclusive) {
    struct TCase {
        std::uint16_t LoadedW0;
        const char* Clicked;
        const char* Other;
        std::uint16_t StoredBit0;
    };
    for (const TCase& c : {TCase{0x0000, "RBCurrentSource", "RBVoltageSource", 1},
                           TCase{0x0001, "RBVoltageSource", "RBCurrentSource", 0},
                           TCase{0x0001, "RBCurrentSource", "RBVoltageSource", 1}}) {
        std::unique_ptr<TBoardDialog> dp = MakeBoard(26, dialogs);
        TBlock block = TMux::DefaultBoardConfig(26);
        block[0] = static_cast<std::uint16_t>((block[0] & ~1u) | c.LoadedW0);
        dp->LoadFromBlock(block);
        Find<QRadioButton>(*dp, c.Clicked)->click();
        EXPECT_TRUE(Find<QRadioButton>(*dp, c.Clicked)->isChecked()) << c.Clicked;
        EXPECT_FALSE(Find<QRadioButton>(*dp, c.Other)->isChecked()) << c.Clicked;
        dp->OkButton()->click();
        TBlock out{};
        dp->StoreToBlock(out);
        EXPECT_EQ(out[0] & 1u, c.StoredBit0) << "loaded " << c.LoadedW0 << ", clicked " << c.Clicked;
    }
}

TEST_F(VoiceDataBoardDialogs, ControlsChangedGiveTheirBits) {
    std::unique_ptr<TBoardDialog> vs = MakeBoard(12, dialogs);
    vs->LoadFromBlock({0x001F, 0x0080, 0x000A, 0, 0, 0, 0, 0, 0});
    Pick(*vs, "ComboBox1", 4);  // V.35
    Find<QCheckBox>(*vs, "CBMode0")->click();
    vs->OkButton()->click();
    TBlock out{};
    vs->StoreToBlock(out);
    EXPECT_EQ(out[0], 0x809F);

    std::unique_ptr<TBoardDialog> dp = MakeBoard(26, dialogs);
    dp->LoadFromBlock(TMux::DefaultBoardConfig(26));
    Find<QRadioButton>(*dp, "RBVoltageSource")->click();
    Find<QCheckBox>(*dp, "CBOffline")->click();
    Find<QCheckBox>(*dp, "CBDisableShort")->click();
    Pick(*dp, "CBCurrentMaxU", 520);  // 600 V
    Pick(*dp, "CBLeakLevel", 0);      // 2,0 mA
    dp->OkButton()->click();
    dp->StoreToBlock(out);
    EXPECT_EQ(out, (TBlock{0x0088, 0x123C, 0x0A37, 600, 100, 0x1450, 0, 0, 0}));

    std::unique_ptr<TBoardDialog> c1i = MakeBoard(19, dialogs);
    c1i->LoadFromBlock({});
    Pick(*c1i, "ComboBox3", 8);                   // set 2 at 48000 bit/s
    Find<QCheckBox>(*c1i, "CheckBox6")->click();  // set 1 remote loopback
    Find<QCheckBox>(*c1i, "CBNotUsed3")->click();
    Find<QRadioButton>(*c1i, "RadioGroup1_2")->click();
    c1i->OkButton()->click();
    c1i->StoreToBlock(out);
    EXPECT_EQ(out, (TBlock{2, 0x0020, 0x0800, 0x1000, 0, 0, 0, 0, 0}));
}

TEST_F(VoiceDataBoardDialogs, AdpcmListsPair) {
    TConfigADPCMForm dialog(dialogs);
    dialog.LoadFromBlock({6, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Shown(dialog, "ComboBox1"), "4");
    EXPECT_EQ(Shown(dialog, "ComboBox2"), "60");
    EXPECT_FALSE(Find<QComboBox>(dialog, "ComboBox2")->isEnabled());
    Pick(dialog, "ComboBox1", 0);
    EXPECT_EQ(Shown(dialog, "ComboBox2"), "64");
    dialog.LoadFromBlock({65, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Shown(dialog, "ComboBox1"), "(none)");
    EXPECT_EQ(Shown(dialog, "ComboBox2"), "(none)");
}

TEST_F(VoiceDataBoardDialogs, EightAkModeRule) {
    TConfig8AKForm dialog(dialogs);
    dialog.LoadFromBlock({0, 0x0002, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(Find<QRadioButton>(dialog, "RBStandardMode")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "CheckBox1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "CBConcentrator")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "CheckBox8")->isEnabled());
    EXPECT_EQ(Find<QCheckBox>(dialog, "CheckBox1")->text(), "отключить сигнализацию комплекта №0 ");
    EXPECT_EQ(Find<QCheckBox>(dialog, "CheckBox3")->text(), "отключить сигнализацию комплекта №2");

    Find<QRadioButton>(dialog, "RBLapdMode")->click();
    EXPECT_TRUE(Find<QCheckBox>(dialog, "CBConcentrator")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "CheckBox8")->isEnabled());

    // Loading the ЛВ420 mode runs its rule too.
    TConfig8AKForm lapd(dialogs);
    lapd.LoadFromBlock({0x0003, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(Find<QCheckBox>(lapd, "CBConcentrator")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(lapd, "CBConcentrator")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(lapd, "CheckBox1")->isEnabled());
}

TEST_F(VoiceDataBoardDialogs, ThuLevelsTwoWireAndSlotTypeRecord) {
    const auto level = [](const char* prefix, double db) {
        return QString("%1 %2 дБ").arg(prefix, QLocale::system().toString(db, 'f', 1));
    };
    TConfigTHUForm dialog(dialogs);
    dialog.LoadFromBlock({0xB000, 0, 0, 0, 0xFF00, 0, 0, 0, 0});  // set 0 transmit 176, set 3 transmit 255
    dialog.SetSlotType({bt4TChU, 0x0000, 0});
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx0")->text(), level("прд", 0.0));
    EXPECT_EQ(Find<QLabel>(dialog, "LabelRx0")->text(), level("прм", -17.3));
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx3")->text(), level("прд", 7.9));
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx1")->text(), level("прд", -17.6));

    Find<QCheckBox>(dialog, "CheckBox1")->click();
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx0")->text(), level("прд", -6.0));
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx1")->text(), level("прд", -17.6)) << "other sets untouched";
    EXPECT_EQ(Find<QLabel>(dialog, "LabelRx0")->text(), level("прм", -17.3));
    Find<QCheckBox>(dialog, "CheckBox1")->click();
    EXPECT_EQ(Find<QLabel>(dialog, "LabelTx0")->text(), level("прд", 0.0));

    Find<QSlider>(dialog, "TrackBar4")->setValue(255);  // set 1 receive
    EXPECT_EQ(Find<QLabel>(dialog, "LabelRx1")->text(), level("прм", 8.2));

    Find<QCheckBox>(dialog, "CheckBox2")->click();
    Find<QCheckBox>(dialog, "CheckBox4")->click();
    dialog.OkButton()->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SlotType(), (TSlotType{bt4TChU, 0x000A, 0}));
    TBlock out{};
    dialog.StoreToBlock(out);
    EXPECT_EQ(out, (TBlock{0xB000, 0, 0x00FF, 0, 0xFF00, 0, 0, 0, 0}));

    // The record's second word and bits 4..15 of the first are not the dialog's: it hands back 0 there.
    TConfigTHUForm loaded(dialogs);
    loaded.LoadFromBlock({});
    loaded.SetSlotType({bt4TChU, 0xFFF5, 7});
    EXPECT_TRUE(Find<QCheckBox>(loaded, "CheckBox3")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(loaded, "CheckBox2")->isChecked());
    EXPECT_EQ(loaded.SlotType(), (TSlotType{bt4TChU, 0x0005, 0}));
}

// A list whose missing selection would overflow its word refuses OK with the run-time range message until
// it has a selection; other boards' missing selections store their fallback values.
TEST_F(VoiceDataBoardDialogs, RangeCheckedListsKeepTheDialogOpenUntilChosen) {
    struct TCase {
        std::uint8_t Type;
        TBlock In;
        const char* List;
        int Item;
        TBlock Out;
    };
    const TCase cases[] = {
        {1, {0, 0x00C0, 0, 0, 0, 0, 0, 0, 0}, "ComboBox2", 1, {0, 0x0010, 0, 0, 0, 0, 0, 0, 0}},
        {20, {0, 0xF000, 0, 0, 0, 0, 0, 0, 0}, "ComboBox4", 11, {0, 0xB000, 0, 0, 0, 0, 0, 0, 0}},
        {8, {0x0C00, 0x000F, 0, 0, 0, 0, 0, 0, 0}, "ComboBox3", 7, {0x0700, 0x000F, 0, 0, 0, 0, 0, 0, 0}},
        // Set 1's priority of 3; the n field of both interfaces survives the refused OK.
        {12,
         {0x009F, 0x0085, 0x000C, 0, 0, 0, 0, 0, 0},
         "CBSync1",
         1,
         {0x009F, 0x0085, 0x0004, 0, 0, 0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int{c.Type});
        dialogs.messages.clear();
        std::unique_ptr<TBoardDialog> dialog = MakeBoard(c.Type, dialogs);
        dialog->LoadFromBlock(c.In);
        dialog->OkButton()->click();
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(dialogs.messages, std::vector<QString>{"Range check error"});
        Pick(*dialog, c.List, c.Item);
        dialog->OkButton()->click();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        TBlock out{};
        dialog->StoreToBlock(out);
        EXPECT_EQ(out, c.Out);
    }
}

TEST_F(VoiceDataBoardDialogs, GuardedOkOf4C64And4TLG) {
    for (const auto& [type, control] :
         {std::pair<std::uint8_t, const char*>{15, "CBPrbsTest_2"}, {27, "CBOnePol_3"}}) {
        dialogs.messages.clear();
        std::unique_ptr<TBoardDialog> dialog = MakeBoard(type, dialogs);
        dialog->LoadFromBlock(TMux::DefaultBoardConfig(type));
        delete dialog->findChild<QCheckBox*>(control);  // a control the rebuild cannot find
        dialog->OkButton()->click();
        EXPECT_NE(dialog->result(), QDialog::Accepted) << control;
        EXPECT_EQ(dialogs.messages, std::vector<QString>{"Указаны неправильные значения параметров"});
    }
}

}  // namespace
}  // namespace tervis::boards
