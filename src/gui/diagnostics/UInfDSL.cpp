#include "gui/diagnostics/InfoWindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/base/Format.h"
#include "core/model/Mux.h"

namespace tervis {

TInfDSLForm::TInfDSLForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfDSLForm", "Поток DSL") {
    AddTabs(Column(), PortTabs(1), "TabControl1");
    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    AddStreamFlag(alarms, 0);
    AddStreamFlag(alarms, 2);
    QGroupBox* signal = AddGroup(left, " Параметры сигнала ");
    const char* const kLine[] = {
        "Сигнал/шум, дБ", "Качество сигнала, дБ",   "Затухание, дБ", "B/D каналов",        "Code violations",
        "Error seconds",  "Severely error seconds", "LOSW seconds",  "Unavailable seconds"};
    for (std::size_t i = 0; i < line_.size(); ++i) {
        line_[i] = AddValue(signal, kLine[i], QString("Line%1").arg(i));
    }
    using C = TStreamCounter;
    AddStatistics(left, {{C::Errors, "Near end bit errors"},
                         C::Slips,
                         {C::SlipsE, " - прием:"},
                         {C::SlipsF, " - передача:"},
                         C::Period});
    AddStreamColumns(Column(), left, true);
    ResetValues();
}

void TInfDSLForm::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        ShowStreamState(mux_.GetStreamState(slot_, port_));
    } else if (code == kInfoLine) {
        const TDslLine& r = mux_.GetDslLine(slot_, port_);
        Show(line_[0], Format("%d", r[9]));
        Show(line_[1], Format("%d", r[10]));
        Show(line_[2], Format("%d", r[11]));
        Show(line_[3], Format("%d/%d", r[13], r[14]));
        for (std::size_t i = 0; i < 5; ++i) {
            Show(line_[4 + i], Format("%d", r[15 + i]));
        }
    } else {
        RefreshCas(code);
    }
}

}  // namespace tervis
