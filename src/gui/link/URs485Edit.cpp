#include "gui/link/URs485Edit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/DialogButtons.h"

namespace tervis {

namespace {

constexpr int kIdentifiers = 19;

}  // namespace

TRs485EditForm::TRs485EditForm(QWidget* parent) : QDialog(parent) {
    setObjectName("Rs485EditForm");
    setWindowTitle("Идентифкатор RS422");

    Label1 = new QLabel("Идентификатор для доступа через RS422", this);
    Label1->setObjectName("Label1");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    for (int identifier = 1; identifier <= kIdentifiers; ++identifier) {
        ComboBox1->addItem(QString("Устройство №%1").arg(identifier));
    }
    ComboBox1->setCurrentIndex(0);
    Label1->setBuddy(ComboBox1);

    const TDialogButtons buttons = MakeDialogButtons(*this, "Записать", "Отмена");
    OKButton = buttons.Ok;
    CancelButton = buttons.Cancel;
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    layout->addSpacing(6);
    layout->addLayout(buttons.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TRs485EditForm::Identifier() const {
    const int index = ComboBox1->currentIndex();
    return index < 0 ? 1 : index + 1;
}

}  // namespace tervis
