#pragma once

#include <array>

#include "gui/boards/BoardDialog.h"

class QCheckBox;
class QRadioButton;

namespace tervis::boards {

// The 8AK board: standard direct subscribers with signalling per set, or the ЛВ420 remote unit mode with
// traffic concentration. The mode enables the controls that apply to it.
class TConfig8AKForm : public TBoardDialog {
    Q_OBJECT
public:
    static constexpr int kSets = 8;

    explicit TConfig8AKForm(IDialogs& dialogs, QWidget* parent = nullptr);
    void RBStandardModeClick();
    void RBLapdModeClick();

private:
    QRadioButton* standard_;
    QRadioButton* lapd_;
    QCheckBox* concentrator_;
    std::array<QCheckBox*, kSets> signalling_{};
};

}  // namespace tervis::boards
