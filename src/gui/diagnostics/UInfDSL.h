#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// The 1DSL board: stream alarms, the line's signal parameters, slips and the CAS bits.
class TInfDSLForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfDSLForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    std::array<QLabel*, 9> line_{};
};

}  // namespace tervis
