#include "gui/diagnostics/UInfDSL.h"

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

TInfDSLForm::TInfDSLForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent) {
    setObjectName("InfDSLForm");
    setWindowTitle("Поток DSL");
    auto* layout = new QVBoxLayout(this);
    AddTabs(layout, {"комплект 0"}, "TabControl1");
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    QGroupBox* alarms = AddGroup(left, " Аварии ");
    signalLoss_ = AddValue(alarms, "Потеря сигнала", "Flag0");
    multiframeLoss_ = AddValue(alarms, "Потеря сверхцикловой синхронизации:", "Flag2");
    QGroupBox* signal = AddGroup(left, " Параметры сигнала ");
    const char* const kLine[] = {
        "Сигнал/шум, дБ", "Качество сигнала, дБ",   "Затухание, дБ", "B/D каналов",        "Code violations",
        "Error seconds",  "Severely error seconds", "LOSW seconds",  "Unavailable seconds"};
    for (std::size_t i = 0; i < line_.size(); ++i) {
        line_[i] = AddValue(signal, kLine[i], QString("Line%1").arg(i));
    }
    QGroupBox* statistics = AddGroup(left, " Статистика ");
    bitErrors_ = AddValue(statistics, "Near end bit errors", "FrameErrors");
    slips_ = AddValue(statistics, "Проскальзываний:", "Slips");
    slipsE_ = AddValue(statistics, " - прием:", "SlipsE");
    slipsF_ = AddValue(statistics, " - передача:", "SlipsF");
    period_ = AddValue(statistics, "За период, с:", "Period");
    AddResetButton(statistics);
    left->addStretch();
    columns->addLayout(left);

    std::tie(received_, transmitted_) = AddCasColumn(columns, true);
    layout->addLayout(columns);
    AddCloseButton(layout, "&Закрыть");
    ResetValues();
}

void TInfDSLForm::Refresh(std::uintptr_t code) {
    if (code == kInfoState) {
        const TStreamState& s = mux_.GetStreamState(slot_, port_);
        Show(signalLoss_, YesNo(s.Flags[0]));
        Show(multiframeLoss_, YesNo(s.Flags[2]));
        Show(bitErrors_, Format("%u", s.FrameErrors));
        Show(slips_, Format("%u", s.SlipsTotal));
        Show(slipsE_, Format("%u", s.SlipsE));
        Show(slipsF_, Format("%u", s.SlipsF));
        Show(period_, Format("%u", s.Period));
    } else if (code == kInfoLine) {
        const TDslLine& r = mux_.GetDslLine(slot_, port_);
        Show(line_[0], Format("%d", r[9]));
        Show(line_[1], Format("%d", r[10]));
        Show(line_[2], Format("%d", r[11]));
        Show(line_[3], Format("%d/%d", r[13], r[14]));
        for (std::size_t i = 0; i < 5; ++i) {
            Show(line_[4 + i], Format("%d", r[15 + i]));
        }
    } else if (code == kInfoCasReceived) {
        ShowCas(received_, E1CasRows(mux_.GetCasReceived(slot_, port_)));
    } else if (code == kInfoCasTransmitted) {
        ShowCas(transmitted_, E1CasRows(mux_.GetCasTransmitted(slot_, port_)));
    }
}

}  // namespace tervis
