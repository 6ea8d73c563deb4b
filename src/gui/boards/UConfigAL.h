#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4АЛ board: which sets are switched off and which control their speech key.
class TConfigALForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigALForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
