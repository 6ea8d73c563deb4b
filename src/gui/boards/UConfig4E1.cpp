#include "gui/boards/UConfig4E1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tervis::boards {

TConfigE1TabsForm::TConfigE1TabsForm(std::uint8_t type, const char* objectName, IDialogs& dialogs,
                                     QWidget* parent)
    : TBoardDialog(*FindBlockLayout(type), dialogs, parent, {"OkButton", "CancelButton"}) {
    setObjectName(objectName);
    tabs_ = MakePageControl(this);
    tabs_->setUsesScrollButtons(false);  // every set's tab in sight
    for (int set = 0; set < layout_.SetCount; ++set) {
        QWidget* page = MakeTabSheet(tabs_, set + 1);
        auto* column = new QVBoxLayout(page);
        auto* grid = new QGridLayout;
        column->addLayout(grid);
        for (const TBlockField& field : layout_.Fields) {
            if (field.Kind == TFieldKind::List) {
                AddListRow(grid, 0, field, set, page);
                grid->setColumnStretch(2, 1);
            } else {
                column->addWidget(MakeBox(field, set, page));
            }
        }
        column->addStretch();
        tabs_->addTab(page, QString("Комплект №%1").arg(set));
    }
    Body()->addWidget(tabs_);
    FormCreate();
}

void TConfigE1TabsForm::FormCreate() {
    for (int set = 0; set < 4; ++set) {
        zeroUses_[static_cast<std::size_t>(set)] = Control<QCheckBox>(QString("CBRemoteControl%1").arg(set));
        zeroUses_[static_cast<std::size_t>(set) + 4] = Control<QCheckBox>(QString("CBUse0KI%1").arg(set));
    }
    // Toggled, not clicked: a box checked while loading runs the handler too, so the enabling follows the
    // loaded block.
    for (QCheckBox* box : zeroUses_) {
        connect(box, &QCheckBox::toggled, this, [this, box] { CBZeroUsesClick(box); });
    }
}

void TConfigE1TabsForm::CBZeroUsesClick(QCheckBox* sender) {
    const auto found = std::find(zeroUses_.begin(), zeroUses_.end(), sender);
    if (found == zeroUses_.end()) {
        return;
    }
    const std::size_t entry = static_cast<std::size_t>(found - zeroUses_.begin());
    QCheckBox* partner = zeroUses_[(entry + 4) % 8];
    partner->setEnabled(partner->isChecked() || !sender->isChecked());
    sender->setEnabled(sender->isChecked() || !partner->isChecked());
}

TConfig4E1Form::TConfig4E1Form(IDialogs& dialogs, QWidget* parent)
    : TConfigE1TabsForm(10, "Config4E1Form", dialogs, parent) {}

TConfig4ToPForm::TConfig4ToPForm(IDialogs& dialogs, QWidget* parent)
    : TConfigE1TabsForm(22, "Config4ToPForm", dialogs, parent) {}

}  // namespace tervis::boards
