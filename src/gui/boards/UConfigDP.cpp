#include "gui/boards/UConfigDP.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervis::boards {

namespace {
constexpr int kVoltageSourceButton = 0;
constexpr int kCurrentSourceButton = 1;
}  // namespace

TConfigDPForm::TConfigDPForm(IDialogs& dialogs, QWidget* parent)
    : TBoardDialog(*FindBlockLayout(26), dialogs, parent, {"OkButton", "CancelButton"}) {
    setObjectName("ConfigDPForm");
    const std::vector<QRadioButton*> sources = MakeRadios(layout_.Fields[0], 0, this);
    // Each source button heads the settings that apply to it; all stay enabled and are all stored.
    const auto sourceColumn = [this](QRadioButton* button, std::initializer_list<const char*> lists) {
        const auto [frame, column] = MakeColumnGroup({}, this);
        column->addWidget(button);
        auto* grid = new QGridLayout;
        grid->setContentsMargins(20, 0, 0, 0);
        int row = 0;
        for (const char* name : lists) {
            AddListRow(grid, row++, Field(name), 0, frame);
        }
        column->addLayout(grid);
        column->addStretch();
        return frame;
    };
    auto* row = new QHBoxLayout;
    row->addWidget(
        sourceColumn(sources[kVoltageSourceButton], {"CBVoltageVal", "CBVoltageMaxI", "CBVoltageMinI"}));
    row->addWidget(sourceColumn(sources[kCurrentSourceButton],
                                {"CBCurrentVal", "CBCurrentMaxU", "CBCurrentMinU", "CBCurrentOffI"}));
    Body()->addLayout(row);
    auto* thresholds = new QGridLayout;
    AddListRow(thresholds, 0, Field("CBRestrictionLevel"), 0, this);
    AddListRow(thresholds, 1, Field("CBLeakLevel"), 0, this);
    thresholds->setColumnStretch(2, 1);
    Body()->addLayout(thresholds);
    for (const char* name : {"CBDisableLeak", "CBDisableBreak", "CBDisableShort", "CBOffline"}) {
        Body()->addWidget(MakeBox(Field(name), 0, this));
    }
}

}  // namespace tervis::boards
