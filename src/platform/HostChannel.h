#pragma once

#include <QString>

namespace tervis {

// The local socket on which host number `host` listens: "tervis-host-N" in the user's runtime folder,
// which only the user can enter; the socket itself is created for the user alone.
QString HostServerName(long long host);

}  // namespace tervis
