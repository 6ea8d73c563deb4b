#include "gui/boards/UConfig4MB.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4MBForm::TConfig4MBForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(9), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config4MBForm");
    auto* row = new QHBoxLayout;
    AddListColumn(row, "Режим работы комплектов",
                  MakeCheckList(layout_.Fields[0], SetItems("Отключить комплект №%1"), this));
    AddListColumn(row, "Конвертация МБ - E&M",
                  MakeCheckList(layout_.Fields[1], SetItems("Комплект №%1"), this));
    Body()->addLayout(row);
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4MBForm::Button1Click);
}

void TConfig4MBForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
