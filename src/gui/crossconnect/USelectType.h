#pragma once

#include <QDialog>

#include "core/model/Mux.h"

class QButtonGroup;
class QGroupBox;

namespace tervis {

// Chooses the board type of a slot. The caller titles it "Тип платы, слот N", presets it with the slot
// type record and, on OK, writes Result() back.
class TSelectTypeForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kItemCount = 25;

    explicit TSelectTypeForm(QWidget* parent = nullptr);

    // Selects the item of the record's type; a type the picker does not offer selects nothing.
    void Preset(const TSlotType& record);
    // The preset record with the type of the selected item (0 when none); the parameter words are kept.
    TSlotType Result() const;
    // The selected radio item, -1 when none.
    int ItemIndex() const;
    static std::uint8_t ItemType(int index);

private:
    QGroupBox* RadioGroup1;
    QButtonGroup* items_;
    TSlotType record_;
};

}  // namespace tervis
