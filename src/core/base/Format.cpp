#include "core/base/Format.h"

#include <cstdarg>
#include <cstdio>

namespace tervis {

std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        return {};
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(result.data(), result.size(), format, args);
    va_end(args);
    result.resize(static_cast<std::size_t>(length));
    return result;
}

std::string PadRight(const std::string& utf8, std::size_t columns) {
    std::size_t characters = 0;
    for (const char byte : utf8) {
        characters +=
            (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;  // continuation bytes are 10xxxxxx
    }
    return characters >= columns ? utf8 : utf8 + std::string(columns - characters, ' ');
}

}  // namespace tervis
