#include "gui/boards/UConfig4TLG.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4TLGForm::TConfig4TLGForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(27), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4TLGForm");
    AddSetGroups();
    Body()->addWidget(MakeBox(*FindField(layout_, "CB4in1"), 0, this));
}

}  // namespace tervis::boards
