#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace tervis {

// Chooses the RS-485/RS-422 identifier to write into the multiplexer reached over RS-232.
class TRs485EditForm : public QDialog {
    Q_OBJECT
public:
    explicit TRs485EditForm(QWidget* parent = nullptr);

    // 1..19: the chosen entry; 1 when nothing is chosen.
    int Identifier() const;

private:
    QLabel* Label1;
    QComboBox* ComboBox1;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

}  // namespace tervis
