#include "gui/diagnostics/InfoWindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/model/Mux.h"

namespace tervis {

TInfE1Form::TInfE1Form(TMux& mux, int streams, QWidget* parent)
    : TInfoForm(mux, parent, "InfE1Form", "Поток Е1") {
    AddPortTabs(Column(), streams);

    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    for (int i = 0; i < kStreamAlarmFlags; ++i) {
        AddStreamFlag(alarms, i);
    }
    using C = TStreamCounter;
    AddStatistics(left, {C::Slips,
                         C::SlipsE,
                         C::SlipsF,
                         C::SlipRate,
                         C::Period,
                         {C::Errors, "Ошибок фрейма:"},
                         C::ErrorRate});
    AddStreamColumns(Column(), left, true);
    ResetValues();
}

void TInfE1Form::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        ShowStreamState(mux_.GetStreamState(slot_, port_));
    } else {
        RefreshCas(code);
    }
}

}  // namespace tervis
