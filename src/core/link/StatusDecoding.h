#pragma once

// The CPU board's status reply as the model keeps it (the whole packet), decoded once for every reader:
// the information window and text, the cross-connect field's level and the command line.

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/Mux.h"

namespace tervis {

struct TCpuState {
    std::uint8_t Version = 0;  // bits 0-1 the kind, 2-3 the minor and 4-7 the major version
    std::uint8_t Chassis = 0;
    std::uint8_t SyncType = 0;  // board type of the synchronisation source
    std::uint8_t SyncUnit = 0;  // its slot (low nibble) and port (high nibble)
    std::uint16_t Load125us = 0;
    std::uint16_t Load2ms = 0;
    std::uint32_t Uptime = 0;  // seconds
    std::uint8_t Restarts = 0;
    std::uint32_t LevelCode = 0;  // the measurer's reading
};

// The record of a stored CPU status reply; nothing when its fields would lie past the stored packet (a
// long address field).
std::optional<TCpuState> DecodeCpuStatus(const TCpuStatus& block);

// The measurer's level in dB: 20 log10(max(code, 2400) / 4492800).
double CpuLevelDb(std::uint32_t levelCode);

// A level as the operator reads it, with two decimals ("-65.45"), whatever the C locale says.
std::string LevelText(double level, char decimalPoint = '.');

}  // namespace tervis
