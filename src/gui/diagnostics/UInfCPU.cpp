#include "gui/diagnostics/InfoWindows.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/Mux.h"

namespace tervis {

namespace {
constexpr int kCpuCounterSlot = 15;  // with port 15: the byte 0xFF, the CPU's restart counter
}

TInfCPUForm::TInfCPUForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfCPUForm", "Информация ЦП") {
    QGridLayout* grid = AddPlainGroup();
    cpu_.Bind(AddValue(grid, 0, "Тип платы ЦП", "Kind"), &TCpuInfo::Kind);
    cpu_.Bind(AddValue(grid, 1, "Версия программы ЦП", "Version"), &TCpuInfo::Version);
    cpu_.Bind(AddValue(grid, 2, "Каркас", "Chassis"), &TCpuInfo::Chassis);
    cpu_.Bind(AddValue(grid, 3, "Загрузка (125мкс/2мс, %)", "Load"), &TCpuInfo::Load);
    // The longest uptime the device can count, 2^32 seconds, in full.
    QLabel* uptime = AddValue(grid, 4, "В работе", "Uptime");
    uptime->setMinimumWidth(QFontMetrics(uptime->font()).horizontalAdvance("(49710) 06:28:15"));
    cpu_.Bind(uptime, &TCpuInfo::Uptime);
    cpu_.Bind(AddValue(grid, 5, "Перезапусков", "Restarts"), &TCpuInfo::Restarts);
    grid->addWidget(MakeButton("Сброс", "ResetButton", [this] { ResetButtonClick(); }), 5, 2);
    cpu_.Bind(AddValue(grid, 6, "Уровень (-65..+6), дБ", "Level"), &TCpuInfo::Level);
    QGroupBox* sync = AddGroup(Column(), " Синхронизация ");
    cpu_.Bind(AddValue(sync, "Слот", "SyncSlot"), &TCpuInfo::SyncSlot);
    cpu_.Bind(AddValue(sync, "Порт", "SyncPort"), &TCpuInfo::SyncPort);
    AddCloseButton(Column(), "&ОК");
    ResetValues();
}

void TInfCPUForm::ResetButtonClick() {
    mux_.ResetCounters(kCpuCounterSlot, kCpuCounterSlot);
}

void TInfCPUForm::showEvent(QShowEvent* event) {
    ResetValues();
    TInfoForm::showEvent(event);
}

void TInfCPUForm::Refresh(std::uintptr_t code) {
    if (code != kInfoCpu) {
        return;
    }
    cpu_.Show(CpuInfo(mux_.CpuStatus()));
}

}  // namespace tervis
