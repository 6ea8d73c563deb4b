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

// The window cannot be resized: it keeps its design width unless a line it lists needs more, and then it
// is made just as wide as that line (and no wider than the screen).
int WidthForLines(const QPlainTextEdit& box, const QStringList& lines) {
    const int needed = WidestText(QFontMetrics(box.font()), lines) + TextBoxChrome(box);
    int width = std::max(kDesignWidth, needed);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        width = std::min(width, std::max(kDesignWidth, screen->availableGeometry().width()));
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
    setFixedSize(kDesignWidth, kDesignHeight);
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
    QStringList text;
    if (mux_ != nullptr) {
        for (const std::string& line : ConnectionListLines(*mux_)) {
            text.append(QString::fromStdString(line));
        }
    }
    Memo1->setPlainText(text.join('\n'));
    setFixedSize(WidthForLines(*Memo1, text), kDesignHeight);
}

void TViewLinksForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // Listed first: the lines decide the width, and the width where the window stands.
        Rebuild();
        CentreOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

void TViewLinksForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
}

}  // namespace tervis
