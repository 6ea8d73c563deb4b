#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tervis {

class IDialogs;
class TMux;

// Every cross-connection of the model, one line each, for review and copying. Created once and reused;
// the list is rebuilt each time the window is shown, so it shows the model as it is at that moment.
class TViewLinksForm : public QDialog {
    Q_OBJECT
public:
    explicit TViewLinksForm(QWidget* parent = nullptr);

    // Remembers the model (not owned) and shows the window modally through dialogs.
    int Show(const TMux& mux, IDialogs& dialogs);
    // Remembers the model and fills the list from it at once; showing refills it again.
    void SetModel(const TMux* mux);
    void Rebuild();
    // Opens centred on the screen rather than on the main window.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* Memo1;
    QPushButton* OKButton;
    const TMux* mux_ = nullptr;
};

}  // namespace tervis
