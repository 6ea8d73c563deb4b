#pragma once

#include "gui/boards/BoardDialog.h"

namespace tervis::boards {

// The tab "Протокол" of the 4ТЧ and 4ТЧУ dialogs: "Комплект 0" to "Комплект 3", each beside its
// protocol list.
QWidget* MakeProtocolTab(const TBlockField& protocol, QWidget* parent);

}  // namespace tervis::boards
