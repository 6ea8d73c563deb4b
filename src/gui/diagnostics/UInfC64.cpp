#include "gui/diagnostics/InfoWindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/model/Mux.h"

namespace tervis {

TInfC64Form::TInfC64Form(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfC64Form", "Плата 4C64") {
    AddPortTabs(Column(), 4);
    QGroupBox* alarms = AddGroup(Column(), " Аварии ");
    AddStreamFlag(alarms, 0);
    using C = TStreamCounter;
    AddStatistics(Column(),
                  {C::Slips, C::SlipsE, C::SlipsF, C::SlipRate, C::Errors, C::ErrorRate, C::Period});
    AddCloseButton(Column(), "&Закрыть");
    ResetValues();
}

void TInfC64Form::Refresh(std::uintptr_t) {
    ShowStreamState(mux_.GetStreamState(slot_, port_));
}

}  // namespace tervis
