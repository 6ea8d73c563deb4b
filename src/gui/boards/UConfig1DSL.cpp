#include "gui/boards/UConfig1DSL.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig1DSLForm::TConfig1DSLForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(23), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config1DSLForm");
    const TColumnGroup stream = MakeColumnGroup(" Настройки потока  ", this);
    const TColumnGroup power = MakeColumnGroup(" Дистанционное питание ", this);

    const TBlockField& speed = Field("CBSpeed");
    auto* grid = new QGridLayout;
    speed_ = AddListRow(grid, 0, speed, 0, stream.Box);
    grid->setColumnStretch(2, 1);
    stream.Column->addLayout(grid);
    for (const TBlockField& field : layout_.Fields) {
        if (field.Kind != TFieldKind::Flag) {
            continue;
        }
        const bool remotePower = field.Control == "CBUseRemotePower";
        const TColumnGroup& group = remotePower ? power : stream;
        group.Column->addWidget(MakeBox(field, 0, group.Box));
    }
    Body()->addWidget(stream.Box);
    Body()->addWidget(power.Box);

    autoSpeed_ = Control<QCheckBox>("CBAutoSpeed");
    lapdMode_ = Control<QCheckBox>("CBLapdMode");
    concentrator_ = Control<QCheckBox>("CBConcentrator");
    concentrator_->setEnabled(false);
    connect(autoSpeed_, &QCheckBox::toggled, this, &TConfig1DSLForm::CBAutoSpeedClick);
    connect(lapdMode_, &QCheckBox::toggled, this, &TConfig1DSLForm::CBLapdModeClick);
}

void TConfig1DSLForm::LoadControls() {
    for (const TBlockField& field : layout_.Fields) {
        LoadField(block_, field, 0);
    }
}

void TConfig1DSLForm::CBAutoSpeedClick() {
    speed_->setEnabled(!autoSpeed_->isChecked());
}

void TConfig1DSLForm::CBLapdModeClick() {
    concentrator_->setEnabled(lapdMode_->isChecked());
}

}  // namespace tervis::boards
