#include "gui/boards/UConfigADPCM.h"
#include "gui/widgets/Named.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tervis::boards {

TConfigADPCMForm::TConfigADPCMForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(14), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigADPCMForm");
    auto* grid = new QGridLayout;
    QComboBox* fast = AddListRow(grid, 0, layout_.Fields[0], 0, this);
    // The same items, never chosen directly.
    auto* slow = Named(new QComboBox(this), "ComboBox2");
    for (int item = 0; item < fast->count(); ++item) {
        slow->addItem(fast->itemText(item));
    }
    slow->setCurrentIndex(-1);
    slow->setEnabled(false);
    grid->addWidget(new QLabel("Каналов со скоростью 32 кбит/с", this), 1, 0);
    grid->addWidget(slow, 1, 1);
    Body()->addLayout(grid);
    connect(fast, &QComboBox::currentIndexChanged, this, &TConfigADPCMForm::ComboBox1Change);
}

void TConfigADPCMForm::LoadControls() {
    TBoardDialog::LoadControls();
    ComboBox1Change();
}

void TConfigADPCMForm::ComboBox1Change() {
    // Runs from a signal: looks the lists up without throwing.
    auto* fastList = findChild<QComboBox*>("ComboBox1");
    auto* slow = findChild<QComboBox*>("ComboBox2");
    if (fastList == nullptr || slow == nullptr) {
        return;
    }
    const int fast = fastList->currentIndex();
    slow->setCurrentIndex(fast < 0 ? -1 : slow->count() - 1 - fast);
}

}  // namespace tervis::boards
