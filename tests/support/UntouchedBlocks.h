#pragma once

// OK without touching a control: owned fields come back as loaded where a control can show them,
// unlisted bits are kept or cleared as each board's store rule says. The core's rule and the dialogs
// are both held to this table.

#include <cstdint>

#include "core/model/Mux.h"

namespace tervis::test {

// A block loaded into a board's dialog and the block OK gives back when no control was touched.
struct TUntouchedCase {
    const char* What;
    std::uint8_t Type;
    TBoardConfig In;
    TBoardConfig Out;
};

inline const TUntouchedCase kUntouchedBlocks[] = {
    {"1E1 keeps W2, W3, W5..W8",
     7,
     {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
     {0x0007, 0x000E, 0xFFFF, 0xFFFF, 0x0001, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
    {"4E1 empty priority lists store 15; W3 cleared",
     10,
     {0xFFFF, 0xFFFF, 0xFFFF, 0x1234, 0xFFFF, 1, 2, 3, 4},
     {0xFFFF, 0xFFFF, 0xFFFF, 0x0000, 0x3333, 1, 2, 3, 4}},
    {"4E1 default", 10, TMux::DefaultBoardConfig(10), TMux::DefaultBoardConfig(10)},
    {"4ToP drops bit 3 of W1 and W2",
     22,
     {0x3210, 0x8888, 0xFFFF, 1, 0xFFFF, 5, 6, 7, 8},
     {0x3210, 0x0000, 0x7777, 0, 0x3333, 5, 6, 7, 8}},
    {"4И15 empty lists store priority 0, line code 3 stores HDB3",
     13,
     {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 9, 9, 9, 9, 9},
     {0x0000, 0x7777, 0x4444, 0xCCCC, 9, 9, 9, 9, 9}},
    {"4И15 default", 13, TMux::DefaultBoardConfig(13), TMux::DefaultBoardConfig(13)},
    {"1DSL code 0 shows the first rate",
     23,
     {0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 1, 2, 3, 4},
     {3, 0x000E, 0x000F, 0xFFFF, 0x0001, 1, 2, 3, 4}},
    {"1DSL five bits choose the rate", 23, {0xFFE5, 0, 0, 0, 0, 0, 0, 0, 0}, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"4DSL default", 24, TMux::DefaultBoardConfig(24), TMux::DefaultBoardConfig(24)},
    {"4DSL keeps W3, TC-PAM32 kept",
     24,
     {0x3210, 0x8421, 0x1234, 0x1234, 0x0777, 0xA0A0, 0x2020, 0x1E1E, 0x2010},
     {0x3210, 0x8421, 0x1234, 0x1234, 0x0777, 0xA0A0, 0x2020, 0x1E1E, 0x2010}},
    // Set 0 asks for TDM 31 where only 30 fit beside management and self-monitoring: no item, 127.
    {"4DSL TDM rate above the line's",
     24,
     {0x3210, 0, 0, 0, 0x0005, 0x2020, 0x2020, 0x201F, 0x2020},
     {0x3210, 0, 0, 0, 0x0005, 0x2020, 0x2020, 0x207F, 0x2020}},
    // A line rate with no item leaves the TDM list unbuilt: rate 2 and TDM 127 are stored.
    {"4DSL line rate without an item",
     24,
     {0x3210, 0, 0, 0, 0, 0x2002, 0x2020, 0x2020, 0x2020},
     {0x3210, 0, 0, 0, 0, 0x2002, 0x2020, 0x207F, 0x2020}},
    // TC-PAM 32 selects 12 channels as the code loads; the self-monitoring box's handler builds the TDM
    // list for them, and a line rate without an item leaves it so: TDM 11 is kept, the rate stores 2.
    {"4DSLv2 TC-PAM 32, line rate without an item",
     29,
     {0x3210, 0, 0, 0x0003, 0x0004, 0x20FF, 0x2020, 0x200B, 0x2020},
     {0x3210, 0, 0, 0x0003, 0x0004, 0x2002, 0x2020, 0x200B, 0x2020}},
    {"4DSLv2 default", 29, TMux::DefaultBoardConfig(29), TMux::DefaultBoardConfig(29)},
    {"4DSLv2 codes and full-byte rates",
     29,
     {0x3210, 0, 0, 0x5F34, 0, 0x20B2, 0x9020, 0x2020, 0x2020},
     {0x3210, 0, 0, 0x5F34, 0, 0x20B2, 0x9020, 0x2020, 0x2020}},
    // TC-PAM 32 moves a rate below 12 channels up to 12 at load, before the stored rate is shown.
    {"4DSLv2 TC-PAM 32 at 12 channels",
     29,
     {0x3210, 0, 0, 0x0003, 0, 0x200C, 0x2020, 0x2009, 0x2020},
     {0x3210, 0, 0, 0x0003, 0, 0x200C, 0x2020, 0x2009, 0x2020}},
    // The voice-frequency, signalling, data and remote-power boards.
    {"4ТЧ clears W0 bits 8..15, keeps W2..W8",
     1,
     {0xFFFF, 0xBBBB, 9, 9, 9, 9, 9, 9, 9},
     {0x00FF, 0xBBBB, 9, 9, 9, 9, 9, 9, 9}},
    {"4ТЧУ levels and protocols come back",
     20,
     {0x1234, 0x0B01, 0x5678, 0x9ABC, 0xDEF0, 5, 6, 7, 8},
     {0x1234, 0x0B01, 0x5678, 0x9ABC, 0xDEF0, 5, 6, 7, 8}},
    {"4AK any bit switches a set off, bit 4k is stored",
     3,
     {7, 0x0020, 7, 7, 7, 7, 7, 7, 7},
     {7, 0x0010, 7, 7, 7, 7, 7, 7, 7}},
    {"4АЛ rebuilds W1 and W2",
     2,
     {7, 0xFFFF, 0xFFFF, 7, 7, 7, 7, 7, 7},
     {7, 0x1111, 0x1111, 7, 7, 7, 7, 7, 7}},
    {"4МБ rebuilds W1", 9, {7, 0xFFFF, 7, 7, 7, 7, 7, 7, 7}, {7, 0x3333, 7, 7, 7, 7, 7, 7, 7}},
    {"4СЛУ zero block: every set off", 11, {}, {0, 0x1111, 0, 0, 0, 0, 0, 0, 0}},
    {"4СЛУ codes 0 and 8..15", 11, {0, 0xF8F0, 0, 0, 0, 0, 0, 0, 0}, {0, 0x7771, 0, 0, 0, 0, 0, 0, 0}},
    {"АДИКМ 6 channels load as 4", 14, {6, 1, 2, 3, 4, 5, 6, 7, 8}, {4, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"АДИКМ above 64 stores 0", 14, {65, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"8AK either bit switches signalling off, bit 2k stored",
     18,
     {0, 0x0002, 5, 5, 5, 5, 5, 5, 5},
     {0, 0x0001, 5, 5, 5, 5, 5, 5, 5}},
    {"8AK rebuilds W0 and W1",
     18,
     {0xFFFF, 0xFFFF, 0, 0, 0, 0, 0, 0, 0},
     {0x0003, 0x5555, 0, 0, 0, 0, 0, 0, 0}},
    {"4TLG rebuilds W1 and W2",
     27,
     {9, 0xFFFF, 0xFFFF, 9, 9, 9, 9, 9, 9},
     {9, 0xFFFF, 0x0001, 9, 9, 9, 9, 9, 9}},
    {"4V24 default", 8, TMux::DefaultBoardConfig(8), {0, 0x000F, 0, 0, 0, 0, 0, 0, 0}},
    {"4V24 mode 3 shows the last item",
     8,
     {0xBBBB, 0xFFFF, 0xFFFF, 9, 9, 9, 9, 9, 9},
     {0xBBBB, 0x000F, 0x0002, 9, 9, 9, 9, 9, 9}},
    {"2VS default", 12, TMux::DefaultBoardConfig(12), TMux::DefaultBoardConfig(12)},
    {"2VS keeps n, clears bits 8..13",
     12,
     {0xFFFF, 0x00E5, 0x0006, 3, 3, 3, 3, 3, 3},
     {0xC0FF, 0x00E5, 0x0006, 3, 3, 3, 3, 3, 3}},
    {"2VS set 0 priority without a selection stores 3",
     12,
     {0x0080, 0x0080, 0x0003, 0, 0, 0, 0, 0, 0},
     {0x0080, 0x0080, 0x0003, 0, 0, 0, 0, 0, 0}},
    {"4C64 default", 15, TMux::DefaultBoardConfig(15), TMux::DefaultBoardConfig(15)},
    {"4C64 empty priorities store 15, W2 only bits 4k+1",
     15,
     {0xFFFF, 0xFFFF, 0xFFFF, 4, 4, 4, 4, 4, 4},
     {0xFFFF, 0x7777, 0x2222, 4, 4, 4, 4, 4, 4}},
    {"LAN all 0xAA stored unchanged", 16, {0xFFFF, 1, 2, 3, 4, 5, 6, 7, 8}, {0xFFFF, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"4C1И rates without an item store 0",
     19,
     {0x0003, 0xFFFF, 0x9999, 0xFFFF, 4, 4, 4, 4, 4},
     {0x0002, 0xFFFF, 0x0000, 0x1111, 4, 4, 4, 4, 4}},
    {"ДП default: W6 forced to 0", 26, TMux::DefaultBoardConfig(26), TMux::DefaultBoardConfig(26)},
    {"ДП W6 cleared, bits 4..6 of W0 cleared, W7 W8 kept",
     26,
     {0x6471, 0x123C, 0x0A37, 300, 100, 0x5050, 0x1234, 7, 8},
     {0x6401, 0x123C, 0x0A37, 300, 100, 0x5050, 0, 7, 8}},
    {"ДП lists without a selection store the code below their first item",
     26,
     {0xFF80, 0x0000, 0x0000, 10, 10, 0x1300, 0, 0, 0},
     {0xFF80, 0x0027, 0x0027, 79, 59, 0x1345, 0, 0, 0}},
};

}  // namespace tervis::test
