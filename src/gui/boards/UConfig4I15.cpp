#include "gui/boards/UConfig4I15.h"

namespace tervis::boards {

TConfig4I15Form::TConfig4I15Form(IDialogs& dialogs, QWidget* parent)
    : TSetGroupsDialog(bt4I15, "Config4I15Form", dialogs, parent) {}

}  // namespace tervis::boards
