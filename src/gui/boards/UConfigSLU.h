#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4СЛУ board: a line mode per set.
class TConfigSLUForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigSLUForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
