#include "gui/link/UAddress.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/link/Address.h"
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

    Label2 = new QLabel("Идентификатор для доступа через RS422", this);
    Label2->setObjectName("Label2");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItem("Использовать RS232");
    for (int number = 1; number < kDeviceNumbers; ++number) {
        ComboBox1->addItem(QString("Устройство №%1").arg(number));
    }
    ComboBox1->setCurrentIndex(0);
    Label2->setBuddy(ComboBox1);

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
