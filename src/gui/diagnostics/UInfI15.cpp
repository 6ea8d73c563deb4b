#include "gui/diagnostics/UInfI15.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QVBoxLayout>
#include <tuple>

#include "core/base/Format.h"
#include "core/model/Mux.h"

namespace tervis {

TInfI15Form::TInfI15Form(TMux& mux, QWidget* parent) : TInfoForm(mux, parent) {
    setObjectName("InfI15Form");
    setWindowTitle("Плата 4I15");
    auto* layout = new QVBoxLayout(this);
    QTabBar* bar = AddTabs(layout, {"комплект 0", "комплект 1", "комплект 2", "комплект 3"}, "TabControl1");
    connect(bar, &QTabBar::currentChanged, this, [this](int index) { SelectPort(std::max(0, index)); });

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    const char* const kFlags[kStreamAlarmFlags] = {"Потеря сигнала",
                                                   "Потеря цикловой синхронизации:",
                                                   "Потеря сверхцикловой синхронизации:",
                                                   "Удаленная авария:",
                                                   "Повышенный коэффицент\nошибок (удал.):",
                                                   "Ошибок > 10е-3 (40 за 10 с):",
                                                   "Ошибок > 10е-6 (7 за 30 м):"};
    for (int i = 0; i < kStreamAlarmFlags; ++i) {
        flags_[static_cast<std::size_t>(i)] = AddValue(alarms, kFlags[i], QString("Flag%1").arg(i));
    }
    QGroupBox* statistics = AddGroup(left, " Статистика ");
    slips_ = AddValue(statistics, "Проскальзываний:", "Slips");
    slipRate_ = AddValue(statistics, "- в секунду:", "SlipRate");
    errors_ = AddValue(statistics, "Ошибок:", "FrameErrors");
    errorRate_ = AddValue(statistics, "- в секунду:", "ErrorRate");
    period_ = AddValue(statistics, "За период, с:", "Period");
    AddResetButton(statistics);
    left->addStretch();
    columns->addLayout(left);

    std::tie(received_, transmitted_) = AddCasColumn(columns, false);
    layout->addLayout(columns);
    AddCloseButton(layout, "&Закрыть");
    ResetValues();
}

void TInfI15Form::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        const TStreamState& s = mux_.GetStreamState(slot_, port_);
        const TI15Losses losses = I15Losses(s);
        Show(flags_[0], YesNo(losses.Signal ? 1 : 0));
        Show(flags_[1], YesNo(losses.Frame ? 1 : 0));
        Show(flags_[2], YesNo(losses.Multiframe ? 1 : 0));
        for (std::size_t i = 3; i < flags_.size(); ++i) {
            Show(flags_[i], YesNo(s.Flags[i]));
        }
        Show(slips_, Format("%u", s.SlipsTotal));
        Show(slipRate_, RateText(s.SlipRate));
        Show(errors_, Format("%u", s.FrameErrors));
        Show(errorRate_, RateText(s.ErrorRate));
        Show(period_, Format("%u", s.Period));
    } else if (code == kInfoCasReceived) {
        ShowCas(received_, I15CasRows(mux_.GetCasReceived15(slot_, port_)));
    } else if (code == kInfoCasTransmitted) {
        ShowCas(transmitted_, I15CasRows(mux_.GetCasTransmitted15(slot_, port_)));
    }
}

}  // namespace tervis
