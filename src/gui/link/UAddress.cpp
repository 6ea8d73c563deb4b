#include "gui/link/UAddress.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/link/Address.h"
#include "gui/link/URs485Edit.h"
#include "gui/widgets/DialogButtons.h"

namespace tervis {

namespace {

constexpr int kDeviceNumbers = 20;  // 0 = RS-232, 1..19 on the RS-485/RS-422 line

}  // namespace

TAddressForm::TAddressForm(IDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName("AddressForm");
    setWindowTitle("Адрес мультиплексора");

    Label1 = new QLabel("Маршрут к удаленному мультиплексору (слотА,портA-слотВ,портB;... ]", this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Label1->setBuddy(Edit1);

    const TIdentifierList identifier =
        MakeIdentifierList(this, "Label2", {"Использовать RS232"}, kDeviceNumbers - 1);
    Label2 = identifier.Label;
    ComboBox1 = identifier.List;

    const TDialogButtons buttons = MakeDialogButtons(*this, "&OK", "Отмена");
    OKButton = buttons.Ok;
    CancelButton = buttons.Cancel;
    connect(OKButton, &QPushButton::clicked, this, &TAddressForm::OKButtonClick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addSpacing(6);
    layout->addWidget(Label2);
    layout->addWidget(ComboBox1);
    layout->addSpacing(6);
    layout->addLayout(buttons.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAddressForm::SetAddress(const std::vector<std::uint8_t>& address) {
    Edit1->setText(QString::fromStdString(FormatAddressPath(address)));
}

void TAddressForm::SetDeviceNumber(int number) {
    ComboBox1->setCurrentIndex(number >= 0 && number < kDeviceNumbers ? number : 0);
}

void TAddressForm::OKButtonClick() {
    try {
        address_ = ParseAddressPath(Edit1->text().toStdString());
    } catch (const EAddressError& error) {
        dialogs_.Message(this, QString::fromUtf8(error.what()));
        return;
    }
    deviceNumber_ = std::max(ComboBox1->currentIndex(), 0);
    accept();
}

}  // namespace tervis
