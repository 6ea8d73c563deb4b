#include "gui/boards/UConfig2VS.h"
#include "gui/widgets/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig2VSForm::TConfig2VSForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(12), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config2VSForm");
    const TBlockField& rate = layout_.Fields[0];
    auto* row = new QHBoxLayout;
    for (int set = 0; set < layout_.SetCount; ++set) {
        auto* group = Named(new QGroupBox(QString(" Интерфейс комплекта №%1 ").arg(set), this),
                            QString("GroupBox%1").arg(set + 1));
        auto* grid = new QGridLayout(group);
        AddListRow(grid, 0, layout_.Fields[1], set, group, "Интерфейс");
        QComboBox* n = AddListRow(grid, 1, rate, set, group, "N =");
        n->setEnabled(false);
        grid->addWidget(MakeBox(layout_.Fields[2], set, group), 2, 0, 1, 2);
        grid->addWidget(MakeBox(layout_.Fields[3], set, group), 3, 0, 1, 2);
        AddListRow(grid, 4, layout_.Fields[4 + static_cast<std::size_t>(set)], 0, group,
                   "Приоритет\nвыдачи синхросигнала");
        row->addWidget(group);
    }
    Body()->addLayout(row);
}

}  // namespace tervis::boards
