#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace tervis {

// The confirm and cancel buttons of a small dialog, right-aligned in a row: the first is the default
// button, the second rejects the dialog. The confirm button is connected by the caller, who may check
// the input before accepting.
struct TDialogButtons {
    QPushButton* Ok;
    QPushButton* Cancel;
    QHBoxLayout* Row;
};
TDialogButtons MakeDialogButtons(QDialog& dialog, const QString& okText, const QString& cancelText);

// A single centred default button that accepts the dialog (the information windows' "OK").
struct TCloseButton {
    QPushButton* Ok;
    QHBoxLayout* Row;
};
TCloseButton MakeCloseButton(QDialog& dialog, const QString& text);

}  // namespace tervis
