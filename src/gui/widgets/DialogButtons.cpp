#include "gui/widgets/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace tervis {

TDialogButtons MakeDialogButtons(QDialog& dialog, const QString& okText, const QString& cancelText) {
    auto* ok = new QPushButton(okText, &dialog);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(cancelText, &dialog);
    cancel->setObjectName("CancelButton");
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return {ok, cancel, row};
}

TCloseButton MakeCloseButton(QDialog& dialog, const QString& text) {
    auto* ok = new QPushButton(text, &dialog);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addStretch();
    return {ok, row};
}

}  // namespace tervis
