#include "gui/boards/UConfig1E1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

TConfig1E1Form::TConfig1E1Form(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(7), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config1E1Form");
    auto* indication = new QGroupBox(" Настройка световой индикации ", this);
    auto* indicationBoxes = new QVBoxLayout(indication);
    auto* stream = new QGroupBox(" Настройки потока ", this);
    auto* streamBoxes = new QVBoxLayout(stream);
    for (const TBlockField& field : layout_.Fields) {
        const bool indicator = field.Word == 0;
        QCheckBox* box = MakeBox(field, 0, indicator ? indication : stream);
        (indicator ? indicationBoxes : streamBoxes)->addWidget(box);
    }
    Body()->addWidget(indication);
    Body()->addWidget(stream);
}

}  // namespace tervis::boards
