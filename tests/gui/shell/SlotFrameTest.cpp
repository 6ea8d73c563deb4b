// The slot tile: status word decoding, lamp blinking, click routing and what a tile drop does to the
// model. Drops are driven through the tile's drop entry points, so no test runs a drag loop.
#include <QAction>
#include <QDialog>
#include <QDrag>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

#include "core/model/Mux.h"
#include "gui/shell/USlotFrame.h"
#include "gui/widgets/DragCursors.h"
#include "gui/widgets/GuiSeams.h"
#include "support/Endpoints.h"
#include "support/SilentDialogs.h"

using namespace tervis;

namespace {

class TFakeDialogs : public test::TSilentDialogs {
public:
    // Records the menu and picks the item named by choice, enabled or not.
    QAction* Popup(QMenu& menu, const QPoint& globalPos) override {
        shownItems.clear();
        popupPos = globalPos;
        QAction* chosen = nullptr;
        for (QAction* action : menu.actions()) {
            shownItems << QStringLiteral("%1=%2").arg(action->text()).arg(action->isEnabled() ? 1 : 0);
            if (action->text() == choice) {
                chosen = action;
            }
        }
        return chosen;
    }

    QString choice;
    QStringList shownItems;
    QPoint popupPos;
};

class TFakeOwner : public ITileOwner {
public:
    TMux& Model() override { return mux; }
    bool Restricted() const override { return restricted; }
    void SelectBoardType(int slot) override { calls << QStringLiteral("SelectBoardType %1").arg(slot); }
    void EditBoardConfig(int slot) override { calls << QStringLiteral("EditBoardConfig %1").arg(slot); }
    void ShowBoardInfo(int slot) override { calls << QStringLiteral("ShowBoardInfo %1").arg(slot); }
    IDialogs& Dialogs() override { return dialogs; }
    void TileMenu(int slot, const QPoint& globalPos) override {
        calls << QStringLiteral("TileMenu %1").arg(slot);
        menuPos = globalPos;
    }

    void SetType(int slot, std::uint8_t type) { mux.SetSlotType(slot, TSlotType{type, 0, 0}); }

    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
    bool restricted = false;
    TFakeDialogs dialogs;
    QStringList calls;
    QPoint menuPos;
};

TLamp* Led(const TSlotFrame& tile, int number) {
    return tile.findChild<TLamp*>(QStringLiteral("Led%1").arg(number));
}

QList<QColor> LedColours(const TSlotFrame& tile) {
    QList<QColor> colours;
    for (int led = 1; led <= 4; ++led) {
        colours << Led(tile, led)->Colour();
    }
    return colours;
}

QStringList LedLabels(const TSlotFrame& tile) {
    QStringList texts;
    for (int led = 1; led <= 4; ++led) {
        texts << tile.findChild<QLabel*>(QStringLiteral("LabelLed%1").arg(led))->text();
    }
    return texts;
}

bool LedsShown(const TSlotFrame& tile) {
    for (int led = 1; led <= 4; ++led) {
        if (Led(tile, led)->isHidden() ||
            tile.findChild<QLabel*>(QStringLiteral("LabelLed%1").arg(led))->isHidden()) {
            return false;
        }
    }
    return true;
}

using test::Ep;

// Written out rather than taken from the tile's own constants, so that a wrong constant fails here.
const QColor kGrey{128, 128, 128};
const QColor kGreen{0, 255, 0};
const QColor kYellow{255, 255, 0};
const QColor kRed{255, 0, 0};
const QColor kBlack{0, 0, 0};

// The data row's tile, shown: its slot (with its board, but for the CPU) on an owner that is restricted
// or not.
std::unique_ptr<TSlotFrame> RowTile(TFakeOwner& owner) {
    QFETCH(int, slot);
    QFETCH(int, type);
    QFETCH(bool, restricted);
    owner.restricted = restricted;
    if (slot < kSlotCount) {
        owner.SetType(slot, static_cast<std::uint8_t>(type));
    }
    auto tile = std::make_unique<TSlotFrame>(slot, owner);
    tile->show();
    return tile;
}

}  // namespace

