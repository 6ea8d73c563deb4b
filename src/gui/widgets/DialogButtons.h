#pragma once

// The parts that the small dialogs share: their buttons and their read-only listings.

#include <QString>

#include <initializer_list>

class QDialog;
class QHBoxLayout;
class QPlainTextEdit;
class QPushButton;
class QWidget;

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

// Lays out a small dialog that keeps the size of its contents: the widgets from the top, a small gap for
// each null, then the button row.
void LayOutFixedDialog(QDialog& dialog, std::initializer_list<QWidget*> widgets, QHBoxLayout* buttons);

// A single default button that closes the dialog (the information windows' "OK", a "Закрыть" or the
// progress window's "Отмена"), centred or at the right of its row.
struct TCloseButton {
    QPushButton* Ok;
    QHBoxLayout* Row;
};
enum class TCloseAction { Accept, Reject };
enum class TRowPlace { Centre, Right };
TCloseButton MakeCloseButton(QDialog& dialog, const QString& text, const QString& name = "OKButton",
                             TCloseAction action = TCloseAction::Accept, TRowPlace place = TRowPlace::Centre);

// A read-only listing named "Memo1": lines are not wrapped and the vertical scroll bar always shows.
QPlainTextEdit* MakeListing(QWidget* parent);

}  // namespace tervis
