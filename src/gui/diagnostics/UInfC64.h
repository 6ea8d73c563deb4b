#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// The 4C64 board: signal loss, slips and errors of each port.
class TInfC64Form : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfC64Form(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    QLabel* signalLoss_;
    QLabel* slips_;
    QLabel* slipsE_;
    QLabel* slipsF_;
    QLabel* slipRate_;
    QLabel* errors_;
    QLabel* errorRate_;
    QLabel* period_;
};

}  // namespace tervis
