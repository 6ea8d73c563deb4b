#pragma once

#include <string>

namespace tervis {

// printf-style formatting into a std::string, for the operator texts.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tervis
