#include "gui/boards/UConfig1E1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig1E1Form::TConfig1E1Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(7), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config1E1Form");
    const TColumnGroup indication = MakeColumnGroup(" Настройка световой индикации ", this);
    const TColumnGroup stream = MakeColumnGroup(" Настройки потока ", this);
    for (const TBlockField& field : layout_.Fields) {
        // The lamps' settings are word 0.
        const TColumnGroup& group = field.Word == 0 ? indication : stream;
        group.Column->addWidget(MakeBox(field, 0, group.Box));
    }
    Body()->addWidget(indication.Box);
    Body()->addWidget(stream.Box);
}

}  // namespace tervis::boards
