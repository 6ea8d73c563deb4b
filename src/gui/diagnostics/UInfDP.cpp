#include "gui/diagnostics/InfoWindows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/Mux.h"
#include "gui/widgets/Named.h"

namespace tervis {

TInfDPForm::TInfDPForm(TMux& mux, QWidget* parent) : TInfoForm(mux, parent, "InfDPForm", "Состояние ДП") {
    QGridLayout* grid = AddPlainGroup();
    QPushButton* test = MakeButton("&тест линии", "LineTestButton", [this] { LineTestButtonClick(); });
    feed_.Bind(AddValue(grid, 0, "стабилизация", "Stabilisation"), &TDpInfo::Stabilisation);
    feed_.Bind(AddValue(grid, 1, "выходное напряжение, В:", "Voltage"), &TDpInfo::Voltage);
    feed_.Bind(AddValue(grid, 2, "выходной ток, мА:", "Current"), &TDpInfo::Current);
    feed_.Bind(AddValue(grid, 3, "ток утечки, мА:", "Leakage"), &TDpInfo::Leakage);
    breakVoltage_ = Named(new QLabel(kUnknownValue, this), "BreakVoltage");
    breakVoltage_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(test, 4, 0, Qt::AlignLeft);
    grid->addWidget(breakVoltage_, 4, 1);
    AddCloseButton(Column(), "&Закрыть");
    ResetValues();
}

void TInfDPForm::LineTestButtonClick() {
    mux_.LineTest(slot_, port_);
}

void TInfDPForm::LinkLost() {
    feed_.Clear();
}

void TInfDPForm::showEvent(QShowEvent* event) {
    LinkLost();
    TInfoForm::showEvent(event);
}

void TInfDPForm::Refresh(std::uintptr_t) {
    const TDpInfo info = DpInfo(mux_.GetDpState(slot_, port_));
    feed_.Show(info);
    Show(breakVoltage_, info.BreakVoltage);
}

}  // namespace tervis
