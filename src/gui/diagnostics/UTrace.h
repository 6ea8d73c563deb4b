#pragma once

#include <QDialog>

#include <cstdint>

#include "core/diagnostics/TraceLines.h"
#include "core/link/PacketHandler.h"

class QPlainTextEdit;
class QPushButton;

namespace tervis {

// "Сообщения порта": the line-signalling messages of one port while the trace runs. The window lives for
// the whole program; each trace waits for its own start reply.
class TTraceForm : public QDialog, public ITraceSink {
    Q_OBJECT
public:
    explicit TTraceForm(QWidget* parent = nullptr);

    // ITraceSink: replies 165 and 170 from the device link.
    void TraceStarted(const TReceiveBuffer& buffer, std::size_t p) override;
    void TraceMessage(const TReceiveBuffer& buffer, std::size_t p) override;
    // The link-state notification forwarded by the main window: a lost link closes the window.
    void Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // The state of a trace about to be shown: an empty memo, running.
    void PrepareShow();
    bool Started() const { return started_; }
    bool Paused() const { return paused_; }
    const TTraceEvent& LastEvent() const { return last_; }
    QString Text() const;

    void BtnDisableClick();
    void BtnClearClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPauseCaption();

    QPlainTextEdit* Memo1;
    QPushButton* BtnClear;
    QPushButton* BtnClose;
    QPushButton* BtnDisable;
    bool started_ = false;
    bool paused_ = false;
    TTraceEvent last_;
    std::string lastText_;
};

}  // namespace tervis
