#include "gui/boards/UConfig4C1I.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4C1IForm::TConfig4C1IForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(19), dialogs, parent, {"Button2", "Button1"}) {
    setObjectName("Config4C1IForm");
    Body()->addWidget(MakeRadioGroup(layout_.Fields[0], 0, " Режим ", this));
    auto* sets = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = new QGroupBox(QString(" Комплект №%1 ").arg(set), this);
        group->setObjectName(QString("GroupBox%1").arg(set + 1));
        auto* column = new QVBoxLayout(group);
        for (const TBlockField& field : layout_.Fields) {
            if (!IsPerSet(field)) {
                continue;
            }
            if (field.Kind == TFieldKind::List) {
                auto* grid = new QGridLayout;
                AddListRow(grid, 0, field, set, group);
                grid->setColumnStretch(2, 1);
                column->insertLayout(0, grid);
            } else {
                column->addWidget(MakeBox(field, set, group));
            }
        }
        sets->addWidget(group, set / 2, set % 2);
    }
    Body()->addLayout(sets);
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4C1IForm::Button2Click);
}

void TConfig4C1IForm::LoadControls() {
    try {
        TBoardDialog::LoadControls();
    } catch (const std::exception&) {
        block_ = {};
        TBoardDialog::LoadControls();
    }
}

void TConfig4C1IForm::Button2Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
