#pragma once

#include <string>
#include <string_view>

namespace tervis {

// Texts live in memory as UTF-8; the settings file and the alarm log are Windows-1251 on disk.
// Characters Windows-1251 cannot hold become '?'; malformed UTF-8 bytes become '?' too.
std::string Utf8ToCp1251(std::string_view utf8);
// Every byte maps to a character (0x98, unassigned, maps to U+0098), so a round trip keeps the bytes.
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace tervis
