#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// The 4C1И board: the four line conditions and the error count of each port.
class TInfC1IForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfC1IForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    std::array<QLabel*, 4> flags_{};
    QLabel* errors_;
    QLabel* errorRate_;
    QLabel* period_;
};

}  // namespace tervis
