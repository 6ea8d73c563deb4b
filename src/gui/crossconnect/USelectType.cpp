#include "gui/crossconnect/USelectType.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

#include "gui/widgets/DialogButtons.h"
#include "gui/widgets/Named.h"

namespace tervis {

namespace {

struct TTypeItem {
    const char* Text;
    std::uint8_t Type;
};

// The order the operator knows; the names are not always the catalogue's short names.
constexpr std::array<TTypeItem, TSelectTypeForm::kItemCount> kTypeItems{{
    {"нет платы", 0},         {"плата 4ТЧ, 4KSR", 1}, {"плата 4АЛ", 2},   {"плата 4АК", 3},
    {"плата 4МБ", 9},         {"плата 4СЛУ", 11},     {"плата 4V24", 8},  {"плата 2VS", 12},
    {"плата 4С64", 15},       {"плата АДИКМ", 14},    {"плата 4И15", 13}, {"плата 1Е1", 7},
    {"плата 4E1", 10},        {"плата LAN", 16},      {"плата 8АК", 18},  {"плата 4С1И", 19},
    {"плата 4ТЧУ", 20},       {"плата 4ToP", 22},     {"плата 1DSL", 23}, {"плата 1/2/4DSL", 24},
    {"плата 4DSL' ", 33},     {"плата ДП", 26},       {"плата ТЛМ", 25},  {"плата 4TLG", 27},
    {"плата 1/2/4DSLv2", 29},
}};

constexpr int kRowsPerColumn = (TSelectTypeForm::kItemCount + 1) / 2;

}  // namespace

TSelectTypeForm::TSelectTypeForm(QWidget* parent) : QDialog(parent) {
    setObjectName("SelectTypeForm");
    setWindowTitle("Тип платы");

    RadioGroup1 = Named(new QGroupBox(" Тип платы ", this), "RadioGroup1");
    items_ = new QButtonGroup(this);
    auto* grid = new QGridLayout(RadioGroup1);
    grid->setVerticalSpacing(0);
    for (int index = 0; index < kItemCount; ++index) {
        auto* item = Named(new QRadioButton(kTypeItems[index].Text, RadioGroup1),
                           QString("RadioButton_%1").arg(index));
        items_->addButton(item, index);
        // Filled column by column, like a two-column radio group.
        grid->addWidget(item, index % kRowsPerColumn, index / kRowsPerColumn);
    }

    const TDialogButtons buttons = MakeDialogButtons(*this, "ОК", "Отмена");
    connect(buttons.Ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addLayout(buttons.Row);
    resize(270, 289);
}

std::uint8_t TSelectTypeForm::ItemType(int index) {
    return kTypeItems.at(static_cast<std::size_t>(index)).Type;
}

void TSelectTypeForm::Preset(const TSlotType& record) {
    record_ = record;
    // An exclusive group cannot be emptied, and a type without an item must show no selection.
    items_->setExclusive(false);
    for (int index = 0; index < kItemCount; ++index) {
        items_->button(index)->setChecked(kTypeItems[index].Type == record.Type);
    }
    items_->setExclusive(true);
}

int TSelectTypeForm::ItemIndex() const {
    return items_->checkedId();
}

TSlotType TSelectTypeForm::Result() const {
    TSlotType result = record_;
    const int index = ItemIndex();
    result.Type = index < 0 ? std::uint8_t{btNone} : kTypeItems[index].Type;
    return result;
}

}  // namespace tervis
