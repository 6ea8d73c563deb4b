#include "gui/boards/UConfig4MB.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervis::boards {

namespace {

// The set captions of a check list.
QStringList Items(const char* format) {
    QStringList items;
    for (int set = 0; set < 4; ++set) {
        items << QString(format).arg(set);
    }
    return items;
}

// A list under its label, as a column of a row of lists.
void AddColumn(QHBoxLayout* row, const QString& label, QWidget* list) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(label, list->parentWidget()));
    column->addWidget(list);
    column->addStretch();
    row->addLayout(column);
}

}  // namespace

TConfig4MBForm::TConfig4MBForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(9), dialogs, parent, {"Button1", "Button2"}) {
    setObjectName("Config4MBForm");
    auto* row = new QHBoxLayout;
    AddColumn(row, "Режим работы комплектов",
              MakeCheckList(layout_.Fields[0], Items("Отключить комплект №%1"), this));
    AddColumn(row, "Конвертация МБ - E&M", MakeCheckList(layout_.Fields[1], Items("Комплект №%1"), this));
    Body()->addLayout(row);
    connect(OkButton(), &QPushButton::clicked, this, &TConfig4MBForm::Button1Click);
}

void TConfig4MBForm::Button1Click() {
    RunOkHandler();
}

}  // namespace tervis::boards
