#include "gui/boards/UConfigAK.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfigAKForm::TConfigAKForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(3), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigAKForm");
    auto* row = new QHBoxLayout;
    AddListColumn(row, "Режим работы комплектов",
                  MakeCheckList(layout_.Fields[0], SetItems("Отключить комплект №%1"), this));
    Body()->addLayout(row);
    connect(OkButton(), &QPushButton::clicked, this, &TConfigAKForm::Button1Click);
}

void TConfigAKForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
