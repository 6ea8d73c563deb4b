#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4AK board: which sets are switched off.
class TConfigAKForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigAKForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
