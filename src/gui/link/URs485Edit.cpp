#include "gui/link/URs485Edit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

constexpr int kIdentifiers = 19;

}  // namespace

TIdentifierList MakeIdentifierList(QWidget* parent, const QString& labelName, const QStringList& leading,
                                   int last) {
    auto* label = Named(new QLabel("Идентификатор для доступа через RS422", parent), labelName);
    auto* list = Named(new QComboBox(parent), "ComboBox1");
    list->addItems(leading);
    for (int identifier = 1; identifier <= last; ++identifier) {
        list->addItem(QString("Устройство №%1").arg(identifier));
    }
    list->setCurrentIndex(0);
    label->setBuddy(list);
    return {label, list};
}

TRs485EditForm::TRs485EditForm(QWidget* parent) : QDialog(parent) {
    setObjectName("Rs485EditForm");
    setWindowTitle("Идентифкатор RS422");

    const TIdentifierList identifier = MakeIdentifierList(this, "Label1", {}, kIdentifiers);
    ComboBox1 = identifier.List;

    const TDialogButtons buttons = MakeDialogButtons(*this, "Записать", "Отмена");
    connect(buttons.Ok, &QPushButton::clicked, this, &QDialog::accept);
    LayOutFixedDialog(*this, {identifier.Label, ComboBox1, nullptr}, buttons.Row);
}

int TRs485EditForm::Identifier() const {
    const int index = ComboBox1->currentIndex();
    return index < 0 ? 1 : index + 1;
}

}  // namespace tervis
