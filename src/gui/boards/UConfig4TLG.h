#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The 4TLG telegraph board: per set "not used", the two loopbacks and single-polarity working; all four
// sets in one channel.
class TConfig4TLGForm : public TSetGroupsDialog {
    Q_OBJECT
public:
    explicit TConfig4TLGForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