class TSlotFrameTest : public QObject {
    Q_OBJECT

private slots:
    void makeUp() {
        TFakeOwner owner;
        TSlotFrame tile(3, owner);
        QCOMPARE(tile.size(), QSize(42, 182));
        QCOMPARE(tile.findChild<TLamp*>("StateLed")->geometry(), QRect(6, 6, 8, 8));
        QCOMPARE(Led(tile, 1)->geometry(), QRect(6, 29, 8, 8));
        QCOMPARE(Led(tile, 4)->geometry(), QRect(6, 74, 8, 8));
        // Wider than its design size (34) so that the longest names fit in a readable size.
        QCOMPARE(tile.findChild<QLabel*>("TypeLabel")->geometry(), QRect(2, 140, 38, 17));
        auto* button = tile.findChild<QPushButton*>("ButtonType");
        QCOMPARE(button->geometry(), QRect(0, 162, 42, 19));
        QCOMPARE(button->text(), QString("---"));
        QCOMPARE(LedColours(tile), QList<QColor>({kGrey, kGrey, kGrey, kGrey}));
        QVERIFY(tile.findChild<QLabel*>("TypeLabel")->isHidden());
        QVERIFY(!LedsShown(tile));

        TSlotFrame cpu(kCpuSlot, owner);
        QCOMPARE(cpu.findChild<QPushButton*>("ButtonType")->text(), QString("ЦП"));
        tile.SetButtonCaption(bt4DSLAlt);
        QCOMPARE(button->text(), QString("4DSL'"));
    }

