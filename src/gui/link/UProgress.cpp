#include "gui/link/UProgress.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tervis {

namespace {

constexpr int kRefreshMs = 10;

}  // namespace

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("ProgressForm");
    setModal(true);

    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    ProgressBar1->setMinimumWidth(260);

    Label1 = Named(new QLabel("Пакет 0 из ???", this), "Label1");

    const TCloseButton cancel = MakeCloseButton(*this, "&Отмена", "CancelButton", TCloseAction::Reject);
    CancelButton = cancel.Ok;

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(kRefreshMs);
    connect(Timer1, &QTimer::timeout, this, &TProgressForm::Timer1Timer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Label1);
    layout->addLayout(cancel.Row);
    setFixedSize(sizeHint());
}

void TProgressForm::Start(int total) {
    total_ = total;
    started_ = true;
    // An empty range would turn the bar into a busy indicator.
    ProgressBar1->setRange(0, std::max(total, 1));
    ProgressBar1->setValue(total);
    Label1->setText(QString("Пакет %1 из %2").arg(0).arg(total));
    Timer1->start();
    Update(total);
}

void TProgressForm::Update(int remaining) {
    remaining_ = remaining;
    // A queue emptied by the cancelled operation's own clean-up does not turn a cancel into completion.
    if (remaining == 0 && !completed_ && !cancelled_) {
        completed_ = true;
        Timer1Timer();
        accept();
    }
}

bool TProgressForm::Execute() {
    // A batch that ran empty before the window was shown (or of no packets at all) is complete at once.
    if (!completed_ && !cancelled_) {
        exec();
    }
    Timer1->stop();
    return completed_ && !cancelled_;
}

void TProgressForm::reject() {
    if (!completed_) {
        cancelled_ = true;
    }
    QDialog::reject();
}

void TProgressForm::Timer1Timer() {
    if (!started_) {
        return;
    }
    ProgressBar1->setValue(remaining_);
    Label1->setText(QString("Пакет %1 из %2").arg(total_ - remaining_).arg(total_));
}

std::unique_ptr<IProgressWindow> TProgressFactory::CreateProgress(const std::string& caption) {
    auto form = std::make_unique<TProgressForm>(parent_);
    form->setWindowTitle(QString::fromStdString(caption));
    return form;
}

}  // namespace tervis
