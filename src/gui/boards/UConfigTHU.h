#pragma once

#include <array>

#include "gui/boards/BoardDialog.h"

class QCheckBox;
class QLabel;
class QSlider;

namespace tervis::boards {

// The 4ТЧУ board: adjustable transmit and receive levels per set, each shown in dB beside its track bar,
// a two-wire box per set (kept in the slot type record, not in the block) and a protocol per set.
// Loaded in two steps: the block, then the slot type record.
class TConfigTHUForm : public TBoardDialog {
    Q_OBJECT
public:
    static constexpr int kSets = 4;

    explicit TConfigTHUForm(IDialogs& dialogs, QWidget* parent = nullptr);
    // The second load step: the two-wire boxes from bits 0..3 of the first parameter word.
    void SetSlotType(const TSlotType& record);
    // The record handed back: type 20, a bit per checked two-wire box, second parameter word 0.
    TSlotType SlotType() const;

    void FormCreate();
    // Refresh the transmit (receive) label of the set given by the sender's tag.
    void TxTrackBarChange(QObject* sender);
    void RxTrackBarChange(QObject* sender);

private:
    std::array<QSlider*, kSets> txBars_{};
    std::array<QSlider*, kSets> rxBars_{};
    std::array<QLabel*, kSets> txLabels_{};
    std::array<QLabel*, kSets> rxLabels_{};
    std::array<QCheckBox*, kSets> twoWire_{};
};

}  // namespace tervis::boards
