#pragma once

// Channel endpoints as the tests write them: by slot and channel number.

#include <cstdint>

#include "core/model/BoardTypes.h"

namespace tervis::test {

inline std::uint16_t Ep(int slot, int channel) {
    return MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel));
}

}  // namespace tervis::test
