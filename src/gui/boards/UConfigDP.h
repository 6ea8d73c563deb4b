#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The ДП remote power board: voltage or current source, the limits of each, the thresholds that switch
// the feed off, and the feed itself. Every setting is chosen from a list of the values themselves.
class TConfigDPForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfigDPForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
