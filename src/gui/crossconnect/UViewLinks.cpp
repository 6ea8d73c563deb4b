#include "gui/crossconnect/UViewLinks.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

#include "core/crossconnect/ConnectionList.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/GuiSeams.h"
#include "gui/widgets/Placement.h"
#include "gui/widgets/TextFit.h"

namespace tervis {

namespace {

constexpr int kDesignWidth = 335;
constexpr int kDesignHeight = 356;

// The window cannot be resized, so it is made wide enough for the longest line any configuration can
// give: the widest channel description on both sides of the arrow, or after the measurer's.
int LongestLineWidth(const QPlainTextEdit& box) {
    const QFontMetrics metrics(box.font());
    QStringList channels{QStringLiteral("слот 15 (4E1), порт 31 (3)")};
    for (const QString& name : AllBoardTypeNames()) {
        channels.append(QStringLiteral("слот 15 (%1), порт 127").arg(name));
    }
    const int channel = WidestText(metrics, channels);
    const int line = std::max(channel + metrics.horizontalAdvance(QStringLiteral(" <- ")) + channel,
                              metrics.horizontalAdvance(QStringLiteral("измеритель <- ")) + channel);
    int width = line + TextBoxChrome(box);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        width = std::min(width, screen->availableGeometry().width());
    }
    return width;
}

}  // namespace

TViewLinksForm::TViewLinksForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ViewLinksForm");
    setWindowTitle("Соединения");

    Memo1 = MakeListing(this);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    Memo1->setPalette(palette);
    Memo1->setFixedHeight(321);

    const TCloseButton buttons = MakeCloseButton(*this, "&OK");
    OKButton = buttons.Ok;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    layout->addWidget(Memo1);
    layout->addLayout(buttons.Row);
    setFixedSize(std::max(kDesignWidth, LongestLineWidth(*Memo1)), kDesignHeight);
}

int TViewLinksForm::Show(const TMux& mux, IDialogs& dialogs) {
    SetModel(&mux);
    return dialogs.Exec(*this);
}

void TViewLinksForm::SetModel(const TMux* mux) {
    mux_ = mux;
    Rebuild();
}

void TViewLinksForm::Rebuild() {
    Memo1->clear();
    if (mux_ == nullptr) {
        return;
    }
    QStringList text;
    for (const std::string& line : ConnectionListLines(*mux_)) {
        text.append(QString::fromStdString(line));
    }
    Memo1->setPlainText(text.join('\n'));
}

void TViewLinksForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        CentreOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

void TViewLinksForm::showEvent(QShowEvent* event) {
    Rebuild();
    QDialog::showEvent(event);
}

}  // namespace tervis
