// The progress window of the device operations, the address dialog and the RS-422 identifier dialog.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <functional>

#include "gui/link/UAddress.h"
#include "gui/link/UProgress.h"
#include "gui/link/URs485Edit.h"
#include "support/RecordingDialogs.h"

using namespace tervis;

namespace {

QStringList ItemTexts(const QComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i) {
        texts.append(box.itemText(i));
    }
    return texts;
}

QStringList DeviceEntries(int first, int last) {
    QStringList texts;
    for (int n = first; n <= last; ++n) {
        texts.append(QString("Устройство \u2116%1").arg(n));
    }
    return texts;
}

}  // namespace

class LinkDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ProgressCountsPacketsDone();
    void ProgressCompletesWhenTheQueueRunsEmpty();
    void ProgressCancelIsNotCompletion();
    void ProgressFactoryCaptionsAToolWindow();
    void AddressDialogLists();
    void AddressDialogKeepsBadTextOpen_data();
    void AddressDialogKeepsBadTextOpen();
    void AddressDialogConfirmsAndIsReusable();
    void IdentifierDialog();
};

void LinkDialogsTest::ProgressCountsPacketsDone() {
    TProgressForm form;
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    auto* label = form.findChild<QLabel*>("Label1");
    QCOMPARE(label->text(), QString("Пакет 0 из ???"));
    QCOMPARE(form.findChild<QPushButton*>("CancelButton")->text(), QString("&Отмена"));
    // The refresh before the start leaves the unknown total alone.
    form.Timer1Timer();
    QCOMPARE(label->text(), QString("Пакет 0 из ???"));

    form.Start(33);
    QCOMPARE(label->text(), QString("Пакет 0 из 33"));
    QCOMPARE(bar->maximum(), 33);
    QCOMPARE(bar->value(), 33);
    form.Update(30);
    // Updates only record the length; the timer shows it.
    QCOMPARE(label->text(), QString("Пакет 0 из 33"));
    form.Timer1Timer();
    QCOMPARE(label->text(), QString("Пакет 3 из 33"));
    QCOMPARE(bar->value(), 30);
    form.Update(1);
    form.Timer1Timer();
    QCOMPARE(label->text(), QString("Пакет 32 из 33"));
    QVERIFY(!form.Completed());
}

void LinkDialogsTest::ProgressCompletesWhenTheQueueRunsEmpty() {
    {
        TProgressForm form;
        form.Start(2081);
        form.show();
        form.Update(0);
        QVERIFY(form.Completed());
        QVERIFY(!form.isVisible());
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("Пакет 2081 из 2081"));
        QVERIFY(form.Execute());  // already closed: no modal loop
    }
    {
        // A batch of no packets is complete before the window is ever shown.
        TProgressForm form;
        form.Start(0);
        QVERIFY(form.Completed());
        QVERIFY(form.Execute());
        QVERIFY(!form.isVisible());
    }
}

