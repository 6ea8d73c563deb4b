#include "gui/diagnostics/UTrace.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/Seams.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {
// A trace may run for days at hundreds of messages a second; the window keeps the latest lines, more
// than anybody scrolls back through, and lets the older ones go.
constexpr int kTraceHistoryLines = 10000;
}  // namespace

TTraceForm::TTraceForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TraceForm");
    setWindowTitle("Сообщения порта");
    Memo1 = MakeListing(this);
    Memo1->setMaximumBlockCount(kTraceHistoryLines);
    Memo1->setUndoRedoEnabled(false);
    BtnClear = Named(new QPushButton("Очистить", this), "BtnClear");
    BtnClear->setAutoDefault(false);
    BtnClose = Named(new QPushButton("Закрыть", this), "BtnClose");
    BtnClose->setDefault(true);
    BtnDisable = Named(new QPushButton("Приостановить", this), "BtnDisable");
    BtnDisable->setAutoDefault(false);
    // The pause button keeps one width whichever caption it shows.
    QFont bold = BtnDisable->font();
    bold.setBold(true);
    const int width = QFontMetrics(bold).horizontalAdvance("Продолжить") + 24;
    for (QPushButton* button : {BtnClear, BtnClose, BtnDisable}) {
        button->setMinimumWidth(width);
    }
    connect(BtnClear, &QPushButton::clicked, this, &TTraceForm::BtnClearClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnDisable, &QPushButton::clicked, this, &TTraceForm::BtnDisableClick);

    auto* panel = new QVBoxLayout;
    panel->addWidget(BtnDisable);
    panel->addWidget(BtnClear);
    panel->addStretch();
    panel->addWidget(BtnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(panel);
    resize(520, 300);
    ShowPauseCaption();
}

void TTraceForm::PrepareShow() {
    Memo1->clear();
    paused_ = false;
    ShowPauseCaption();
}

void TTraceForm::showEvent(QShowEvent* event) {
    PrepareShow();
    QDialog::showEvent(event);
}

void TTraceForm::done(int result) {
    started_ = false;  // the next trace waits for its own start reply
    Memo1->clear();    // the window is kept for the next trace; its lines are not
    QDialog::done(result);
}

QString TTraceForm::Text() const {
    return Memo1->toPlainText();
}

void TTraceForm::TraceStarted(const TReceiveBuffer& buffer, std::size_t p) {
    if (started_) {
        return;
    }
    const TTraceStart start = DecodeTraceStart(buffer, p);
    last_ = {start.Slot, start.Port, start.Type, 0, 0, 0};
    lastText_ = TraceStartText(start);
    Memo1->appendPlainText(QString::fromStdString(lastText_));
    started_ = true;
}

void TTraceForm::TraceMessage(const TReceiveBuffer& buffer, std::size_t p) {
    if (!started_ || paused_) {
        return;  // messages while paused are dropped, not kept
    }
    last_ = DecodeTraceEvent(buffer, p);
    lastText_ = TraceLine(last_);
    if (!lastText_.empty()) {
        Memo1->appendPlainText(QString::fromStdString(lastText_));
    }
}

void TTraceForm::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t) {
    if (message == kNotifyLinkState && wParam == 0) {
        reject();
    }
}

void TTraceForm::BtnDisableClick() {
    paused_ = !paused_;
    ShowPauseCaption();
}

void TTraceForm::BtnClearClick() {
    Memo1->clear();
}

void TTraceForm::ShowPauseCaption() {
    QFont font = BtnDisable->font();
    font.setBold(paused_);
    BtnDisable->setFont(font);
    BtnDisable->setText(paused_ ? "Продолжить" : "Остановить");
}

}  // namespace tervis
