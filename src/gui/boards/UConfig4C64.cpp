#include "gui/boards/UConfig4C64.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4C64Form::TConfig4C64Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(15), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4C64Form");
    auto* sets = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = new QGroupBox(QString(" Комплект №%1 ").arg(set), this);
        group->setObjectName(QString("GroupBox%1").arg(set + 1));
        auto* column = new QVBoxLayout(group);
        for (const TBlockField& field : layout_.Fields) {
            if (field.Kind == TFieldKind::List) {
                auto* grid = new QGridLayout;
                AddListRow(grid, 0, field, set, group);
                grid->setColumnStretch(2, 1);
                column->addLayout(grid);
            } else {
                column->addWidget(MakeBox(field, set, group));
            }
        }
        sets->addWidget(group, set / 2, set % 2);
    }
    Body()->addLayout(sets);
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4C64Form::OkButtonClick);
}

void TConfig4C64Form::OkButtonClick() {
    RunOkHandler();
}

}  // namespace tervis::boards
