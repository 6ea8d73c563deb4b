#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// Stream information of the 1E1, 4E1 and 4ToP boards: alarms, slips and errors, the CAS bits.
class TInfE1Form : public TInfoForm {
    Q_OBJECT
public:
    // streams: 1 for the 1E1, 4 otherwise (one tab each).
    TInfE1Form(TMux& mux, int streams, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;
};

}  // namespace tervis
