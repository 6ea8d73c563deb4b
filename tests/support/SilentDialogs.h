#pragma once

// A dialogs seam that never blocks and never answers yes: for programs that must not stop on a question.

#include <QDialog>

#include "gui/widgets/GuiSeams.h"

namespace tervis::test {

// Answers No, shows nothing, chooses no file, and rejects every dialog and every menu.
class TSilentDialogs : public IDialogs {
public:
    TAnswer Ask(QWidget*, const QString&, bool) override { return TAnswer::No; }
    void Message(QWidget*, const QString&) override {}
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> SaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog&) override { return QDialog::Rejected; }
    QAction* Popup(QMenu&, const QPoint&) override { return nullptr; }
};

}  // namespace tervis::test
