#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4C64 board: four 64 kbit/s sets, each with its clock priority, loopbacks and test pattern.
class TConfig4C64Form : public TSetGroupsDialog {
    Q_OBJECT
public:
    explicit TConfig4C64Form(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
