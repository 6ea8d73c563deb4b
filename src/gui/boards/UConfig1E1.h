#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 1E1 board: indicator options and the stream's options.
class TConfig1E1Form : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig1E1Form(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
