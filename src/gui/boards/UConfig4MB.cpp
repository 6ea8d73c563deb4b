#include "gui/boards/UConfig4MB.h"

#include <QListWidget>

namespace tervis::boards {

TConfig4MBForm::TConfig4MBForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(9), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config4MBForm");
    QHBoxLayout* row = AddSetsOffRow();
    AddListColumn(row, "Конвертация МБ - E&M",
                  MakeCheckList(layout_.Fields[1], SetItems("Комплект №%1"), this));
}

}  // namespace tervis::boards
