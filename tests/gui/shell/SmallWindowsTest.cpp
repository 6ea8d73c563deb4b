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
    QCOMPARE(form.size(), QSize(335, 356));
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

QTEST_MAIN(SmallWindowsTest)
#include "SmallWindowsTest.moc"
