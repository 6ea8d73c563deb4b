#include "gui/boards/UConfig4C64.h"

namespace tervis::boards {

TConfig4C64Form::TConfig4C64Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(15), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4C64Form");
    AddSetGroups();
}

}  // namespace tervis::boards
