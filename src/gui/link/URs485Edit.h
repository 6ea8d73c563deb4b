#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;

namespace tervis {

// The RS-422 identifier list, "ComboBox1", with its label: the leading items, then "Устройство №1" …
// "Устройство №<last>"; the first item is chosen.
struct TIdentifierList {
    QLabel* Label;
    QComboBox* List;
};
TIdentifierList MakeIdentifierList(QWidget* parent, const QString& labelName, const QStringList& leading,
                                   int last);

// Chooses the RS-485/RS-422 identifier to write into the multiplexer reached over RS-232.
class TRs485EditForm : public QDialog {
    Q_OBJECT
public:
    explicit TRs485EditForm(QWidget* parent = nullptr);

    // 1..19: the chosen entry; 1 when nothing is chosen.
    int Identifier() const;

private:
    QComboBox* ComboBox1;
};

}  // namespace tervis
