#pragma once

#include "gui/boards/BoardDialog.h"

class QCheckBox;
class QComboBox;

namespace tervis::boards {

// The 1DSL board: the line rate and the line's options, remote power apart.
class TConfig1DSLForm : public TBoardDialog {
    Q_OBJECT
public:
    explicit TConfig1DSLForm(IDialogs& dialogs, QWidget* parent = nullptr);
    void CBAutoSpeedClick();
    void CBLapdModeClick();

protected:
    void LoadControls() override;

private:
    QComboBox* speed_;
    QCheckBox* autoSpeed_;
    QCheckBox* lapdMode_;
    QCheckBox* concentrator_;
};

}  // namespace tervis::boards
