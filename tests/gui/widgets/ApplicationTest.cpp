// The application object: the last-resort error boundary of the event dispatch, the language of the
// standard dialogs and of system error texts, the window titles, and file dialogs that read no file.
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "core/base/Errors.h"
#include "gui/widgets/Application.h"
#include "gui/widgets/WidgetDialogs.h"
#include "support/RecordingDialogs.h"

using namespace tervis;

namespace {

const QEvent::Type kFailing = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type kPlain = static_cast<QEvent::Type>(QEvent::User + 2);
const QEvent::Type kForeign = static_cast<QEvent::Type>(QEvent::User + 3);

// An object whose handler fails on some events and records the others.
class TFailingObject : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == kFailing) {
            throw EInOutError("Ошибка записи файла 12-2026.log: Is a directory");
        }
        if (e->type() == kForeign) {
            throw 42;  // not a standard exception
        }
        if (e->type() == kPlain) {
            ++handled;
            return true;
        }
        return QObject::event(e);
    }
    int handled = 0;
};

TApplication& App() {
    return *static_cast<TApplication*>(QCoreApplication::instance());
}

}  // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void init() { App().SetErrorDisplay(&dialogs_); }
    void cleanup() {
        App().SetErrorDisplay(nullptr);
        dialogs_.Messages.clear();
    }
    void ErrorsOfEventHandlersAndTimersAreShownAndTheProgramGoesOn();
    void AnErrorWhileTheBoxIsOpenOpensNoSecondBox();
    void StandardDialogsSpeakRussian();
    void WindowTitlesGetNothingAppended();
    void WindowsCarryTheApplicationIcon();
    void SystemErrorTextsAreRussianWhereTheSystemCan();
    void FileDialogsTellTypesFromTheNameAlone();
    void MessagesBeforeTheMainWindowStandInTheMiddle();
    void NarrowDialogsAreAsWideAsTheirTitles();
    void FileListsSpeakRussianInColumnsWideEnough();

private:
    test::TRecordingDialogs dialogs_;
};

void ApplicationTest::ErrorsOfEventHandlersAndTimersAreShownAndTheProgramGoesOn() {
    TFailingObject object;
    QCoreApplication::postEvent(&object, new QEvent(kFailing));
    QCoreApplication::postEvent(&object, new QEvent(kPlain));
    QCoreApplication::postEvent(&object, new QEvent(kForeign));
    QCoreApplication::postEvent(&object, new QEvent(kPlain));
    QCoreApplication::processEvents();
    QCOMPARE(object.handled, 2);
    QCOMPARE(dialogs_.Messages,
             QStringList({"Ошибка записи файла 12-2026.log: Is a directory", "Внутренняя ошибка программы"}));

    // A timer's handler: shown, and the timer keeps running.
    dialogs_.Messages.clear();
    int ticks = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 1) {
            throw std::runtime_error("первый тик");
        }
    });
    timer.start();
    QTRY_VERIFY(ticks >= 3);
    timer.stop();
    QCOMPARE(dialogs_.Messages, QStringList({"первый тик"}));

    // Without an error display the error is still caught.
    App().SetErrorDisplay(nullptr);
    const int before = App().ErrorCount();
    QCoreApplication::postEvent(&object, new QEvent(kFailing));
    QCoreApplication::processEvents();
    QCOMPARE(App().ErrorCount(), before + 1);
}

void ApplicationTest::AnErrorWhileTheBoxIsOpenOpensNoSecondBox() {
    // The box runs its own event loop; an event that fails meanwhile is counted, not shown on top.
    class TNestedDialogs : public test::TRecordingDialogs {
    public:
        void Message(QWidget* parent, const QString& text) override {
            TRecordingDialogs::Message(parent, text);
            QCoreApplication::postEvent(object, new QEvent(kFailing));
            QCoreApplication::processEvents();
        }
        TFailingObject* object = nullptr;
    };
    TFailingObject object;
    TNestedDialogs nested;
    nested.object = &object;
    App().SetErrorDisplay(&nested);
    const int before = App().ErrorCount();
    QCoreApplication::postEvent(&object, new QEvent(kFailing));
    QCoreApplication::postEvent(&object, new QEvent(kPlain));
    QCoreApplication::processEvents();
    QCOMPARE(nested.Messages.size(), 1);
    QCOMPARE(App().ErrorCount(), before + 2);
    QCOMPARE(object.handled, 1);
}

