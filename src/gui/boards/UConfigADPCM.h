#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The АДИКМ board: how many of its 64 channels run at 16 kbit/s; the rest run at 32 kbit/s.
class TConfigADPCMForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigADPCMForm(IDialogs& dialogs, QWidget* parent = nullptr);
    // The 32 kbit/s list shows what the 16 kbit/s list leaves: item 16 - i, or nothing.
    void ComboBox1Change();

protected:
    void LoadControls() override;
};

}  // namespace tervis::boards
