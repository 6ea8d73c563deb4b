#include "gui/widgets/Application.h"

#include <QDialog>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <langinfo.h>
#include <clocale>
#include <cstring>
#include <exception>

#include "gui/widgets/GuiSeams.h"
#include "gui/widgets/Placement.h"

namespace tervis {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        // Every dialog as wide as its title, whichever window it is.
        if (event->type() == QEvent::Show && receiver->isWidgetType()) {
            if (auto* dialog = qobject_cast<QDialog*>(receiver); dialog != nullptr && dialog->isWindow()) {
                FitToTitle(*dialog);
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Внутренняя ошибка программы"));
    }
    // The event counts as handled: its handler has ended, and handing it on would run it again.
    return true;
}

void TApplication::ReportError(const QString& text) {
    if (auto* app = qobject_cast<TApplication*>(QCoreApplication::instance())) {
        app->ShowError(text);
    } else {
        qCritical("%s", qUtf8Printable(text));
    }
}

void TApplication::ShowError(const QString& text) {
    ++errorCount_;
    // A handler that fails on every timer tick would stack one box on another without end while the
    // first is open; that first box already tells the operator, so the repeats are only counted.
    if (errorDisplay_ == nullptr || showingError_) {
        return;
    }
    showingError_ = true;
    try {
        errorDisplay_->Message(activeWindow(), text);
    } catch (...) {
        // Showing the box failed too (out of memory, say): nothing is left to tell the operator with.
    }
    showingError_ = false;
}

bool UseRussianSystemMessages() {
    // The C library translates into the character set of LC_CTYPE; anything but UTF-8 would turn the
    // Russian texts into question marks, so the English ones are kept then.
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || (std::strcmp(codeset, "UTF-8") != 0 && std::strcmp(codeset, "utf8") != 0)) {
        return false;
    }
    for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8"}) {
        if (std::setlocale(LC_MESSAGES, name) != nullptr) {
            return true;
        }
    }
    return false;
}

bool SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Tervis"));
    // Drawn by Qt's SVG plugin; without it the windows keep the platform's default icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tervis.svg")));
    // No display name: the platform would append it to every window title.
    auto* translator = new QTranslator(&app);
    const bool found =
        translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (found) {
        QApplication::installTranslator(translator);
    } else {
        delete translator;
    }
    UseRussianSystemMessages();
    return found;
}

}  // namespace tervis
