#include "gui/link/UAddress.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "core/link/Address.h"
#include "gui/link/URs485Edit.h"
#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

constexpr int kDeviceNumbers = 20;  // 0 = RS-232, 1..19 on the RS-485/RS-422 line

}  // namespace

TAddressForm::TAddressForm(IDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName("AddressForm");
    setWindowTitle("Адрес мультиплексора");

    Label1 = Named(new QLabel("Маршрут к удаленному мультиплексору (слотА,портA-слотВ,портB;... ]", this),
                   "Label1");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Label1->setBuddy(Edit1);

    const TIdentifierList identifier =
        MakeIdentifierList(this, "Label2", {"Использовать RS232"}, kDeviceNumbers - 1);
    ComboBox1 = identifier.List;

    const TDialogButtons buttons = MakeDialogButtons(*this, "&OK", "Отмена");
    connect(buttons.Ok, &QPushButton::clicked, this, &TAddressForm::OKButtonClick);
    LayOutFixedDialog(*this, {Label1, Edit1, nullptr, identifier.Label, ComboBox1, nullptr}, buttons.Row);
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
