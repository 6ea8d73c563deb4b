#pragma once

#include "gui/diagnostics/InfoForm.h"

namespace tervis {

// The 4DSL and 4DSLv2 boards: the line state tables of each set and the CAS bits of its two CAS streams.
// The port is CAS stream × 4 + set.
class TInf4DSLForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInf4DSLForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    void TabChanged(bool setTab);

    QTabBar* sets_;
    QTabBar* cas_;
    QLabel* state_;
    QLabel* condition_;
    QLabel* reason_;
    QLabel* coding_;
    std::array<QLabel*, 8> numbers_{};
    QLabel* cas1Lost_;
    QLabel* cas2Lost_;
};

}  // namespace tervis
