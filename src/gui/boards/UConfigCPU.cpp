#include "gui/boards/UConfigCPU.h"
#include "gui/widgets/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tervis::boards {

namespace {
constexpr int kSlotField = 0;
constexpr int kPriorityField = 1;
constexpr int kSyncTypeField = 2;
constexpr int kFirstAlarmField = 3;
}  // namespace

TConfigCPUForm::TConfigCPUForm(IDialogs& dialogs, QWidget* parent)
    : TConfigDialog(dialogs, parent, {"OkButton", "CancelButton"}, TOkGuard::None),
      layout_(MuxSettingsLayout()) {
    setObjectName("ConfigCPUForm");
    setWindowTitle("Настройки мультиплексора");
    const auto& fields = layout_.Fields;

    auto* tabs = MakePageControl(this);
    tabs->setUsesScrollButtons(false);  // every set's tab in sight
    QWidget* sync = MakeTabSheet(tabs, 1);
    auto* syncColumn = new QVBoxLayout(sync);

    auto* radioGroup = Named(new QGroupBox(" Тип синхронизации ", sync), "RadioGroup1");
    auto* radioColumn = new QVBoxLayout(radioGroup);
    syncTypes_ = MakeRadios(fields[kSyncTypeField], 0, radioGroup);
    for (QRadioButton* button : syncTypes_) {
        radioColumn->addWidget(button);
        // Runs whenever the selected type changes, loading included.
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                RadioGroup1Click();
            }
        });
    }
    syncColumn->addWidget(radioGroup);

    table_ = Named(new QGroupBox(" Таблица приоритетов ", sync), "GroupBox1");
    auto* grid = new QGridLayout(table_);
    for (int input = 0; input < kInputs; ++input) {
        auto* label =
            Named(new QLabel(QString("Вход %1").arg(input), table_), QString("Label%1").arg(input + 1));
        label->setVisible(false);
        inputLabels_[static_cast<std::size_t>(input)] = label;
        grid->addWidget(label, input, 0);
        grid->addWidget(MakeList(fields[kSlotField], input, table_), input, 1);
        grid->addWidget(MakeList(fields[kPriorityField], input, table_), input, 2);
    }
    syncColumn->addWidget(table_);
    syncColumn->addStretch();
    tabs->addTab(sync, "Синхронизация");

    QWidget* alarms = MakeTabSheet(tabs, 2);
    auto* alarmColumn = new QVBoxLayout(alarms);
    auto* alarmGroup = Named(new QGroupBox(" Сигнализировать об авариях  ", alarms), "GroupBox2");
    auto* boxes = new QVBoxLayout(alarmGroup);
    for (std::size_t field = kFirstAlarmField; field < fields.size(); ++field) {
        boxes->addWidget(MakeBox(fields[field], 0, alarmGroup));
    }
    alarmColumn->addWidget(alarmGroup);
    alarmColumn->addStretch();
    tabs->addTab(alarms, "Сигнализация");

    Body()->addWidget(tabs);
}

void TConfigCPUForm::LoadFromSettings(const TMuxSettings& record) {
    const auto& fields = layout_.Fields;
    for (int input = 0; input < kInputs; ++input) {
        LoadField(record, fields[kSlotField], input);
        LoadField(record, fields[kPriorityField], input);
    }
    const unsigned type = record[6];
    CheckRadio(syncTypes_, type < syncTypes_.size() ? static_cast<int>(type) : -1);
    for (std::size_t field = kFirstAlarmField; field < fields.size(); ++field) {
        LoadField(record, fields[field], 0);
    }
    record_ = record;
}

void TConfigCPUForm::RebuildWorkingCopy() {
    // Work on a copy so that a refused OK leaves the working copy as it was.
    TMuxSettings rebuilt = record_;
    ClearRebuiltWords(rebuilt, layout_);
    const auto& fields = layout_.Fields;
    for (int input = 0; input < kInputs; ++input) {
        StoreField(rebuilt, fields[kSlotField], input);
        StoreField(rebuilt, fields[kPriorityField], input);
    }
    StoreField(rebuilt, fields[kSyncTypeField], 0);
    for (std::size_t field = kFirstAlarmField; field < fields.size(); ++field) {
        StoreField(rebuilt, fields[field], 0);
    }
    record_ = rebuilt;
}

void TConfigCPUForm::RadioGroup1Click() {
    const int type = CheckedRadio(syncTypes_);
    table_->setVisible(type == 1 || type == 2);
    for (QLabel* label : inputLabels_) {
        label->setVisible(type == 2);
    }
}

}  // namespace tervis::boards
