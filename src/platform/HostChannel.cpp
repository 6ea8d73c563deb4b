#include "platform/HostChannel.h"

#include <QDir>
#include <QFile>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tervis {

namespace {

// A folder we may trust: a folder (a symbolic link is not followed), ours, closed to everybody else.
bool SafeFolder(const QString& path, QString& error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (lstat(name.constData(), &info) != 0) {
        error =
            QString("Папка хоста %1 недоступна: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error =
            QString("Папка хоста %1 — не папка (символическая ссылка или файл): работа через хост отклонена")
                .arg(path);
        return false;
    }
    if (info.st_uid != geteuid()) {
        error =
            QString("Папка хоста %1 принадлежит другому пользователю: работа через хост отклонена").arg(path);
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        error = QString("Папка хоста %1 открыта другим пользователям (права %2): работа через хост отклонена")
                    .arg(path)
                    .arg(info.st_mode & 0777, 3, 8, QChar('0'));
        return false;
    }
    return true;
}

QString PrivateFolder() {
    // The runtime folder counts only when it is itself safe; the temporary folder is shared, so our folder
    // in it carries the user id and is checked like any other.
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    QString ignored;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && SafeFolder(runtime, ignored)) {
        return QDir(runtime).filePath("tervis");
    }
    return QDir(QDir::tempPath()).filePath(QString("tervis-%1").arg(geteuid()));
}

}  // namespace

std::optional<THostAddress> HostAddress(long long host, QString& error) {
    const QString folder = PrivateFolder();
    if (mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        error = QString("Не удалось создать папку хоста %1: %2")
                    .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (!SafeFolder(folder, error)) {
        return std::nullopt;
    }
    const QDir dir(folder);
    return THostAddress{dir.filePath(QString("host-%1").arg(host)),
                        dir.filePath(QString("host-%1.lock").arg(host))};
}

bool PeerIsSameUser(qintptr descriptor) {
    ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials) {
        return false;
    }
    return credentials.uid == geteuid();
}

}  // namespace tervis
