#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4МБ board: which sets are switched off and which convert to E&M signalling.
class TConfig4MBForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig4MBForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