void ApplicationTest::StandardDialogsSpeakRussian() {
    QMessageBox box(QMessageBox::NoIcon, "Конфигуратор мультиплексора", "Сохранить изменения?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Да"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Нет"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QString("Отмена"));
    QMessageBox ok(QMessageBox::NoIcon, "Tervis", "Отличий не найдено", QMessageBox::Ok);
    QCOMPARE(ok.button(QMessageBox::Ok)->text().remove('&'), QString("OK"));

    const auto open = MakeFileDialog(nullptr, false, "newcfg.mux", QDir::tempPath());
    QCOMPARE(open->labelText(QFileDialog::LookIn).remove('&'), QString("Перейти к:"));
    QCOMPARE(open->labelText(QFileDialog::FileName).remove('&'), QString("Имя файла:"));
    QCOMPARE(open->labelText(QFileDialog::Accept).remove('&'), QString("Открыть"));
    const auto save = MakeFileDialog(nullptr, true, "newcfg.mux", QDir::tempPath());
    QCOMPARE(save->labelText(QFileDialog::Accept).remove('&'), QString("Сохранить"));
    QCOMPARE(save->windowTitle(), QString("Сохранить как"));
}

void ApplicationTest::WindowTitlesGetNothingAppended() {
    // The platform appends the display name to every title once one is set; while none is set the
    // display name follows the application name.
    QCOMPARE(QCoreApplication::applicationName(), QString("Tervis"));
    QCoreApplication::setApplicationName("probe");
    const QString display = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName("Tervis");
    QCOMPARE(display, QString("probe"));
}

void ApplicationTest::WindowsCarryTheApplicationIcon() {
    // The drawing is linked in from the GUI library's resources and drawn by Qt's SVG plugin.
    QVERIFY(QFile::exists(":/icons/tervis.svg"));
    const QImage image = QApplication::windowIcon().pixmap(32, 32).toImage();
    QVERIFY2(!image.isNull(), "no icon: is Qt's SVG plugin (libqt6svg6, scripts/bootstrap) installed?");
    QVERIFY(image.pixelColor(16, 16).alpha() > 0);
}

void ApplicationTest::SystemErrorTextsAreRussianWhereTheSystemCan() {
    // Called again: it must neither fail nor change anything when the locale is missing.
    if (!UseRussianSystemMessages()) {
        QSKIP("no Russian UTF-8 locale on this machine; system error texts stay as they are");
    }
    const QString text = QString::fromUtf8(std::strerror(ENOENT));
    QVERIFY2(text.contains(QRegularExpression("[а-яА-Я]")), qPrintable(text));
}

void ApplicationTest::FileDialogsTellTypesFromTheNameAlone() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Content that a look inside would recognise; the name says nothing.
    const QString noExtension = dir.filePath("report");
    {
        QFile file(noExtension);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n");
    }
    const QString byContent = QMimeDatabase().mimeTypeForFile(noExtension).name();
    QCOMPARE(byContent, QString("application/pdf"));  // what a look inside finds

    for (const bool save : {false, true}) {
        const auto dialog = MakeFileDialog(nullptr, save, "/tmp/x.mux", dir.path());
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog->defaultSuffix(), QString("mux"));
        const auto* provider = dynamic_cast<const TNameOnlyIconProvider*>(dialog->iconProvider());
        QVERIFY(provider != nullptr);
        const QString type = provider->type(QFileInfo(noExtension));
        QVERIFY2(!type.contains("PDF"), qPrintable(type));
        QVERIFY(!provider->icon(QFileInfo(noExtension)).isNull());
        QVERIFY(!provider->type(QFileInfo(dir.filePath("a.txt"))).isEmpty());
    }
}

