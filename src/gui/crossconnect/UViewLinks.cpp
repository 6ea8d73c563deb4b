#include "gui/crossconnect/UViewLinks.h"

#include <QHBoxLayout>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "core/crossconnect/ConnectionList.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/GuiSeams.h"
#include "gui/widgets/Placement.h"

namespace tervis {

TViewLinksForm::TViewLinksForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ViewLinksForm");
    setWindowTitle("Соединения");

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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
    setFixedSize(335, 356);
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
