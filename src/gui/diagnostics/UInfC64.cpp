#include "gui/diagnostics/UInfC64.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QVBoxLayout>

#include "core/base/Format.h"
#include "core/model/Mux.h"

namespace tervis {

TInfC64Form::TInfC64Form(TMux& mux, QWidget* parent) : TInfoForm(mux, parent) {
    setObjectName("InfC64Form");
    setWindowTitle("Плата 4C64");
    auto* layout = new QVBoxLayout(this);
    QTabBar* bar = AddTabs(layout, {"комплект 0", "комплект 1", "комплект 2", "комплект 3"}, "TabControl1");
    connect(bar, &QTabBar::currentChanged, this, [this](int index) { SelectPort(std::max(0, index)); });
    QGroupBox* alarms = AddGroup(layout, " Аварии ");
    signalLoss_ = AddValue(alarms, "Потеря сигнала", "Flag0");
    QGroupBox* statistics = AddGroup(layout, " Статистика ");
    slips_ = AddValue(statistics, "Проскальзываний:", "Slips");
    slipsE_ = AddValue(statistics, "- пропусков:", "SlipsE");
    slipsF_ = AddValue(statistics, "- повторов:", "SlipsF");
    slipRate_ = AddValue(statistics, "- в секунду:", "SlipRate");
    errors_ = AddValue(statistics, "Ошибок:", "FrameErrors");
    errorRate_ = AddValue(statistics, "- в секунду:", "ErrorRate");
    period_ = AddValue(statistics, "За период, с:", "Period");
    AddResetButton(statistics);
    AddCloseButton(layout, "&Закрыть");
    ResetValues();
}

void TInfC64Form::Refresh(std::uintptr_t) {
    const TStreamState& s = mux_.GetStreamState(slot_, port_);
    Show(signalLoss_, YesNo(s.Flags[0]));
    Show(slips_, Format("%u", s.SlipsTotal));
    Show(slipsE_, Format("%u", s.SlipsE));
    Show(slipsF_, Format("%u", s.SlipsF));
    Show(slipRate_, RateText(s.SlipRate));
    Show(errors_, Format("%u", s.FrameErrors));
    Show(errorRate_, RateText(s.ErrorRate));
    Show(period_, Format("%u", s.Period));
}

}  // namespace tervis
