#include "core/diagnostics/SignallingGrid.h"

#include "core/base/Errors.h"
#include "core/base/Format.h"
#include "core/model/BoardTypes.h"

namespace tervis::casgrid {

std::optional<TLayout> LayoutFor(std::uint8_t type, int slot) {
    const std::vector<std::string> fourSets = {"компл.0", "компл.1", "компл.2", "компл.3"};
    switch (type) {
        case bt1E1:
            return TLayout{bt1E1, Format("Настройка CAS 1E1, слот %d", slot), {"комплект 0"}};
        case bt4E1:
            return TLayout{bt4E1, Format("Настройка CAS 4E1, слот %d", slot), fourSets};
        case bt4ToP:
            return TLayout{bt4E1, Format("Настройка CAS 4ToP, слот %d", slot), fourSets};
        case bt4I15:
            return TLayout{
                bt4I15, Format("Настройка CAS 4I15, слот %d", slot), {"комплекты 0, 1", "комплекты 2,3"}};
        case bt1DSL:
            return TLayout{bt1DSL, Format("Настройка CAS 1DSL, слот %d", slot), {"комплект 0"}};
        case bt4DSL:
        case bt4DSLv2:
            return TLayout{bt4DSL,
                           Format("Настройка CAS 4DSL, слот %d", slot),
                           {"компл.0 CAS#1", "компл.0 CAS#2", "компл.1 CAS#1", "компл.1 CAS#2"}};
        case bt4DSLAlt:
            // The extension board names the slot of the board it extends.
            return TLayout{bt4DSLAlt,
                           Format("Настройка CAS 4DSL, слот %d", (slot + kSlotCount - 1) % kSlotCount),
                           {"компл.2 CAS#1", "компл.2 CAS#2", "компл.3 CAS#1", "компл.3 CAS#2"}};
        default:
            return std::nullopt;
    }
}

std::string RowLabel(std::uint8_t layout, int row, bool right) {
    return std::to_string(right && layout != bt4I15 ? row + 16 : row);
}

std::string Heading(int column) {
    static const char* const kHeadings[kColumns] = {"канал", "abcd", "акт.", "канал", "abcd", "акт."};
    return column >= 0 && column < kColumns ? kHeadings[column] : "";
}

std::string CellText(std::uint16_t entry, int column) {
    const bool abcd = column == 1 || column == 4;
    return IntToBin(abcd ? (entry >> 4) & 0x0F : entry & 0x0F, 4);
}

std::optional<std::uint16_t> JoinHalfRow(std::string_view abcd, std::string_view active) {
    std::string bits = std::string(abcd) + std::string(active);
    for (char& c : bits) {
        if (c == ' ') {
            c = '0';
        }
    }
    try {
        return static_cast<std::uint16_t>(BinToInt(bits));
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

void ApplyToAll(TSlotSignalling& entries, int tag) {
    const bool abcd = (tag & 0xF0) != 0;
    for (std::uint16_t& entry : entries) {
        entry = abcd ? static_cast<std::uint16_t>((entry & 0x0F) | (tag & 0xF0))
                     : static_cast<std::uint16_t>((entry & 0xF0) | (tag & 0x0F));
    }
}

int SelectableColumn(int wanted, int previous) {
    if (wanted == 0) {
        return 1;
    }
    if (wanted == 3) {
        return previous <= 2 ? 4 : 2;
    }
    return wanted;
}

}  // namespace tervis::casgrid
