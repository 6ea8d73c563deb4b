// The board-type picker and the port picker.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

#include "core/model/Mux.h"
#include "gui/crossconnect/UPorts.h"
#include "gui/crossconnect/USelectType.h"

using namespace tervis;

namespace {

// In item order, as the operator reads them: mixed Latin and Cyrillic letters on purpose.
const QStringList kItemTexts = {
    "нет платы",    "плата 4ТЧ, 4KSR", "плата 4АЛ",  "плата 4АК",  "плата 4МБ",
    "плата 4СЛУ",   "плата 4V24",      "плата 2VS",  "плата 4С64", "плата АДИКМ",
    "плата 4И15",   "плата 1Е1",       "плата 4E1",  "плата LAN",  "плата 8АК",
    "плата 4С1И",   "плата 4ТЧУ",      "плата 4ToP", "плата 1DSL", "плата 1/2/4DSL",
    "плата 4DSL' ", "плата ДП",        "плата ТЛМ",  "плата 4TLG", "плата 1/2/4DSLv2",
};
// The board type each item stands for.
const std::uint8_t kItemTypes[] = {0,  1,  2,  3,  9,  11, 8,  12, 15, 14, 13, 7, 10,
                                   16, 18, 19, 20, 22, 23, 24, 33, 26, 25, 27, 29};

QStringList TabTexts(const QTabBar& bar) {
    QStringList texts;
    for (int i = 0; i < bar.count(); ++i) {
        texts.append(bar.tabText(i));
    }
    return texts;
}

QToolButton* PortButton(const TPortsForm& form, int tag) {
    return form.findChild<QToolButton*>(QString("SpeedButton_%1").arg(tag));
}

QStringList Captions(const TPortsForm& form) {
    QStringList texts;
    for (int tag = 0; tag < TPortsForm::kButtonCount; ++tag) {
        texts.append(PortButton(form, tag)->text());
    }
    return texts;
}

QList<int> EnabledTags(const TPortsForm& form) {
    QList<int> tags;
    for (int tag = 0; tag < TPortsForm::kButtonCount; ++tag) {
        if (PortButton(form, tag)->isEnabled()) {
            tags.append(tag);
        }
    }
    return tags;
}

QStringList Numbers(int first, int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts.append(QString::number(first + i));
    }
    return texts;
}

void Place(TMux& mux, int slot, std::uint8_t type) {
    mux.StoreSlotType(slot, {type, 0, 0});
}

}  // namespace

class PickersTest : public QObject {
    Q_OBJECT
private slots:
    void TypePickerItems();
    void TypePickerTypeWithoutItemGivesNoBoard();
    void TypePickerChoiceKeepsParameterWords();
    void PortPickerOn4E1();
    void PortPickerOn4I15();
    void PortPickerWithoutTabs();
    void PortPickerCaptionsAndTabs_data();
    void PortPickerCaptionsAndTabs();
};

void PickersTest::TypePickerItems() {
    TSelectTypeForm form;
    QCOMPARE(form.windowTitle(), QString("Тип платы"));
    QCOMPARE(form.findChild<QGroupBox*>("RadioGroup1")->title(), QString(" Тип платы "));
    QCOMPARE(form.findChild<QPushButton*>("OKButton")->text(), QString("ОК"));
    QCOMPARE(form.findChild<QPushButton*>("CancelButton")->text(), QString("Отмена"));
    QCOMPARE(kItemTexts.size(), qsizetype(std::size(kItemTypes)));
    QCOMPARE(form.findChildren<QRadioButton*>().size(), int(std::size(kItemTypes)));
    // Each item shows its text and stands for its type both ways: preset selects it, OK gives the type.
    for (int index = 0; index < int(std::size(kItemTypes)); ++index) {
        auto* item = form.findChild<QRadioButton*>(QString("RadioButton_%1").arg(index));
        QCOMPARE(item->text(), kItemTexts[index]);
        const std::uint8_t type = kItemTypes[index];
        form.Preset({type, 0x0102, 0x0304});
        QVERIFY(item->isChecked());
        QCOMPARE(form.ItemIndex(), index);
        QCOMPARE(form.Result(), (TSlotType{type, 0x0102, 0x0304}));
    }
}

