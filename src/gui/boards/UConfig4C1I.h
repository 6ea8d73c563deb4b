#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4C1И board: four sets of 1200 to 48000 bit/s with their loopbacks and test patterns, and how the
// sets are grouped. Button2 is the OK button, Button1 the Cancel button.
class TConfig4C1IForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig4C1IForm(IDialogs& dialogs, QWidget* parent = nullptr);

protected:
    // When the controls cannot take the block, they take an all-zero block instead.
    void LoadControls() override;
};

}  // namespace tervis::boards
