// The mismatch report, the About box and the connection list.
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "core/model/Mux.h"
#include "gui/crossconnect/UViewLinks.h"
#include "gui/model/UReport.h"
#include "gui/shell/UAbout.h"
#include "support/RecordingDialogs.h"

using namespace tervis;

namespace {

void Place(TMux& mux) {
    mux.StoreSlotType(2, {bt4ToP, 0, 0});
    mux.StoreSlotType(4, {bt4ToP, 0, 0});
}

}  // namespace

class SmallWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void ReportShowsTheLinesAndCloses();
    void AboutShowsProductAndBuildTime();
    void BuildTimeIsTheFileModificationTime();
    void ConnectionListIsRebuiltOnEveryShow();
    void ConnectionListShowRunsModallyWithTheModel();
    void LongLinesAreSeenWhole();
};

void SmallWindowsTest::ReportShowsTheLinesAndCloses() {
    TReportForm form;
    QCOMPARE(form.windowTitle(), QString("Несовпадение конфигурации"));
    auto* memo = form.findChild<QPlainTextEdit*>("Memo1");
    auto* close = form.findChild<QPushButton*>("Button1");
    QVERIFY(memo != nullptr && close != nullptr);
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(close->text(), QString("&Закрыть"));
    QVERIFY(close->isDefault());

    form.SetLines({"Плата 3: несовпадение типа \"4E1\" - \"---\"", "Плата 5: несовпадение конфигурации "});
    QCOMPARE(memo->toPlainText(),
             QString("Плата 3: несовпадение типа \"4E1\" - \"---\"\nПлата 5: несовпадение конфигурации "));
    // The next comparison replaces the report instead of adding to it.
    form.SetLines({"ЦП: несовпадение настроек"});
    QCOMPARE(memo->toPlainText(), QString("ЦП: несовпадение настроек"));

    form.show();
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void SmallWindowsTest::AboutShowsProductAndBuildTime() {
    TAboutForm form;
    QCOMPARE(form.windowTitle(), QString("О программе"));
    QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("Администратор ОРБЕЛ-ТК"));
    QCOMPARE(form.findChild<QPushButton*>("OKButton")->text(), QString("OK"));
    const QString build = form.findChild<QLabel*>("BuildLabel")->text();
    QVERIFY2(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d$").match(build).hasMatch(),
             qPrintable(build));
    QCOMPARE(build, TAboutForm::BuildTimeText(QCoreApplication::applicationFilePath()));

    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
}

void SmallWindowsTest::BuildTimeIsTheFileModificationTime() {
    QTemporaryDir dir;
    QFile file(dir.filePath("tervis"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Day, month and minute all differ from each other, so swapped fields or month-for-minute show.
    QVERIFY(
        file.setFileTime(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 59)), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(TAboutForm::BuildTimeText(file.fileName()), QString("05.03.26 14:07"));
    QCOMPARE(TAboutForm::BuildTimeText(dir.filePath("missing")), QString());
}

void SmallWindowsTest::ConnectionListIsRebuiltOnEveryShow() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    TViewLinksForm form;
    QCOMPARE(form.windowTitle(), QString("Соединения"));
    QCOMPARE(form.height(), 356);
    QVERIFY(form.width() >= 335);
    QCOMPARE(form.minimumSize(), form.maximumSize());  // a dialog that cannot be resized
    QCOMPARE(form.findChild<QPushButton*>("OKButton")->text(), QString("&OK"));
    auto* memo = form.findChild<QPlainTextEdit*>("Memo1");
    QVERIFY(memo->isReadOnly());

    // Before the first show there is no model, and nothing to list.
    form.show();
    QCOMPARE(memo->toPlainText(), QString());
    form.hide();

    form.SetModel(&mux);
    Place(mux);
    mux.LinkGenerator(2, 3);
    // Not refreshed while hidden or open; the next showing takes the model as it is then.
    QCOMPARE(memo->toPlainText(), QString());
    form.show();
    QCOMPARE(memo->toPlainText(), QString("слот 2 (4ToP), порт 3 <- генератор"));
    QCOMPARE(form.size(), QSize(335, 356));  // the lines fit the designed size: nothing widened
    mux.Unlink(2, 3);
    QCOMPARE(memo->toPlainText(), QString("слот 2 (4ToP), порт 3 <- генератор"));
    form.hide();
    form.show();
    QCOMPARE(memo->toPlainText(), QString());
}

void SmallWindowsTest::ConnectionListShowRunsModallyWithTheModel() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    Place(mux);
    mux.LinkBoth(2, 1, 4, 9);
    test::TRecordingDialogs dialogs;
    TViewLinksForm form;
    form.Show(mux, dialogs);
    QCOMPARE(dialogs.Executed, QList<QDialog*>{&form});
    QCOMPARE(form.findChild<QPlainTextEdit*>("Memo1")->toPlainText(),
             QString("слот 2 (4ToP), порт 1 <- слот 4 (4ToP), порт 9\nслот 4 (4ToP), порт 9 <- слот 2 "
                     "(4ToP), порт 1"));
}

namespace {

// Every line of a text box is narrower than the room its window gives it (the box lays out only the
// lines in view, so its scroll bar alone would not tell).
bool LinesFit(const QPlainTextEdit& box) {
    const QFontMetrics metrics(box.font());
    const int room = box.viewport()->width() - static_cast<int>(2 * box.document()->documentMargin());
    for (const QString& line : box.toPlainText().split('\n')) {
        if (metrics.horizontalAdvance(line) >= room) {
            qWarning() << line << metrics.horizontalAdvance(line) << "px in" << room;
            return false;
        }
    }
    return true;
}

}  // namespace

// The longest lines of the connection list and of the mismatch report fit their windows: nothing is
// hidden behind the right edge.
void SmallWindowsTest::LongLinesAreSeenWhole() {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    mux.StoreSlotType(15, {bt4E1, 0, 0});
    mux.StoreSlotType(14, {bt4DSLv2, 0, 0});
    mux.StoreSlotType(13, {bt4E1, 0, 0});
    mux.LinkAll(15, 13);
    mux.LinkAll(14, 15);
    TViewLinksForm links;
    links.SetModel(&mux);
    links.show();
    auto* list = links.findChild<QPlainTextEdit*>("Memo1");
    QVERIFY(list->toPlainText().contains("слот 15 (4E1), порт 31 (3) <- слот 13 (4E1), порт 31 (3)"));
    QVERIFY(LinesFit(*list));
    QVERIFY(links.width() > 335);

    TReportForm report;
    report.SetLines({"Плата 15, канал 127: несовпадение соединения (слот 15, порт 127 - слот 15, порт 127)",
                     "Плата 15, канал 127: несовпадение сигнальных битов (0101, 0000 - 1001, 0000)",
                     "Плата 15: несовпадение типа \"4DSLv2\" - \"АДИКМ\""});
    report.show();
    QVERIFY(LinesFit(*report.findChild<QPlainTextEdit*>("Memo1")));

    if (const QByteArray dir = qgetenv("TERVIS_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QTest::qWait(100);  // the scroll bars settle after the first layout
        links.grab().save(QString::fromLocal8Bit(dir) + "/connections.png");
        report.grab().save(QString::fromLocal8Bit(dir) + "/report.png");
    }
}

QTEST_MAIN(SmallWindowsTest)
#include "SmallWindowsTest.moc"
