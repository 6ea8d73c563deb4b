#include "gui/widgets/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tervis {

namespace {

QPushButton* MakeButton(QDialog& dialog, const QString& text, const QString& name) {
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(name);
    return button;
}

}  // namespace

TDialogButtons MakeDialogButtons(QDialog& dialog, const QString& okText, const QString& cancelText) {
    QPushButton* ok = MakeButton(dialog, okText, "OKButton");
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(dialog, cancelText, "CancelButton");
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return {ok, cancel, row};
}

TCloseButton MakeCloseButton(QDialog& dialog, const QString& text, const QString& name, TCloseAction action,
                             TRowPlace place) {
    QPushButton* button = MakeButton(dialog, text, name);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, &dialog,
                     action == TCloseAction::Accept ? &QDialog::accept : &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    if (place == TRowPlace::Centre) {
        row->addStretch();
    }
    return {button, row};
}

QPlainTextEdit* MakeListing(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

}  // namespace tervis
