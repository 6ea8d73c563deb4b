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

}  // namespace tervis
