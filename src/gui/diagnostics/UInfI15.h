#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// The 4И15 board: stream alarms (losses implied downwards), slips and errors, 15-channel CAS bits.
class TInfI15Form : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfI15Form(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    // Signal, frame and multiframe loss, each implied by the one before.
    std::array<QLabel*, 3> losses_{};
};

}  // namespace tervis
