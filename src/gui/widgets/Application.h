#pragma once

#include <QApplication>

class QTranslator;

namespace tervis {

class IDialogs;

// The application object. Its event dispatch is the last line of defence: an exception that leaves an
// event handler, a timer or a queued call is shown as a message box with the error's text, and the
// program goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Where errors are shown; none shows nothing. The dialogs must outlive their use here.
    void SetErrorDisplay(IDialogs* dialogs) { errorDisplay_ = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

    // How many errors reached the boundary (also those that could not be shown).
    int ErrorCount() const { return errorCount_; }

    // Shows an error the way the boundary does, for a handler that catches its own failure because it
    // has something left to do (redraw what the failed action changed). Outside a TApplication the text
    // goes to the log.
    static void ReportError(const QString& text);

private:
    void ShowError(const QString& text);

    IDialogs* errorDisplay_ = nullptr;
    bool showingError_ = false;
    int errorCount_ = 0;
};

// The application's title, its icon and its language: Qt's own Russian texts for the standard dialogs and,
// where the system has a Russian locale, Russian system error texts. Returns whether Qt's
// translations were found.
bool SetUpApplication(QApplication& app);

// Switches the C library's messages (strerror) to Russian when such a locale is installed; the rest of
// the locale is left alone. Returns whether it succeeded.
bool UseRussianSystemMessages();

}  // namespace tervis