void PickersTest::TypePickerTypeWithoutItemGivesNoBoard() {
    for (const std::uint8_t type : {std::uint8_t{btCPU}, std::uint8_t{5}, std::uint8_t{200}}) {
        TSelectTypeForm form;
        // A previous selection must not survive a preset that has no item.
        form.Preset({bt4E1, 0, 0});
        form.Preset({type, 0xBEEF, 0x1234});
        QCOMPARE(form.ItemIndex(), -1);
        for (QRadioButton* item : form.findChildren<QRadioButton*>()) {
            QVERIFY(!item->isChecked());
        }
        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Result(), (TSlotType{btNone, 0xBEEF, 0x1234}));
    }
}

void PickersTest::TypePickerChoiceKeepsParameterWords() {
    TSelectTypeForm form;
    form.Preset({bt4TChU, 0x0007, 0x00A0});
    form.show();
    QTest::mouseClick(form.findChild<QRadioButton*>("RadioButton_20"), Qt::LeftButton);  // 4DSL'
    QCOMPARE(form.ItemIndex(), 20);
    QTest::mouseClick(form.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    QCOMPARE(form.Result(), (TSlotType{bt4DSLAlt, 0x0007, 0x00A0}));
}

void PickersTest::PortPickerOn4E1() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    Place(mux, 3, bt4E1);
    Place(mux, 6, bt4E1);
    mux.LinkBoth(3, 1, 6, 1);
    mux.LinkBoth(3, 33, 6, 33);
    mux.LinkGenerator(3, 40);
    mux.LinkOneWay(6, 100, 3, 127);  // slot 3 channel 127 receives

    TPortsForm form;
    form.SetSlot(3);
    form.Load(mux);
    auto* tabs = form.findChild<QTabBar*>("TabControl1");
    QCOMPARE(form.windowTitle(), QString("Каналы ИКМ, слот 3"));
    QCOMPARE(TabTexts(*tabs), (QStringList{"компл.0", "компл.1", "компл.2", "компл.3"}));
    QVERIFY(tabs->isVisibleTo(&form));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(EnabledTags(form), QList<int>{1});
    QCOMPARE(Captions(form), Numbers(0, 32));

    tabs->setCurrentIndex(1);
    QCOMPARE(EnabledTags(form), (QList<int>{1, 8}));
    QCOMPARE(Captions(form), Numbers(0, 32));
    tabs->setCurrentIndex(3);
    QCOMPARE(EnabledTags(form), QList<int>{31});

    tabs->setCurrentIndex(1);
    form.show();
    // An unlinked channel cannot be picked.
    QTest::mouseClick(PortButton(form, 2), Qt::LeftButton);
    QVERIFY(form.isVisible());
    QTest::mouseClick(PortButton(form, 8), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(int(form.Channel()), 40);

    QCOMPARE(form.findChild<QPushButton*>("CloseButton")->text(), QString("&Закрыть"));
}

void PickersTest::PortPickerOn4I15() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    Place(mux, 2, bt4I15);
    mux.LinkGenerator(2, 17);
    mux.LinkGenerator(2, 52);

    TPortsForm form;
    form.SetSlot(2);
    form.Load(mux);
    auto* tabs = form.findChild<QTabBar*>("TabControl1");
    QCOMPARE(form.windowTitle(), QString("Каналы ИКМ, слот 2"));
    QCOMPARE(TabTexts(*tabs), (QStringList{"комплекты 0, 1", "комплекты 2,3"}));
    QCOMPARE(Captions(form), Numbers(0, 16) + Numbers(0, 16));
    QCOMPARE(EnabledTags(form), QList<int>{17});
    tabs->setCurrentIndex(1);
    QCOMPARE(Captions(form), Numbers(0, 16) + Numbers(0, 16));
    QCOMPARE(EnabledTags(form), QList<int>{20});
    QCOMPARE(PortButton(form, 20)->text(), QString("4"));
    form.show();
    QTest::mouseClick(PortButton(form, 20), Qt::LeftButton);
    QCOMPARE(int(form.Channel()), 52);
}

