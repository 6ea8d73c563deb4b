#pragma once

#include <QString>

#include <optional>

namespace tervis {

// Where host number N listens, and the lock a host holds while it runs as N. Both live in a folder
// private to the user: "tervis" in XDG_RUNTIME_DIR when that is set and the user's own, otherwise
// "tervis-<uid>" in the temporary folder. The folder is created with mode 0700 and used only while it is
// a real folder (not a symbolic link) of this user that nobody else may enter; anything else there may
// be another user's trap, so it is refused, never worked around by a shared folder.
struct THostAddress {
    QString Socket;
    QString Lock;
};

// The addresses of host N, the private folder created when missing. Nothing, with the reason in the
// operator's words, when the folder cannot be made or is not safe.
std::optional<THostAddress> HostAddress(long long host, QString& error);

// Whether the process at the other end of a connected local socket runs as this user. Asked on both
// ends before a byte is exchanged: a socket another user slipped into the folder is not our host, and a
// connection of another user is not our configurator.
bool PeerIsSameUser(qintptr descriptor);

}  // namespace tervis
