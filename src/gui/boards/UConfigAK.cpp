#include "gui/boards/UConfigAK.h"

namespace tervis::boards {

TConfigAKForm::TConfigAKForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(3), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigAKForm");
    AddSetsOffRow();
}

}  // namespace tervis::boards
