#include "gui/boards/UConfig4TLG.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4TLGForm::TConfig4TLGForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(27), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4TLGForm");
    auto* grid = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = new QGroupBox(QString(" Комплект №%1 ").arg(set), this);
        group->setObjectName(QString("GroupBox%1").arg(set + 1));
        auto* column = new QVBoxLayout(group);
        for (const TBlockField& field : layout_.Fields) {
            if (IsPerSet(field)) {
                column->addWidget(MakeBox(field, set, group));
            }
        }
        grid->addWidget(group, set / 2, set % 2);
    }
    Body()->addLayout(grid);
    Body()->addWidget(MakeBox(*FindField(layout_, "CB4in1"), 0, this));
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4TLGForm::OkButtonClick);
}

void TConfig4TLGForm::OkButtonClick() {
    RunOkHandler();
}

}  // namespace tervis::boards
