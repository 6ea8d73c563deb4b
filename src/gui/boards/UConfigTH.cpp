#include "gui/boards/UConfigTH.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/boards/VoiceTabs.h"

namespace tervis::boards {

TConfigTHForm::TConfigTHForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(1), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("ConfigTHForm");
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("PageControl1");
    auto* levels = new QWidget(tabs);
    levels->setObjectName("TabSheet1");
    auto* grid = new QGridLayout(levels);
    const TBlockField& level = layout_.Fields[0];
    for (int set = 0; set < layout_.SetCount; ++set) {
        grid->addWidget(MakeRadioGroup(level, set, QString(" Комплект %1 ").arg(set), levels), set / 2,
                        set % 2);
    }
    tabs->addTab(levels, "Уровни");
    tabs->addTab(MakeProtocolTab(layout_.Fields[1], tabs), "Протокол");
    Body()->addWidget(tabs);
    connect(OkButton(), &QPushButton::clicked, this, &TConfigTHForm::Button1Click);
}

void TConfigTHForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
