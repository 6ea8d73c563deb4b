#include "PortAccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/base/Format.h"

namespace tervis::cli {

namespace {
constexpr const char* kDefaultGroup = "dialout";  // the serial ports' group on Debian and its kin
}  // namespace

std::optional<TPortNode> ExaminePortNode(const std::string& devicePath) {
    struct stat status {};
    if (stat(devicePath.c_str(), &status) != 0) {
        return std::nullopt;
    }
    TPortNode node;
    node.groupMayUse = status.st_gid != 0 && (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        node.group = found->gr_name;
    } else {
        node.group = std::to_string(status.st_gid);
    }
    return node;
}

std::string PortPermissionHint(const std::string& devicePath, int accessError,
                               const std::optional<TPortNode>& node) {
    if (accessError != EACCES && accessError != EPERM) {
        return {};
    }
    if (node && !node->groupMayUse) {
        // Joining root's group, or one without read and write permission, would not help.
        return Format(
            "Нет прав на порт %s: группе %s доступ к нему не дан; разрешите его правилом udev "
            "(например, GROUP=\"%s\", MODE=\"0660\")",
            devicePath.c_str(), node->group.c_str(), kDefaultGroup);
    }
    const std::string group = node ? node->group : kDefaultGroup;
    return Format(
        "Нет прав на порт %s: добавьте пользователя в группу %s (sudo usermod -aG %s $USER) и "
        "войдите снова",
        devicePath.c_str(), group.c_str(), group.c_str());
}

std::string PortPermissionHint(const std::string& devicePath) {
    if (access(devicePath.c_str(), R_OK | W_OK) == 0) {
        return {};
    }
    const int error = errno;
    return PortPermissionHint(devicePath, error, ExaminePortNode(devicePath));
}

}  // namespace tervis::cli
