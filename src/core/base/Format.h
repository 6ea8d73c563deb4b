#pragma once

#include <cstddef>
#include <string>

namespace tervis {

// printf-style formatting into a std::string, for the operator texts.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A UTF-8 text padded with spaces to the columns it takes on a terminal, one a character (printf's
// "%-6s" counts bytes, and a Cyrillic letter is two).
std::string PadRight(const std::string& utf8, std::size_t columns);

}  // namespace tervis