void ApplicationTest::MessagesBeforeTheMainWindowStandInTheMiddle() {
    // The main window is not shown yet, as at start-up when the last file is missing.
    QWidget owner;
    owner.resize(600, 400);
    const QRect ownerBefore = owner.geometry();
    QRect shownAt;
    QWidget* shownParent = &owner;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box != nullptr) {
            shownAt = box->frameGeometry();
            shownParent = box->parentWidget();
            box->close();
        }
    });
    TWidgetDialogs dialogs;
    dialogs.Message(&owner, "Файл /нет/last.mux не найден");
    QVERIFY(!shownAt.isNull());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(std::abs(shownAt.center().x() - area.center().x()) <= 2 &&
                 std::abs(shownAt.center().y() - area.center().y()) <= 2,
             qPrintable(QString("box at %1,%2 %3x%4")
                            .arg(shownAt.x())
                            .arg(shownAt.y())
                            .arg(shownAt.width())
                            .arg(shownAt.height())));
    QCOMPARE(shownParent, nullptr);
    QCOMPARE(owner.geometry(), ownerBefore);
    QVERIFY(!owner.testAttribute(Qt::WA_WState_Created));
}

void ApplicationTest::NarrowDialogsAreAsWideAsTheirTitles() {
    // A fixed-size dialog and a freely sized one, each narrower than its title.
    for (const bool fixedLayout : {true, false}) {
        QDialog dialog;
        dialog.setWindowTitle("Чтение конфигурации плат мультиплексора");
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel("10 %", &dialog));
        if (fixedLayout) {
            layout->setSizeConstraint(QLayout::SetFixedSize);
        }
        dialog.show();
        QCoreApplication::processEvents();
        const int title = QFontMetrics(QApplication::font()).horizontalAdvance(dialog.windowTitle());
        QVERIFY2(dialog.width() > title,
                 qPrintable(QString("%1 px for a %2 px title").arg(dialog.width()).arg(title)));
        // A later layout pass keeps the width.
        layout->addWidget(new QLabel("20 %", &dialog));
        QCoreApplication::processEvents();
        QVERIFY(dialog.width() > title);
    }
}

void ApplicationTest::FileListsSpeakRussianInColumnsWideEnough() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile file(dir.filePath("x.mux"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(65534, '\0'));
        QFile plain(dir.filePath("notes"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    const auto dialog = MakeFileDialog(nullptr, false, "x.mux", dir.path());
    auto* list = dialog->findChild<QTreeView*>("treeView");
    QVERIFY(list != nullptr);
    QAbstractItemModel* model = list->model();
    const auto row = [&](const QString& name) -> int {
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < model->rowCount(root); ++r) {
            if (model->index(r, 0, root).data().toString() == name) {
                return r;
            }
        }
        return -1;
    };
    dialog->selectNameFilter("все файлы (*)");
    dialog->show();
    QTRY_VERIFY_WITH_TIMEOUT(row("x.mux") >= 0 && row("notes") >= 0, 10000);
    const QModelIndex root = list->rootIndex();
    const auto text = [&](const QString& name, int column) {
        return model->index(row(name), column, root).data().toString();
    };
    QCOMPARE(text("x.mux", 1), QString("64,0 кБ"));
    QCOMPARE(text("x.mux", 2), QString("Конфигурация мультиплексора"));
    QCOMPARE(text("notes", 2), QString("Файл"));
    QVERIFY2(
        QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$").match(text("x.mux", 3)).hasMatch(),
        qPrintable(text("x.mux", 3)));
    const QFontMetrics metrics(list->font());
    for (int column = 1; column <= 3; ++column) {
        QVERIFY2(list->header()->sectionSize(column) > metrics.horizontalAdvance(text("x.mux", column)),
                 qPrintable(text("x.mux", column)));
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    SetUpApplication(app);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ApplicationTest.moc"
