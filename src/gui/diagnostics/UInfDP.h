#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// "Состояние ДП": the remote power board's feed and the line test.
class TInfDPForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfDPForm(TMux& mux, QWidget* parent = nullptr);

    void LineTestButtonClick();

protected:
    void Refresh(std::uintptr_t code) override;
    // The break voltage stays as it was measured: only the feed values go back to "???".
    void LinkLost() override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* stabilisation_;
    QLabel* voltage_;
    QLabel* current_;
    QLabel* leakage_;
    QLabel* breakVoltage_;
};

}  // namespace tervis
