#include "gui/boards/UConfigAL.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfigALForm::TConfigALForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(2), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigALForm");
    auto* row = new QHBoxLayout;
    AddListColumn(row, "Режим работы комплектов",
                  MakeCheckList(layout_.Fields[0], SetItems("Отключить комплект №%1"), this));
    QListWidget* keys = MakeCheckList(layout_.Fields[1], SetItems("Комплект №%1"), this);
    keys->setToolTip("Управление разговорным ключом (размыкание)");
    AddListColumn(row, "Управление разговорным ключом", keys);
    Body()->addLayout(row);
    connect(OkButton(), &QPushButton::clicked, this, &TConfigALForm::Button1Click);
}

void TConfigALForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
