#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4И15 board: one group per set. Its controls are found by formatted name, and its OK is guarded.
class TConfig4I15Form : public TSetGroupsDialog {
    Q_OBJECT
public:
    explicit TConfig4I15Form(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
