#include "gui/boards/UConfig4I15.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4I15Form::TConfig4I15Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(13), dialogs, parent, {"OkButton", "CancelButton"},
                   TOkGuard::Parameters) {
    setObjectName("Config4I15Form");
    auto* sets = new QGridLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = new QGroupBox(QString(" Комплект №%1 ").arg(set), this);
        group->setObjectName(QString("GroupBox%1").arg(set + 1));
        auto* column = new QVBoxLayout(group);
        for (const TBlockField& field : layout_.Fields) {
            switch (field.Kind) {
                case TFieldKind::List: {
                    auto* grid = new QGridLayout;
                    AddListRow(grid, 0, field, set, group);
                    grid->setColumnStretch(2, 1);
                    column->addLayout(grid);
                    break;
                }
                case TFieldKind::Radio: {
                    // A frame of its own keeps each set's buttons exclusive among themselves.
                    auto* frame = new QWidget(group);
                    auto* row = new QHBoxLayout(frame);
                    row->setContentsMargins(0, 0, 0, 0);
                    for (QRadioButton* button : MakeRadios(field, set, frame)) {
                        row->addWidget(button);
                    }
                    row->addStretch();
                    column->addWidget(frame);
                    break;
                }
                default:
                    column->addWidget(MakeBox(field, set, group));
                    break;
            }
        }
        sets->addWidget(group, set / 2, set % 2);
    }
    Body()->addLayout(sets);
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4I15Form::OkButtonClick);
}

void TConfig4I15Form::OkButtonClick() {
    RunOkHandler();
}

}  // namespace tervis::boards
