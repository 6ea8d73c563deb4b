#pragma once

// Why a serial port that exists could not be opened, told so that the operator can fix it: on Linux the
// device nodes belong to a group (dialout on Debian) whose members may use them.

#include <optional>
#include <string>

namespace tervis::cli {

// The owner group of a device node, and whether its members may read and write it.
struct TPortNode {
    std::string group;
    bool groupMayUse = false;
};

// The node's group, by name (by number when the system has no name for it); nothing when the node
// cannot be examined.
std::optional<TPortNode> ExaminePortNode(const std::string& devicePath);

// The hint for a port the user may not open (accessError EACCES or EPERM, the errno of access(2) for
// reading and writing), naming the group to join; dialout when the node could not be examined. Empty for
// any other trouble.
std::string PortPermissionHint(const std::string& devicePath, int accessError,
                               const std::optional<TPortNode>& node);

// The same for the device as the system sees it now; empty when this user may use it or it is missing.
std::string PortPermissionHint(const std::string& devicePath);

}  // namespace tervis::cli
