#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The LAN board: the bit inversion of each of its eight HDLC channels.
class TConfigLANForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigLANForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
