#include "shell/Settings.h"

namespace tervis {

TSettings& ProcessSettings() {
    static TSettings settings;
    return settings;
}

}  // namespace tervis
