#pragma once

#include <QDialog>
#include <QStringList>

#include "gui/widgets/GuiSeams.h"

namespace tervis::test {

// Records the messages and the dialogs run modally; never blocks.
class TRecordingDialogs : public IDialogs {
public:
    TAnswer Ask(QWidget*, const QString&, bool) override { return TAnswer::Cancel; }
    void Message(QWidget*, const QString& text) override { Messages.append(text); }
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> SaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog& dialog) override {
        Executed.append(&dialog);
        return QDialog::Accepted;
    }
    QAction* Popup(QMenu&, const QPoint&) override { return nullptr; }

    QStringList Messages;
    QList<QDialog*> Executed;
};

}  // namespace tervis::test
