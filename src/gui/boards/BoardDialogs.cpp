// The board dialogs by type code.

#include "gui/boards/BoardDialog.h"
#include "gui/boards/UConfig1DSL.h"
#include "gui/boards/UConfig1E1.h"
#include "gui/boards/UConfig2VS.h"
#include "gui/boards/UConfig4C1I.h"
#include "gui/boards/UConfig4C64.h"
#include "gui/boards/UConfig4DSL.h"
#include "gui/boards/UConfig4E1.h"
#include "gui/boards/UConfig4I15.h"
#include "gui/boards/UConfig4MB.h"
#include "gui/boards/UConfig4TLG.h"
#include "gui/boards/UConfig4V24.h"
#include "gui/boards/UConfig8AK.h"
#include "gui/boards/UConfigADPCM.h"
#include "gui/boards/UConfigAK.h"
#include "gui/boards/UConfigAL.h"
#include "gui/boards/UConfigCPU.h"
#include "gui/boards/UConfigDP.h"
#include "gui/boards/UConfigLAN.h"
#include "gui/boards/UConfigSLU.h"
#include "gui/boards/UConfigTH.h"
#include "gui/boards/UConfigTHU.h"
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
        case bt4TCh:
            return std::make_unique<TConfigTHForm>(dialogs, parent);
        case bt4TChU:
            return std::make_unique<TConfigTHUForm>(dialogs, parent);
        case bt4AK:
            return std::make_unique<TConfigAKForm>(dialogs, parent);
        case bt4AL:
            return std::make_unique<TConfigALForm>(dialogs, parent);
        case bt4MB:
            return std::make_unique<TConfig4MBForm>(dialogs, parent);
        case bt4SLU:
            return std::make_unique<TConfigSLUForm>(dialogs, parent);
        case btADPCM:
            return std::make_unique<TConfigADPCMForm>(dialogs, parent);
        case bt8AK:
            return std::make_unique<TConfig8AKForm>(dialogs, parent);
        case bt4TLG:
            return std::make_unique<TConfig4TLGForm>(dialogs, parent);
        case bt4V24:
            return std::make_unique<TConfig4V24Form>(dialogs, parent);
        case bt2VS:
            return std::make_unique<TConfig2VSForm>(dialogs, parent);
        case bt4C64:
            return std::make_unique<TConfig4C64Form>(dialogs, parent);
        case btLAN:
            return std::make_unique<TConfigLANForm>(dialogs, parent);
        case bt4C1I:
            return std::make_unique<TConfig4C1IForm>(dialogs, parent);
        case btDP:
            return std::make_unique<TConfigDPForm>(dialogs, parent);
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
    // The 4ТЧУ also edits the slot type record: loaded second, handed back after the block.
    auto* thu = qobject_cast<TConfigTHUForm*>(&board);
    if (thu != nullptr) {
        thu->SetSlotType(model.GetSlotType(slot));
    }
    if (dialogs.Exec(board) != QDialog::Accepted) {
        return false;
    }
    board.StoreToBlock(block);
    model.SetBoardConfig(slot, block);
    if (thu != nullptr) {
        // The type stays 20, so the block just stored is not reset to the type's default.
        model.SetSlotType(slot, thu->SlotType());
    }
    return true;
}

}  // namespace tervis::boards
