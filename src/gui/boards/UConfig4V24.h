#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4V24 board: a rate and a signalling switch per port, and how the ports are grouped.
// Button2 is the OK button, Button1 the Cancel button.
class TConfig4V24Form : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig4V24Form(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
