#include "core/model/Backup.h"

#include "core/base/Format.h"

namespace tervis {

std::string BackupFileName(std::string_view address, const TLocalTime& when) {
    // Whatever else an operator typed (spaces, the closing ';') has no place in a file name.
    std::string device;
    for (const char c : address) {
        if ((c >= '0' && c <= '9') || c == ',' || c == '-') {
            device += c;
        }
    }
    if (device.empty()) {
        device = "local";
    }
    return device + Format("-%04d%02d%02d-%02d%02d%02d.mux", when.Year, when.Month, when.Day, when.Hour,
                           when.Minute, when.Second);
}

}  // namespace tervis
