#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// "Информация ЦП": the CPU board's kind, version, load, uptime, restarts, measured level and clock source.
class TInfCPUForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfCPUForm(TMux& mux, QWidget* parent = nullptr);

    // "Сброс": the restart counter (slot 15, port 15).
    void ResetButtonClick() override;

protected:
    void Refresh(std::uintptr_t code) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* kind_;
    QLabel* version_;
    QLabel* chassis_;
    QLabel* load_;
    QLabel* uptime_;
    QLabel* restarts_;
    QLabel* level_;
    QLabel* syncSlot_;
    QLabel* syncPort_;
};

}  // namespace tervis
