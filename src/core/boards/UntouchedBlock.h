#pragma once

// What a board's dialog shows of a block when it opens, and the block its OK gives back when the operator
// touched nothing: the rules the dialogs follow, kept here so that they hold without a window.

#include <cstdint>
#include <span>

#include "core/boards/BlockFields.h"
#include "core/model/Mux.h"

namespace tervis::boards {

// The lists of one line of a four-line DSL board as its dialog opens on a block: item counts and the
// items shown (-1: none). The TDM list is rebuilt for the line rate shown; with no line rate shown it
// keeps the items it was made with.
struct TDslLineShown {
    int LineCode = -1;  // 4DSLv2 only
    int LineRateCount = 0;
    int LineRate = -1;
    int TdmCount = 0;
    int Tdm = -1;
};
TDslLineShown ShownDslLine(const TBlockLayout& layout, std::span<const std::uint16_t> words, int set);

// The item (or, for boxes and track bars, the value) a field's control shows for the words.
int ShownItem(const TBlockLayout& layout, const TBlockField& field, std::span<const std::uint16_t> words,
              int set);

// The block OK gives back when the dialog of type opened on block and nothing was touched; throws
// EInvalidParameters or ERangeCheck where that OK is refused. A type without a field table gives the
// block back as it came.
TBoardConfig UntouchedBlock(std::uint8_t type, const TBoardConfig& block);

}  // namespace tervis::boards