void PickersTest::PortPickerWithoutTabs() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    Place(mux, 5, bt4ToP);
    Place(mux, 1, bt4E1);
    mux.LinkGenerator(5, 4);
    mux.LinkGenerator(5, 40);  // beyond the one page a board without tabs offers

    // The picker is reused for another slot: the earlier tab choice must not leak into the new board.
    TPortsForm form;
    form.SetSlot(1);
    form.Load(mux);
    form.findChild<QTabBar*>("TabControl1")->setCurrentIndex(2);
    form.SetSlot(5);
    form.Load(mux);
    auto* tabs = form.findChild<QTabBar*>("TabControl1");
    QCOMPARE(form.windowTitle(), QString("Комплекты платы 4ToP, слот 5"));
    QVERIFY(!tabs->isVisibleTo(&form));
    QCOMPARE(EnabledTags(form), QList<int>{4});
    QCOMPARE(Captions(form), Numbers(0, 32));
    form.show();
    QTest::mouseClick(PortButton(form, 4), Qt::LeftButton);
    QCOMPARE(int(form.Channel()), 4);
}

void PickersTest::PortPickerCaptionsAndTabs_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("tabs");
    const QStringList dslFirst{"компл.0 CAS#1", "компл.0 CAS#2", "компл.1 CAS#1", "компл.1 CAS#2"};
    const QStringList dslSecond{"компл.2 CAS#1", "компл.2 CAS#2", "компл.3 CAS#1", "компл.3 CAS#2"};
    QTest::newRow("1E1") << 0 << int(bt1E1) << "Каналы ИКМ, слот 0" << QStringList{"комплект 0"};
    QTest::newRow("4DSL") << 4 << int(bt4DSL) << "Каналы DSL, слот 4" << dslFirst;
    QTest::newRow("4DSLv2") << 12 << int(bt4DSLv2) << "Каналы DSL, слот 12" << dslFirst;
    // The second half of a 4DSL is named after the slot of its first half, the one below.
    QTest::newRow("4DSL'") << 7 << int(bt4DSLAlt) << "Каналы DSL, слот 6" << dslSecond;
    QTest::newRow("4DSL' in slot 0") << 0 << int(bt4DSLAlt) << "Каналы DSL, слот 15" << dslSecond;
    QTest::newRow("1DSL") << 9 << int(bt1DSL) << "Комплекты платы 1DSL, слот 9" << QStringList{};
    QTest::newRow("4ТЧ") << 11 << int(bt4TCh) << "Комплекты платы 4ТЧ, слот 11" << QStringList{};
}

void PickersTest::PortPickerCaptionsAndTabs() {
    QFETCH(int, slot);
    QFETCH(int, type);
    QFETCH(QString, caption);
    QFETCH(QStringList, tabs);
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    Place(mux, slot, static_cast<std::uint8_t>(type));
    mux.LinkGenerator(slot, 0);
    mux.LinkGenerator(slot, 127);
    TPortsForm form;
    form.SetSlot(slot);
    form.Load(mux);
    auto* bar = form.findChild<QTabBar*>("TabControl1");
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(TabTexts(*bar), tabs);
    QCOMPARE(bar->isVisibleTo(&form), !tabs.isEmpty());
    QCOMPARE(EnabledTags(form), QList<int>{0});
    // The last tab of four reaches the last channel of the slot.
    if (tabs.size() == 4) {
        bar->setCurrentIndex(3);
        QCOMPARE(EnabledTags(form), QList<int>{31});
    }
}

QTEST_MAIN(PickersTest)
#include "PickersTest.moc"
