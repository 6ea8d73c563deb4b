#include "gui/boards/VoiceTabs.h"
#include "gui/widgets/Named.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace tervis::boards {

QWidget* MakeProtocolTab(const TBlockField& protocol, QWidget* parent) {
    QWidget* page = MakeTabSheet(parent, 2);
    auto* grid = new QGridLayout(page);
    for (int set = 0; set < 4; ++set) {
        auto* label = new QLabel(QString("Комплект %1").arg(set), page);
        auto* list = Named(new QComboBox(page), QString::fromStdString(ControlName(protocol, set)));
        for (const std::string& item : ListItems(protocol)) {
            list->addItem(QString::fromStdString(item));
        }
        list->setCurrentIndex(-1);
        label->setBuddy(list);
        grid->addWidget(label, set, 0);
        grid->addWidget(list, set, 1);
    }
    grid->setRowStretch(4, 1);
    return page;
}

}  // namespace tervis::boards
