#include "gui/boards/UConfig4I15.h"

namespace tervis::boards {

TConfig4I15Form::TConfig4I15Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(13), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4I15Form");
    AddSetGroups();
}

}  // namespace tervis::boards
