#include "gui/boards/UConfig4C1I.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4C1IForm::TConfig4C1IForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(19), dialogs, parent, {"Button2", "Button1"}) {
    setObjectName("Config4C1IForm");
    Body()->addWidget(MakeRadioGroup(layout_.Fields[0], 0, " Режим ", this));
    AddSetGroups(TListPlace::First);
}

void TConfig4C1IForm::LoadControls() {
    try {
        TBoardDialog::LoadControls();
    } catch (const std::exception&) {
        block_ = {};
        TBoardDialog::LoadControls();
    }
}

}  // namespace tervis::boards
