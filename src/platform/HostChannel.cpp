#include "platform/HostChannel.h"

#include <QDir>
#include <QStandardPaths>

namespace tervis {

QString HostServerName(long long host) {
    // Qt creates the runtime folder with mode 0700 when XDG_RUNTIME_DIR is not set, and refuses one that
    // others may enter. Looked up once: the look-up warns about a missing XDG_RUNTIME_DIR each time, and
    // the link asks again every second while no host is there.
    static const QString folder = [] {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        return runtime.isEmpty() ? QDir::tempPath() : runtime;
    }();
    return QDir(folder).filePath(QString("tervis-host-%1").arg(host));
}

}  // namespace tervis