void LinkDialogsTest::ProgressCancelIsNotCompletion() {
    // "&Отмена", Escape, Enter (it presses "&Отмена" too) and closing the window all cancel.
    const std::function<void(TProgressForm&)> ways[] = {
        [](TProgressForm& form) {
            QTest::mouseClick(form.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        },
        [](TProgressForm& form) { QTest::keyClick(&form, Qt::Key_Escape); },
        [](TProgressForm& form) { QTest::keyClick(&form, Qt::Key_Return); },
        [](TProgressForm& form) { form.close(); },
    };
    for (const auto& cancel : ways) {
        TProgressForm form;
        form.Start(10);
        form.show();
        cancel(form);
        QVERIFY(!form.isVisible());
        // The cancelled operation clears its queue; that must not count as completion.
        form.Update(0);
        QVERIFY(!form.Completed());
        QVERIFY(!form.Execute());
    }
}

void LinkDialogsTest::ProgressFactoryCaptionsAToolWindow() {
    QWidget owner;
    TProgressFactory factory(&owner);
    std::unique_ptr<IProgressWindow> window = factory.CreateProgress("Чтение соединений...");
    auto* form = dynamic_cast<TProgressForm*>(window.get());
    QVERIFY(form != nullptr);
    QCOMPARE(form->windowTitle(), QString("Чтение соединений..."));
    QCOMPARE(form->parentWidget(), &owner);
    QCOMPARE(form->windowType(), Qt::Tool);
    QVERIFY(!(form->windowFlags() & Qt::WindowCloseButtonHint));
}

void LinkDialogsTest::AddressDialogLists() {
    test::TRecordingDialogs dialogs;
    TAddressForm form(dialogs);
    QCOMPARE(form.windowTitle(), QString("Адрес мультиплексора"));
    QCOMPARE(form.findChild<QLabel*>("Label2")->text(), QString("Идентификатор для доступа через RS422"));
    QCOMPARE(form.findChild<QPushButton*>("OKButton")->text(), QString("&OK"));
    QCOMPARE(form.findChild<QPushButton*>("CancelButton")->text(), QString("Отмена"));
    auto* box = form.findChild<QComboBox*>("ComboBox1");
    QCOMPARE(ItemTexts(*box), QStringList{"Использовать RS232"} + DeviceEntries(1, 19));
    QCOMPARE(box->currentIndex(), 0);

    const std::pair<int, int> selections[] = {{19, 19}, {7, 7}, {20, 0}, {255, 0}, {-1, 0}};
    for (const auto& [number, entry] : selections) {
        form.SetDeviceNumber(number);
        QCOMPARE(box->currentIndex(), entry);
    }
    form.SetAddress({0x13, 0x07, 0x3F, 0x00});
    QCOMPARE(form.findChild<QLineEdit*>("Edit1")->text(), QString("3,1-7,0;15,3-0,0;"));
}

void LinkDialogsTest::AddressDialogKeepsBadTextOpen_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("slot 16") << "16,0-1,0;"
                             << "Неверный формат адреса";
    QTest::newRow("port 4") << "1,4-2,0;"
                            << "Неверный формат адреса";
    QTest::newRow("port 256") << "1,256-2,0;"
                              << "Неверный формат адреса";
    QTest::newRow("no hyphen") << "1,0;"
                               << "Неверный формат адреса";
    QTest::newRow("sixteen hops") << QString("1,0-2,0;").repeated(16) << "Слишком большая длина адреса";
}

void LinkDialogsTest::AddressDialogKeepsBadTextOpen() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    test::TRecordingDialogs dialogs;
    TAddressForm form(dialogs);
    form.show();
    form.findChild<QLineEdit*>("Edit1")->setText(text);
    QTest::mouseClick(form.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    QCOMPARE(dialogs.Messages, QStringList{message});
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void LinkDialogsTest::AddressDialogConfirmsAndIsReusable() {
    test::TRecordingDialogs dialogs;
    TAddressForm form(dialogs);
    auto* edit = form.findChild<QLineEdit*>("Edit1");
    auto* box = form.findChild<QComboBox*>("ComboBox1");

    form.SetAddress({});
    form.SetDeviceNumber(0);
    form.show();
    edit->setText("3,1-7");
    box->setCurrentIndex(5);
    // Enter in the edit field presses the default button.
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.AddressResult(), (std::vector<std::uint8_t>{0x13, 0x07}));
    QCOMPARE(form.DeviceNumberResult(), 5);

    // Second use of the same window: the empty text is the empty path; nothing chosen counts as 0.
    form.SetAddress({});
    form.show();
    box->setCurrentIndex(-1);
    QTest::mouseClick(form.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(form.AddressResult().empty());
    QCOMPARE(form.DeviceNumberResult(), 0);

    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(dialogs.Messages.isEmpty());
}

void LinkDialogsTest::IdentifierDialog() {
    TRs485EditForm form;
    QCOMPARE(form.windowTitle(), QString("Идентифкатор RS422"));
    QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("Идентификатор для доступа через RS422"));
    QCOMPARE(form.findChild<QPushButton*>("OKButton")->text(), QString("Записать"));
    QCOMPARE(form.findChild<QPushButton*>("CancelButton")->text(), QString("Отмена"));
    auto* box = form.findChild<QComboBox*>("ComboBox1");
    QCOMPARE(ItemTexts(*box), DeviceEntries(1, 19));
    QCOMPARE(form.Identifier(), 1);
    box->setCurrentIndex(18);
    QCOMPARE(form.Identifier(), 19);
    box->setCurrentIndex(-1);
    QCOMPARE(form.Identifier(), 1);
}

QTEST_MAIN(LinkDialogsTest)
#include "LinkDialogsTest.moc"
