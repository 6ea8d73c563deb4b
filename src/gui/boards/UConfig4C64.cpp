#include "gui/boards/UConfig4C64.h"

namespace tervis::boards {

TConfig4C64Form::TConfig4C64Form(IDialogs& dialogs, QWidget* parent)
    : TSetGroupsDialog(bt4C64, "Config4C64Form", dialogs, parent) {}

}  // namespace tervis::boards
