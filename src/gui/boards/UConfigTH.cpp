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
    auto* tabs = MakePageControl(this);
    QWidget* levels = MakeTabSheet(tabs, 1);
    levels->setLayout(MakeSetRadioGroups(layout_.Fields[0], levels));
    tabs->addTab(levels, "Уровни");
    tabs->addTab(MakeProtocolTab(layout_.Fields[1], tabs), "Протокол");
    Body()->addWidget(tabs);
}

}  // namespace tervis::boards
