#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Mux.h"

namespace tervis {

// The signalling-bit editor's arithmetic: which board types it edits, the title and tabs per layout, and
// which entry each grid cell shows. The grid has 16 rows (row 0 the headings) and 6 columns: channel,
// abcd, active for the left half and again for the right half.
namespace casgrid {

constexpr int kColumns = 6;
constexpr int kRows = 16;
constexpr int kEntriesPerTab = 32;

struct TLayout {
    std::uint8_t Code = 0;  // the board type code the layout is named after
    std::string Title;
    std::vector<std::string> Tabs;
};

// The layout of a slot's board; nothing for types without the editor.
std::optional<TLayout> LayoutFor(std::uint8_t type, int slot);

// Whether a cell holds bits the operator edits (not a heading row or channel column).
constexpr bool IsEditable(int column, int row) {
    return row >= 1 && row < kRows && column != 0 && column != 3 && column >= 0 && column < kColumns;
}
// The entry a cell of a channel row shows: columns 1, 2 the left half, columns 4, 5 the right half.
constexpr int EntryOf(int tab, int row, int column) {
    return kEntriesPerTab * tab + row + (column >= 3 ? 16 : 0);
}
// The label of a channel row in column 0 (left) or 3 (right).
std::string RowLabel(std::uint8_t layout, int row, bool right);
std::string Heading(int column);

// The text of a cell: the abcd nibble (columns 1, 4) or the active nibble (columns 2, 5) as four digits.
std::string CellText(std::uint16_t entry, int column);

// The entry of one half-row from its abcd and active texts: blanks count as 0; nothing when a character
// is neither 0 nor 1.
std::optional<std::uint16_t> JoinHalfRow(std::string_view abcd, std::string_view active);

// "Для всех:" buttons: tags with bit 4 or higher set carry an abcd pattern in bits 7..4, the others an
// active pattern in bits 3..0. The button acts on every entry of the slot.
void ApplyToAll(TSlotSignalling& entries, int tag);

// The column the selection lands in when it would enter a channel column: from the left of column 3 the
// right half, from its right the left half; column 0 goes to column 1.
int SelectableColumn(int wanted, int previous);

}  // namespace casgrid

}  // namespace tervis
