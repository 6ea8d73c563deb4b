#include "gui/diagnostics/UInfCPU.h"

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
    kind_ = AddValue(grid, 0, "Тип платы ЦП", "Kind");
    version_ = AddValue(grid, 1, "Версия программы ЦП", "Version");
    chassis_ = AddValue(grid, 2, "Каркас", "Chassis");
    load_ = AddValue(grid, 3, "Загрузка (125мкс/2мс, %)", "Load");
    uptime_ = AddValue(grid, 4, "В работе", "Uptime");
    restarts_ = AddValue(grid, 5, "Перезапусков", "Restarts");
    grid->addWidget(MakeButton("Сброс", "ResetButton", [this] { ResetButtonClick(); }), 5, 2);
    level_ = AddValue(grid, 6, "Уровень (-65..+6), дБ", "Level");
    QGroupBox* sync = AddGroup(Column(), " Синхронизация ");
    syncSlot_ = AddValue(sync, "Слот", "SyncSlot");
    syncPort_ = AddValue(sync, "Порт", "SyncPort");
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
    const TCpuInfo info = CpuInfo(mux_.CpuStatus());
    Show(kind_, info.Kind);
    Show(version_, info.Version);
    Show(chassis_, info.Chassis);
    Show(load_, info.Load);
    Show(uptime_, info.Uptime);
    Show(restarts_, info.Restarts);
    Show(level_, info.Level);
    Show(syncSlot_, info.SyncSlot);
    Show(syncPort_, info.SyncPort);
}

}  // namespace tervis
