#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

#include "gui/widgets/GuiSeams.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tervis {

// The address path and device number of the multiplexer the requests are meant for. Created once and
// reused: the caller fills it before every showing.
class TAddressForm : public QDialog {
    Q_OBJECT
public:
    // dialogs shows the message of an address text that cannot be used.
    explicit TAddressForm(IDialogs& dialogs, QWidget* parent = nullptr);

    void SetAddress(const std::vector<std::uint8_t>& address);
    // Numbers beyond the list select "Использовать RS232".
    void SetDeviceNumber(int number);
    // Valid after the dialog was confirmed.
    const std::vector<std::uint8_t>& AddressResult() const { return address_; }
    int DeviceNumberResult() const { return deviceNumber_; }

    // Confirms only an address text that parses; otherwise tells the operator and stays open.
    void OKButtonClick();

private:
    IDialogs& dialogs_;
    QLabel* Label1;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    std::vector<std::uint8_t> address_;
    int deviceNumber_ = 0;
};

}  // namespace tervis
