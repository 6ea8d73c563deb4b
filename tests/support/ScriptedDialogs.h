#pragma once

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "gui/widgets/GuiSeams.h"

QT_BEGIN_NAMESPACE
// Failure messages show texts as text rather than as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace tervis::test {

// The answers a test gives to the main window's questions and dialogs, set before the click.
class TScriptedDialogs : public IDialogs {
public:
    TAnswer Ask(QWidget*, const QString& text, bool withCancel) override {
        asked.push_back(text + (withCancel ? " [3]" : " [2]"));
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return withCancel ? TAnswer::Cancel : TAnswer::No;
        }
        const TAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Message(QWidget*, const QString& text) override { messages.push_back(text); }
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString& folder) override {
        folders.push_back(folder);
        return NextFile();
    }
    std::optional<QString> SaveFileName(QWidget*, const QString&, const QString& folder) override {
        folders.push_back(folder);
        return NextFile();
    }
    int Exec(QDialog& dialog) override {
        executed.push_back(dialog.windowTitle());
        return onExec ? onExec(dialog) : QDialog::Rejected;
    }
    QAction* Popup(QMenu& menu, const QPoint&) override {
        lastMenu.clear();
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator()) {
                lastMenu.push_back({action->objectName(), action->isEnabled() && action->isVisible()});
            }
        }
        for (QAction* action : menu.actions()) {
            if (!popupChoice.isEmpty() && action->objectName() == popupChoice && action->isEnabled()) {
                action->trigger();
                return action;
            }
        }
        return nullptr;
    }

    std::deque<TAnswer> answers;
    std::vector<QString> asked;
    std::vector<QString> messages;
    std::deque<std::optional<QString>> files;
    std::vector<QString> folders;
    std::vector<QString> executed;
    std::function<int(QDialog&)> onExec;
    QString popupChoice;
    std::vector<std::pair<QString, bool>> lastMenu;

private:
    std::optional<QString> NextFile() {
        if (files.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return std::nullopt;
        }
        auto next = files.front();
        files.pop_front();
        return next;
    }
};

}  // namespace tervis::test
