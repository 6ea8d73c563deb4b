#pragma once

#include <string>
#include <string_view>

#include "core/model/Seams.h"

namespace tervis {

// The name of a backup of a multiplexer's running configuration, taken before a load:
// "<address>-<YYYYMMDD-HHMMSS>.mux", the address path with only its digits, commas and dashes
// ("3,1-7,0;" gives "3,1-7,0"), or "local" for the multiplexer on the line itself.
std::string BackupFileName(std::string_view address, const TLocalTime& when);

}  // namespace tervis
