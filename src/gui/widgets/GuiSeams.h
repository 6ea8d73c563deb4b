#pragma once

// Seams between the main window and the rest of the GUI, so that tests can drive every command
// without a modal loop ever blocking.

#include <QString>

#include <optional>

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace tervis {

class TMux;

// Questions, messages, file choices and modal dialogs. The application shows real boxes and dialogs;
// tests set the next answers beforehand.
class IDialogs {
public:
    enum class TAnswer { Yes, No, Cancel };
    virtual ~IDialogs() = default;

    // A question with the caption "Конфигуратор мультиплексора": Yes/No/Cancel when withCancel, else Yes/No.
    virtual TAnswer Ask(QWidget* parent, const QString& text, bool withCancel) = 0;
    // A message box without icon.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // The open and save dialogs of ".mux" files; empty when cancelled. folder is the initial folder.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& currentName,
                                                const QString& folder) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& currentName,
                                                const QString& folder) = 0;
    // Runs a modal dialog and returns QDialog::Accepted or QDialog::Rejected. Tests fill in the dialog's
    // controls and return a result without entering a modal loop.
    virtual int Exec(QDialog& dialog) = 0;
    // Shows a popup menu at a screen position and returns the action chosen, or null. Tests return the
    // action to trigger without showing the menu.
    virtual QAction* Popup(QMenu& menu, const QPoint& globalPos) = 0;
};

// What a slot tile asks of its owner, the main window.
class ITileOwner {
public:
    virtual ~ITileOwner() = default;
    virtual TMux& Model() = 0;
    virtual bool Restricted() const = 0;
    virtual void SelectBoardType(int slot) = 0;
    virtual void EditBoardConfig(int slot) = 0;
    virtual void ShowBoardInfo(int slot) = 0;
    virtual IDialogs& Dialogs() = 0;
    // A right click on a tile: the owner shows its tile menu for that slot at the screen position.
    virtual void TileMenu(int slot, const QPoint& globalPos) = 0;
};

}  // namespace tervis
