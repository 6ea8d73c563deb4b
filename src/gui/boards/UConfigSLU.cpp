#include "gui/boards/UConfigSLU.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

namespace tervis::boards {

TConfigSLUForm::TConfigSLUForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(11), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigSLUForm");
    auto* grid = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        grid->addWidget(MakeRadioGroup(layout_.Fields[0], set, QString(" Комплект %1 ").arg(set), this),
                        set / 2, set % 2);
    }
    Body()->addLayout(grid);
    connect(OkButton(), &QPushButton::clicked, this, &TConfigSLUForm::Button1Click);
}

void TConfigSLUForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
