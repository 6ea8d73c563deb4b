#include "gui/boards/UConfig4TLG.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4TLGForm::TConfig4TLGForm(IDialogs& dialogs, QWidget* parent)
    : TSetGroupsDialog(bt4TLG, "Config4TLGForm", dialogs, parent) {
    Body()->addWidget(MakeBox(*FindField(layout_, "CB4in1"), 0, this));
}

}  // namespace tervis::boards
