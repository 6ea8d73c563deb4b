#include "gui/boards/UConfigLAN.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

namespace tervis::boards {

TConfigLANForm::TConfigLANForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(16), dialogs, parent, {"OkButton", "CancelButton"}) {
    setObjectName("ConfigLANForm");
    auto* grid = new QGridLayout;
    for (int channel = 0; channel < layout_.SetCount; ++channel) {
        AddListRow(grid, channel, layout_.Fields[0], channel, this, QString("HDLC%1 coding:").arg(channel));
    }
    Body()->addLayout(grid);
}

}  // namespace tervis::boards
