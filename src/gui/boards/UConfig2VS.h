#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 2VS board: two n x 64 kbit/s interfaces. The rate n follows the port's cross-connections and is
// only shown here.
class TConfig2VSForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig2VSForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
