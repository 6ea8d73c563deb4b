#include "gui/diagnostics/UInfE1.h"

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

TInfE1Form::TInfE1Form(TMux& mux, int streams, QWidget* parent) : TInfoForm(mux, parent) {
    setObjectName("InfE1Form");
    setWindowTitle("Поток Е1");
    auto* layout = new QVBoxLayout(this);
    QStringList tabs;
    for (int i = 0; i < streams; ++i) {
        tabs << QString("комплект %1").arg(i);
    }
    QTabBar* bar = AddTabs(layout, tabs, "TabControl1");
    connect(bar, &QTabBar::currentChanged, this, [this](int index) { SelectPort(std::max(0, index)); });

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    const char* const kFlags[kStreamAlarmFlags] = {"Потеря сигнала",
                                                   "Потеря цикловой синхронизации:",
                                                   "Потеря сверхцикловой синхронизации:",
                                                   "Потеря цикловой синхронизации (удал.):",
                                                   "Потеря сверхцикловой синхронизации (удал.):",
                                                   "Ошибок > 10е-3 (40 за 10 с):",
                                                   "Ошибок > 10е-6 (7 за 30 м):"};
    for (int i = 0; i < kStreamAlarmFlags; ++i) {
        flags_[static_cast<std::size_t>(i)] = AddValue(alarms, kFlags[i], QString("Flag%1").arg(i));
    }
    QGroupBox* statistics = AddGroup(left, " Статистика ");
    slips_ = AddValue(statistics, "Проскальзываний:", "Slips");
    slipsE_ = AddValue(statistics, "- пропусков:", "SlipsE");
    slipsF_ = AddValue(statistics, "- повторов:", "SlipsF");
    slipRate_ = AddValue(statistics, "- в секунду:", "SlipRate");
    period_ = AddValue(statistics, "За период, с:", "Period");
    errors_ = AddValue(statistics, "Ошибок фрейма:", "FrameErrors");
    errorRate_ = AddValue(statistics, "- в секунду:", "ErrorRate");
    AddResetButton(statistics);
    left->addStretch();
    columns->addLayout(left);

    std::tie(received_, transmitted_) = AddCasColumn(columns, true);
    layout->addLayout(columns);
    AddCloseButton(layout, "&Закрыть");
    ResetValues();
}

void TInfE1Form::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        const TStreamState& s = mux_.GetStreamState(slot_, port_);
        for (std::size_t i = 0; i < flags_.size(); ++i) {
            Show(flags_[i], YesNo(s.Flags[i]));
        }
        Show(slips_, Format("%u", s.SlipsTotal));
        Show(slipsE_, Format("%u", s.SlipsE));
        Show(slipsF_, Format("%u", s.SlipsF));
        Show(slipRate_, RateText(s.SlipRate));
        Show(period_, Format("%u", s.Period));
        Show(errors_, Format("%u", s.FrameErrors));
        Show(errorRate_, RateText(s.ErrorRate));
    } else if (code == kInfoCasReceived) {
        ShowCas(received_, E1CasRows(mux_.GetCasReceived(slot_, port_)));
    } else if (code == kInfoCasTransmitted) {
        ShowCas(transmitted_, E1CasRows(mux_.GetCasTransmitted(slot_, port_)));
    }
}

}  // namespace tervis
