#include "gui/boards/UConfigSLU.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

namespace tervis::boards {

TConfigSLUForm::TConfigSLUForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(11), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigSLUForm");
    Body()->addLayout(MakeSetRadioGroups(layout_.Fields[0], this));
}

}  // namespace tervis::boards
