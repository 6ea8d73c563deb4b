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
};

}  // namespace tervis
