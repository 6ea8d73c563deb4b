#include "gui/boards/UConfigAL.h"

#include <QListWidget>

namespace tervis::boards {

TConfigALForm::TConfigALForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(2), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigALForm");
    QHBoxLayout* row = AddSetsOffRow();
    QListWidget* keys = MakeCheckList(layout_.Fields[1], SetItems("Комплект №%1"), this);
    keys->setToolTip("Управление разговорным ключом (размыкание)");
    AddListColumn(row, "Управление разговорным ключом", keys);
}

}  // namespace tervis::boards
