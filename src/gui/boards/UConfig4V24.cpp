#include "gui/boards/UConfig4V24.h"
#include "gui/widgets/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig4V24Form::TConfig4V24Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(8), dialogs, parent, {"Button2", "Button1"}) {
    setObjectName("Config4V24Form");
    const auto& fields = layout_.Fields;
    auto* rates = Named(new QGroupBox(" Скорость ", this), "GroupBox1");
    auto* grid = new QGridLayout(rates);
    for (int set = 0; set < layout_.SetCount; ++set) {
        AddListRow(grid, set, fields[0], set, rates, QString("Комплект №%1").arg(set));
        grid->addWidget(MakeBox(fields[1], set, rates), set, 2);
    }
    Body()->addWidget(rates);
    Body()->addWidget(MakeRadioGroup(fields[2], 0, " Режим ", this));
}

}  // namespace tervis::boards
