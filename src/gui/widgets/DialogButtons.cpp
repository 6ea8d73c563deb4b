#include "gui/widgets/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/Named.h"

namespace tervis {

namespace {

QPushButton* MakeButton(QDialog& dialog, const QString& text, const QString& name) {
    return Named(new QPushButton(text, &dialog), name);
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

void LayOutFixedDialog(QDialog& dialog, std::initializer_list<QWidget*> widgets, QHBoxLayout* buttons) {
    auto* layout = new QVBoxLayout(&dialog);
    for (QWidget* widget : widgets) {
        if (widget != nullptr) {
            layout->addWidget(widget);
        } else {
            layout->addSpacing(6);
        }
    }
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
    auto* memo = Named(new QPlainTextEdit(parent), "Memo1");
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

}  // namespace tervis
