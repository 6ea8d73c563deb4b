#include "gui/diagnostics/UInfC1I.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QVBoxLayout>

#include "core/base/Format.h"
#include "core/model/Mux.h"

namespace tervis {

TInfC1IForm::TInfC1IForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent) {
    setObjectName("InfC1IForm");
    setWindowTitle("Плата 4С1И");
    auto* layout = new QVBoxLayout(this);
    QTabBar* bar = AddTabs(layout, {"комплект 0", "комплект 1", "комплект 2", "комплект 3"}, "TabControl1");
    connect(bar, &QTabBar::currentChanged, this, [this](int index) { SelectPort(std::max(0, index)); });
    QGroupBox* alarms = AddGroup(layout, " Аварии ");
    flags_[0] = AddValue(alarms, "Потеря сигнала", "Flag0");
    flags_[1] = AddValue(alarms, "Удаленная авария", "Flag1");
    flags_[2] = AddValue(alarms, "Авария \"все единицы\"", "Flag2");
    flags_[3] = AddValue(alarms, "Авария \"все нули\"", "Flag3");
    QGroupBox* statistics = AddGroup(layout, " Статистика ");
    errors_ = AddValue(statistics, "Ошибок:", "Errors");
    errorRate_ = AddValue(statistics, "- в секунду:", "ErrorRate");
    period_ = AddValue(statistics, "За период, с:", "Period");
    AddResetButton(statistics);
    AddCloseButton(layout, "&Закрыть");
    ResetValues();
}

void TInfC1IForm::Refresh(std::uintptr_t) {
    const TC1IState& s = mux_.GetC1IState(slot_, port_);
    Show(flags_[0], YesNo(s.SignalLoss));
    Show(flags_[1], YesNo(s.RemoteAlarm));
    Show(flags_[2], YesNo(s.AllOnes));
    Show(flags_[3], YesNo(s.AllZeros));
    Show(errors_, Format("%u", s.Errors));
    Show(errorRate_, RateText(s.ErrorRate));
    Show(period_, Format("%u", s.Period));
}

}  // namespace tervis
