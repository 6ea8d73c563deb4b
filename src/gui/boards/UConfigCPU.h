#pragma once

#include "gui/boards/BoardDialog.h"

class QGroupBox;
class QLabel;

namespace tervis::boards {

// "Настройки мультиплексора": the clock source table and the stream alarms the device reports. Edits
// the multiplexer settings record instead of a block.
class TConfigCPUForm : public TConfigDialog {
    Q_OBJECT
public:
    static constexpr int kInputs = 6;

    explicit TConfigCPUForm(IDialogs& dialogs, QWidget* parent = nullptr);

    void LoadFromSettings(const TMuxSettings& record);
    void StoreToSettings(TMuxSettings& record) const { record = record_; }
    const TMuxSettings& WorkingCopy() const { return record_; }

    void RadioGroup1Click();

protected:
    void RebuildWorkingCopy() override;

private:
    const TBlockLayout& layout_;
    TMuxSettings record_{};
    QGroupBox* table_;
    std::array<QLabel*, kInputs> inputLabels_{};
    std::vector<QRadioButton*> syncTypes_;
};

}  // namespace tervis::boards
