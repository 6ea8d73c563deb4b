#include "gui/diagnostics/InfoWindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/model/Mux.h"

namespace tervis {

TInfI15Form::TInfI15Form(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfI15Form", "Плата 4I15") {
    AddPortTabs(Column(), 4);

    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    for (std::size_t i = 0; i < losses_.size(); ++i) {
        const int flag = static_cast<int>(i);
        losses_[i] = AddValue(alarms, StreamFlagCaption(flag), QString("Flag%1").arg(flag));
    }
    AddStreamFlag(alarms, 3, "Удаленная авария:");
    AddStreamFlag(alarms, 4, "Повышенный коэффицент\nошибок (удал.):");
    AddStreamFlag(alarms, 5);
    AddStreamFlag(alarms, 6);
    using C = TStreamCounter;
    AddStatistics(left, {C::Slips, C::SlipRate, C::Errors, C::ErrorRate, C::Period});
    AddStreamColumns(Column(), left, false);
    ResetValues();
}

void TInfI15Form::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        const TStreamState& s = mux_.GetStreamState(slot_, port_);
        const TI15Losses losses = I15Losses(s);
        Show(losses_[0], YesNo(losses.Signal ? 1 : 0));
        Show(losses_[1], YesNo(losses.Frame ? 1 : 0));
        Show(losses_[2], YesNo(losses.Multiframe ? 1 : 0));
        ShowStreamState(s);
    } else {
        RefreshCas(code);
    }
}

}  // namespace tervis
