// The board dialogs by type code.

#include "gui/boards/BoardDialog.h"
#include "gui/boards/UConfig1DSL.h"
#include "gui/boards/UConfig1E1.h"
#include "gui/boards/UConfig4DSL.h"
#include "gui/boards/UConfig4E1.h"
#include "gui/boards/UConfig4I15.h"
#include "gui/boards/UConfigCPU.h"
#include "gui/widgets/GuiSeams.h"

namespace tervis::boards {

std::unique_ptr<TConfigDialog> CreateBoardDialog(std::uint8_t type, IDialogs& dialogs, QWidget* parent) {
    switch (type) {
        case bt1E1:
            return std::make_unique<TConfig1E1Form>(dialogs, parent);
        case bt4E1:
            return std::make_unique<TConfig4E1Form>(dialogs, parent);
        case bt4ToP:
            return std::make_unique<TConfig4ToPForm>(dialogs, parent);
        case bt4I15:
            return std::make_unique<TConfig4I15Form>(dialogs, parent);
        case bt1DSL:
            return std::make_unique<TConfig1DSLForm>(dialogs, parent);
        case bt4DSL:
            return std::make_unique<TConfig4DSLForm>(dialogs, parent);
        case bt4DSLv2:
            return std::make_unique<TConfig4DSLv2Form>(dialogs, parent);
        case btCPU:
            return std::make_unique<TConfigCPUForm>(dialogs, parent);
        default:
            return nullptr;
    }
}

bool EditBoardConfig(TMux& model, int slot, IDialogs& dialogs, QWidget* parent) {
    const std::uint8_t type = model.SlotBoardType(slot);
    // Created for one opening and freed when it closes, whatever the result.
    const std::unique_ptr<TConfigDialog> dialog = CreateBoardDialog(type, dialogs, parent);
    if (!dialog) {
        return false;
    }
    if (auto* cpu = qobject_cast<TConfigCPUForm*>(dialog.get())) {
        cpu->LoadFromSettings(model.GetMuxSettings());
        if (dialogs.Exec(*cpu) != QDialog::Accepted) {
            return false;
        }
        TMuxSettings record{};
        cpu->StoreToSettings(record);
        model.SetMuxSettings(record);
        return true;
    }
    auto& board = static_cast<TBoardDialog&>(*dialog);
    board.setWindowTitle(QString::fromStdString(DialogTitle(type, slot)));
    TBoardConfig block = model.GetBoardConfig(slot);
    board.LoadFromBlock(block);
    if (dialogs.Exec(board) != QDialog::Accepted) {
        return false;
    }
    board.StoreToBlock(block);
    model.SetBoardConfig(slot, block);
    return true;
}

}  // namespace tervis::boards
