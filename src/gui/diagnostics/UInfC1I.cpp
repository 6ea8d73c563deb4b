#include "gui/diagnostics/InfoWindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/base/Format.h"
#include "core/model/Mux.h"

namespace tervis {

TInfC1IForm::TInfC1IForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfC1IForm", "Плата 4С1И") {
    AddPortTabs(Column(), 4);
    QGroupBox* alarms = AddGroup(Column(), " Аварии ");
    flags_[0] = AddValue(alarms, "Потеря сигнала", "Flag0");
    flags_[1] = AddValue(alarms, "Удаленная авария", "Flag1");
    flags_[2] = AddValue(alarms, "Авария \"все единицы\"", "Flag2");
    flags_[3] = AddValue(alarms, "Авария \"все нули\"", "Flag3");
    QGroupBox* statistics = AddGroup(Column(), " Статистика ");
    errors_ = AddValue(statistics, "Ошибок:", "Errors");
    errorRate_ = AddValue(statistics, "- в секунду:", "ErrorRate");
    period_ = AddValue(statistics, "За период, с:", "Period");
    AddResetButton(statistics);
    AddCloseButton(Column(), "&Закрыть");
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