    // Every name a slot can show fits its type label and its type button with room to spare, and the
    // drag picture holds its whole text.
    void textsFit() {
        TFakeOwner owner;
        TSlotFrame tile(3, owner);
        const auto* label = tile.findChild<QLabel*>("TypeLabel");
        const auto* button = tile.findChild<QPushButton*>("ButtonType");
        const int buttonFrame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        for (int type = 1; type <= 0xFF; ++type) {
            tile.SetStatus(0x0100u | static_cast<uint>(type));
            tile.SetButtonCaption(static_cast<std::uint8_t>(type));
            const int labelText = QFontMetrics(label->font()).horizontalAdvance(label->text());
            QVERIFY2(labelText <= label->contentsRect().width() - 2,
                     qPrintable(QString("%1: %2 px in %3")
                                    .arg(label->text())
                                    .arg(labelText)
                                    .arg(label->contentsRect().width())));
            const int buttonText = QFontMetrics(button->font()).horizontalAdvance(button->text());
            QVERIFY2(
                buttonText <= button->width() - 2 * buttonFrame - 4,
                qPrintable(
                    QString("%1: %2 px in %3").arg(button->text()).arg(buttonText).arg(button->width())));
        }
        QCOMPARE(label->font(), button->font());  // one size for every name

        for (const int slot : {0, 9, 15}) {
            const QImage image = TSlotFrame::DragImage(slot).toImage();
            QVERIFY(image.width() >= 90 && image.height() >= 20);
            int right = -1;
            int bottom = -1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(image.pixel(x, y)) != 0) {
                        right = std::max(right, x);
                        bottom = std::max(bottom, y);
                    }
                }
            }
            QVERIFY(right > 0);
            // A text cut at the edge leaves ink in the last column or row.
            QVERIFY2(right < image.width() - 1,
                     qPrintable(QString("ink up to %1 of %2").arg(right).arg(image.width())));
            QVERIFY(bottom < image.height() - 1);
        }
        if (const QByteArray dir = qgetenv("TERVIS_SCREENSHOT_DIR"); !dir.isEmpty()) {
            tile.SetStatus(0x0100u | bt4DSLv2);
            tile.SetButtonCaption(bt4DSLv2);
            tile.grab().save(QString::fromLocal8Bit(dir) + "/tile-4DSLv2.png");
            TSlotFrame::DragImage(15).save(QString::fromLocal8Bit(dir) + "/drag-15.png");
        }
    }

    void statusWord_data() {
        QTest::addColumn<uint>("before");
        QTest::addColumn<uint>("word");
        QTest::addColumn<QString>("typeText");
        QTest::addColumn<bool>("typeShown");
        QTest::addColumn<QString>("stateText");
        QTest::addColumn<bool>("stateTextShown");
        QTest::addColumn<QColor>("stateLamp");
        QTest::addColumn<QStringList>("labels");  // Led1..Led4, empty when the lamps are hidden
        QTest::addColumn<QList<QColor>>("colours");

        const QStringList e1{"los", "rm", "mf", "slp"};
        const QStringList streams{"к3", "к2", "к1", "к0"};
        const QStringList none{"", "", "", ""};
        // A = 0x12: Led4 green, Led3 yellow; B = 0x30: Led2 red, Led1 grey.
        QTest::newRow("1E1 working") << 0u << 0x3012'0107u << "1E1" << true << "раб." << true << kGreen << e1
                                     << QList<QColor>{kGrey, kRed, kYellow, kGreen};
        QTest::newRow("4И15 blocked") << 0u << 0x0000'020Du << "4И15" << true << "блк." << true << kRed
                                      << streams << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
        QTest::newRow("4C1И") << 0u << 0x0100'0113u << "4C1И" << true << "раб." << true << kGreen << streams
                              << QList<QColor>{kGreen, kGrey, kGrey, kGrey};
        QTest::newRow("absent board darkens its lamps")
            << 0x3333'010Au << 0x3323'000Au << "4E1" << true << "отс." << true << kGrey << streams
            << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
        QTest::newRow("CPU, link up") << 0u << 0x120u << "ЦП" << true << "раб." << false << kGreen << none
                                      << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
        QTest::newRow("CPU, link down") << 0x120u << 0x20u << "ЦП" << true << "отс." << false << kGrey << none
                                        << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
        QTest::newRow("unknown type and state empties the labels")
            << 0x0000'0107u << 0x0000'0715u << "?(21)" << true << "?(7)" << true << kRed << none
            << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
        QTest::newRow("no board") << 0x0000'0107u << 0x0000'0000u << "---" << false << "отс." << false
                                  << kGrey << none << QList<QColor>{kGrey, kGrey, kGrey, kGrey};
    }

    void statusWord() {
        QFETCH(uint, before);
        QFETCH(uint, word);
        TFakeOwner owner;
        TSlotFrame tile(4, owner);
        tile.SetStatus(before);
        tile.SetStatus(word);

        const auto* typeLabel = tile.findChild<QLabel*>("TypeLabel");
        const auto* stateLabel = tile.findChild<QLabel*>("StateLabel");
        const auto* stateLamp = tile.findChild<TLamp*>("StateLed");
        QTEST(typeLabel->text(), "typeText");
        QTEST(!typeLabel->isHidden(), "typeShown");
        QCOMPARE(stateLamp->isHidden(), typeLabel->isHidden());
        QTEST(stateLabel->text(), "stateText");
        QTEST(!stateLabel->isHidden(), "stateTextShown");
        QTEST(stateLamp->Colour(), "stateLamp");
        QFETCH(QStringList, labels);
        QCOMPARE(LedLabels(tile), labels);
        QCOMPARE(LedsShown(tile), !labels.front().isEmpty());
        QTEST(LedColours(tile), "colours");
    }

    void blinkingAndKeptColours() {
        TFakeOwner owner;
        TSlotFrame tile(1, owner);
        // Led4 yellow, Led3 green, Led2 red, Led1 green.
        tile.SetStatus(0x3121'010Au);
        // Nibbles 6 and 15 keep what the lamps show; 4 and 5 keep it until the next tick.
        tile.SetStatus(0xF46F'010Au);
        QCOMPARE(LedColours(tile), QList<QColor>({kGreen, kRed, kGreen, kYellow}));

        // Led4 blinks (4), Led3 grey, Led2 blinks (5), Led1 green.
        tile.SetStatus(0x5140'010Au);
        TSlotFrame hidden(2, owner);  // a type without lamps: nothing blinks
        hidden.SetStatus(0x5544'0101u);

        QList<int> yellowTicks;
        for (int tick = 1; tick <= 2 * kBlinkPeriod; ++tick) {
            tile.BlinkTick();
            hidden.BlinkTick();
            const QColor led4 = Led(tile, 4)->Colour();
            QCOMPARE(Led(tile, 2)->Colour(), led4);
            QVERIFY(led4 == kYellow || led4 == kBlack);
            if (led4 == kYellow) {
                yellowTicks << tick;
            }
            QCOMPARE(Led(tile, 3)->Colour(), kGrey);
            QCOMPARE(Led(tile, 1)->Colour(), kGreen);
            QCOMPARE(LedColours(hidden), QList<QColor>({kGrey, kGrey, kGrey, kGrey}));
        }
        QCOMPARE(yellowTicks, QList<int>({37, 38, 39, 77, 78, 79}));
        QCOMPARE(int(tile.BlinkCounter()), 0);
    }

    void buttonClick_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<QString>("call");
        QTest::newRow("board") << 3 << int(bt4E1) << false << "EditBoardConfig 3";
        QTest::newRow("empty slot asks for the type") << 5 << int(btNone) << false << "SelectBoardType 5";
        QTest::newRow("CPU") << kCpuSlot << 0 << false << "EditBoardConfig 16";
        QTest::newRow("restricted board") << 3 << int(bt4E1) << true << "ShowBoardInfo 3";
        QTest::newRow("restricted empty slot") << 5 << int(btNone) << true << "ShowBoardInfo 5";
        QTest::newRow("restricted CPU") << kCpuSlot << 0 << true << "ShowBoardInfo 16";
    }

    void buttonClick() {
        TFakeOwner owner;
        const std::unique_ptr<TSlotFrame> shown = RowTile(owner);
        TSlotFrame& tile = *shown;
        auto* button = tile.findChild<QPushButton*>("ButtonType");
        QTest::mouseClick(button, Qt::LeftButton);
        QFETCH(QString, call);
        QCOMPARE(owner.calls, QStringList{call});
        QVERIFY(!tile.Armed());
        // The focused button answers Space, Return and Enter alike.
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
            owner.calls.clear();
            QTest::keyClick(button, key);
            QCOMPARE(owner.calls, QStringList{call});
        }
    }

    void doubleClickAndTileMenu() {
        TFakeOwner owner;
        owner.SetType(7, bt1E1);
        TSlotFrame tile(7, owner);
        tile.SetStatus(0x0000'0107u);
        tile.show();

        QTest::mouseDClick(tile.findChild<QWidget*>("Panel"), Qt::LeftButton, {}, QPoint(20, 120));
        QTest::mouseDClick(tile.findChild<QLabel*>("TypeLabel"), Qt::LeftButton);
        QCOMPARE(owner.calls, QStringList({"ShowBoardInfo 7", "ShowBoardInfo 7"}));

        owner.calls.clear();
        auto* button = tile.findChild<QPushButton*>("ButtonType");
        QTest::mouseClick(button, Qt::RightButton, {}, QPoint(10, 5));
        QCOMPARE(owner.calls, QStringList{"TileMenu 7"});
        QCOMPARE(owner.menuPos, button->mapToGlobal(QPoint(10, 5)));
        QTest::mouseClick(Led(tile, 2), Qt::RightButton);
        QTest::mouseClick(tile.findChild<QWidget*>("StateLed"), Qt::RightButton);
        QCOMPARE(owner.calls, QStringList({"TileMenu 7", "TileMenu 7", "TileMenu 7"}));
    }

    void pressArmsDrag_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<bool>("armed");
        QTest::newRow("board") << 2 << int(bt4ToP) << false << true;
        QTest::newRow("restricted") << 2 << int(bt4ToP) << true << false;
        QTest::newRow("empty slot") << 2 << int(btNone) << false << false;
        QTest::newRow("CPU") << kCpuSlot << 0 << false << false;
    }

    void pressArmsDrag() {
        TFakeOwner owner;
        const std::unique_ptr<TSlotFrame> shown = RowTile(owner);
        TSlotFrame& tile = *shown;
        auto* button = tile.findChild<QPushButton*>("ButtonType");

        TSlotFrame::SetRightDrag(false);
        QTest::mousePress(button, Qt::RightButton, {}, QPoint(10, 5));
        QTEST(tile.Armed(), "armed");
        QCOMPARE(TSlotFrame::RightDrag(), tile.Armed());
        // Two pixels away is still a click.
        QTest::mouseMove(button, QPoint(12, 7));
        QTEST(tile.Armed(), "armed");
        QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(12, 7));
        QVERIFY(!tile.Armed());
        QFETCH(int, slot);
        QCOMPARE(owner.calls, QStringList{QStringLiteral("TileMenu %1").arg(slot)});
    }

    // The offscreen platform ends a drag at once, so the drag object can be looked at afterwards.
    void moveStartsDrag() {
        TFakeOwner owner;
        owner.SetType(2, bt4E1);
        TSlotFrame tile(2, owner);
        tile.show();
        auto* button = tile.findChild<QPushButton*>("ButtonType");
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mouseMove(button, QPoint(10, 8));
        QVERIFY(!tile.Armed());
        const auto* drag = tile.findChild<QDrag*>();
        QVERIFY(drag != nullptr);
        QCOMPARE(drag->hotSpot(), QPoint(0, 22));
        QCOMPARE(drag->pixmap().size(), QSize(90, 20));
        QCOMPARE(drag->mimeData()->data(TSlotFrame::kMimeType), QByteArray("2"));
        QVERIFY(!TSlotFrame::RightDrag());
        // The release after a drag is no click.
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 8));
        QVERIFY(owner.calls.isEmpty());
    }

    void dropDecisions_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("link");  // channels are linked; else the configuration is copied
        QTest::newRow("4E1 onto 1E1") << int(bt4E1) << int(bt1E1) << true;
        QTest::newRow("1DSL onto 4DSLv2") << int(bt1DSL) << int(bt4DSLv2) << true;
        QTest::newRow("4ТЧ onto 8AK") << int(bt4TCh) << int(bt8AK) << true;
        QTest::newRow("2VS onto 4E1") << int(bt2VS) << int(bt4E1) << false;
        QTest::newRow("4E1 onto LAN") << int(bt4E1) << int(btLAN) << false;
        QTest::newRow("4E1 onto an empty slot") << int(bt4E1) << int(btNone) << false;
        QTest::newRow("АДИКМ onto 4ТЧ") << int(btADPCM) << int(bt4TCh) << false;
        QTest::newRow("4E1 onto ЦП") << int(bt4E1) << int(btCPU) << false;
    }

    void dropDecisions() {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(bool, link);
        const TTileDrag drag{1, static_cast<std::uint8_t>(source), 2, static_cast<std::uint8_t>(target)};
        QCOMPARE(DragCursorNumber(false, drag), link ? kCursorLinkAll : kCursorCopyConfig);
        QCOMPARE(DragCursorNumber(true, drag), kCursorSelect);
        QVERIFY(LeftDropAction(drag) == (link ? TDropAction::LinkAll : TDropAction::CopyConfig));
        const TDropMenuEnabling menu = DropMenuEnabling(drag);
        QVERIFY(menu.CopyConfig);
        QCOMPARE(menu.LinkAll, link);
        QCOMPARE(menu.LinkOneWay, link);
    }

    void refusedDrops() {
        TFakeOwner owner;
        owner.SetType(3, bt4E1);
        owner.SetType(4, bt1E1);
        TSlotFrame tile3(3, owner);
        TSlotFrame tile4(4, owner);
        TSlotFrame cpu(kCpuSlot, owner);
        TSlotFrame::SetRightDrag(false);
        const TConfigImage image = owner.mux.Image();

        QCOMPARE(tile3.DragOverFrom(3), 0);
        QVERIFY(!tile3.DropFrom(3, QPoint()));
        QCOMPARE(cpu.DragOverFrom(3), 0);
        QVERIFY(!cpu.DropFrom(3, QPoint()));
        QCOMPARE(tile3.DragOverFrom(kCpuSlot), 0);
        QVERIFY(!tile3.DropFrom(kCpuSlot, QPoint()));
        QCOMPARE(tile3.DragOverFrom(-1), 0);
        QVERIFY(owner.mux.Image() == image);

        QCOMPARE(tile4.DragOverFrom(3), kCursorLinkAll);
        QCOMPARE(int(tile4.LastDrag().SourceType), int(bt4E1));
        QCOMPARE(int(tile4.LastDrag().TargetType), int(bt1E1));
    }

    void leftDropCopiesTwoVsWithoutTimeslotCounts() {
        TFakeOwner owner;
        owner.SetType(2, bt2VS);
        TBoardConfig block = owner.mux.GetBoardConfig(2);
        block[0] = 0x01FF;
        block[1] = 0x00B5;
        block[4] = 0x1234;
        owner.mux.SetBoardConfig(2, block);
        TSlotSignalling signalling = owner.mux.GetSlotSignalling(2);
        signalling[5] = 0xA3;
        owner.mux.SetSlotSignalling(2, signalling);
        owner.SetType(9, bt4E1);
        TSlotFrame target(9, owner);

        TSlotFrame::SetRightDrag(false);
        QCOMPARE(target.DragOverFrom(2), kCursorCopyConfig);
        QVERIFY(target.DropFrom(2, QPoint()));
        QCOMPARE(int(owner.mux.SlotBoardType(9)), int(bt2VS));
        TBoardConfig expected = block;
        expected[0] = 0x01E0;
        expected[1] = 0x00A0;
        QVERIFY(owner.mux.GetBoardConfig(9) == expected);
        QVERIFY(owner.mux.GetSlotSignalling(9) == signalling);
        QVERIFY(owner.dialogs.shownItems.isEmpty());
    }

    void leftDropLinksFreeChannelsBothWays() {
        TFakeOwner owner;
        owner.SetType(3, bt4E1);
        owner.SetType(4, bt1E1);
        TSlotFrame target(4, owner);
        TSlotFrame::SetRightDrag(false);
        QVERIFY(target.DropFrom(3, QPoint()));
        QCOMPARE(owner.mux.GetLink(Ep(4, 1)), Ep(3, 1));
        QCOMPARE(owner.mux.GetLink(Ep(3, 1)), Ep(4, 1));
        QCOMPARE(int(owner.mux.SlotBoardType(4)), int(bt1E1));
    }

    void rightDropMenu_data() {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("link41");  // what 4/1 receives from afterwards
        QTest::addColumn<int>("link31");  // what 3/1 receives from afterwards
        QTest::addColumn<int>("targetType");

        const QStringList allEnabled{"Скопировать конфигурацию=1", "Соединить свободные порты=1",
                                     "Установить односторонние соединения=1"};
        const QStringList copyOnly{"Скопировать конфигурацию=1", "Соединить свободные порты=0",
                                   "Установить односторонние соединения=0"};
        const int none = kEndpointNone;
        QTest::newRow("one-way") << int(bt4E1) << "Установить односторонние соединения" << allEnabled
                                 << int(Ep(3, 1)) << none << int(bt1E1);
        QTest::newRow("both ways") << int(bt4E1) << "Соединить свободные порты" << allEnabled << int(Ep(3, 1))
                                   << int(Ep(4, 1)) << int(bt1E1);
        QTest::newRow("copy") << int(bt4E1) << "Скопировать конфигурацию" << allEnabled << none << none
                              << int(bt4E1);
        QTest::newRow("menu closed") << int(bt4E1) << "" << allEnabled << none << none << int(bt1E1);
        QTest::newRow("disabled link item does nothing")
            << int(bt2VS) << "Соединить свободные порты" << copyOnly << none << none << int(bt1E1);
        QTest::newRow("disabled one-way item does nothing")
            << int(btADPCM) << "Установить односторонние соединения" << copyOnly << none << none
            << int(bt1E1);
    }

    void rightDropMenu() {
        QFETCH(int, sourceType);
        TFakeOwner owner;
        owner.SetType(3, static_cast<std::uint8_t>(sourceType));
        owner.SetType(4, bt1E1);
        QFETCH(QString, choice);
        owner.dialogs.choice = choice;
        TSlotFrame target(4, owner);

        TSlotFrame::SetRightDrag(true);
        QCOMPARE(target.DragOverFrom(3), kCursorSelect);
        QVERIFY(target.DropFrom(3, QPoint(300, 200)));
        TSlotFrame::SetRightDrag(false);
        QTEST(owner.dialogs.shownItems, "items");
        QCOMPARE(owner.dialogs.popupPos, QPoint(300, 200));
        QTEST(int(owner.mux.GetLink(Ep(4, 1))), "link41");
        QTEST(int(owner.mux.GetLink(Ep(3, 1))), "link31");
        QTEST(int(owner.mux.SlotBoardType(4)), "targetType");
    }

    void dragDistance() {
        QVERIFY(!DragDistanceReached(QPoint(10, 10), QPoint(12, 8)));
        QVERIFY(DragDistanceReached(QPoint(10, 10), QPoint(13, 10)));
        QVERIFY(DragDistanceReached(QPoint(10, 10), QPoint(10, 7)));
    }

    void dragCursors() {
        LoadDragCursors();
        QList<QImage> images;
        for (int number = 1; number <= 3; ++number) {
            const QCursor cursor = DragCursor(number);
            QCOMPARE(cursor.pixmap().size(), QSize(kDragCursorSize, kDragCursorSize));
            const QImage image = cursor.pixmap().toImage();
            // The hot spot lies on the arrow's tip.
            QVERIFY(image.pixelColor(cursor.hotSpot()).alpha() > 0);
            QCOMPARE(image.pixelColor(cursor.hotSpot() - QPoint(1, 1)).alpha(), 0);
            for (const QImage& other : images) {
                QVERIFY(image != other);
            }
            images << image;

            // A drag puts the centre of its cursor pixmap on the pointer.
            const QImage centred = DragCursorPixmap(number).toImage();
            const QPoint centre(centred.width() / 2, centred.height() / 2);
            QVERIFY(centred.pixelColor(centre).alpha() > 0);
            QCOMPARE(centred.pixelColor(centre - QPoint(1, 1)).alpha(), 0);
        }
        QCOMPARE(DragCursor(0).shape(), Qt::ForbiddenCursor);
        QCOMPARE(DragCursor(4).shape(), Qt::ForbiddenCursor);
    }
};

QTEST_MAIN(TSlotFrameTest)
#include "SlotFrameTest.moc"
