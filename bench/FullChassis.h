#pragma once

// The busiest configuration the line benchmarks move: sixteen 4E1 boards, every channel linked to the
// neighbouring board's.

#include "core/model/Mux.h"

inline void FillFullChassis(tervis::TMux& chassis) {
    for (int slot = 0; slot < tervis::kSlotCount; ++slot) {
        chassis.SetSlotType(slot, {tervis::bt4E1, 0, 0});
    }
    for (int slot = 0; slot + 1 < tervis::kSlotCount; slot += 2) {
        chassis.LinkAll(slot, slot + 1);
    }
}
