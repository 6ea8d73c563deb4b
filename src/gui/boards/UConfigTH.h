#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4ТЧ board: a level pair per set on the tab "Уровни", a signalling protocol per set on "Протокол".
class TConfigTHForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigTHForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
