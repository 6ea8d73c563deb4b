#pragma once

#include <array>

#include "gui/boards/BoardDialog.h"

class QTabWidget;

namespace tervis::boards {

// The four-stream boards with a tab per set: 4E1 and 4ToP share the layout; the 4ToP lacks the AMI and
// long-line options. Per set, "используется для удаленного управления" and "разговорный 0-й КИ" exclude
// each other.
class TConfigE1TabsForm : public TBoardDialog {
    Q_OBJECT
public:
    void FormCreate();
    // Bound to the eight exclusive boxes; sender is the box whose state changed.
    void CBZeroUsesClick(QCheckBox* sender);

protected:
    TConfigE1TabsForm(std::uint8_t type, const char* objectName, IDialogs& dialogs, QWidget* parent);

private:
    QTabWidget* tabs_;
    std::array<QCheckBox*, 8> zeroUses_{};
};

class TConfig4E1Form : public TConfigE1TabsForm {
    Q_OBJECT
public:
    explicit TConfig4E1Form(IDialogs& dialogs, QWidget* parent = nullptr);
};

class TConfig4ToPForm : public TConfigE1TabsForm {
    Q_OBJECT
public:
    explicit TConfig4ToPForm(IDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace tervis::boards
