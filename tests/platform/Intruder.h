#pragma once

// Another local user's process for the security tests of hosted mode: this test program started again as
// user nobody (setpriv), doing one hostile thing.

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.h"

namespace tervis::test {

inline constexpr const char* kSetpriv = "/usr/bin/setpriv";

// Why the tests cannot act as another user here, or empty when they can.
inline std::string NoOtherUser() {
    if (geteuid() != 0) {
        return "acting as another user needs root (setpriv)";
    }
    if (access(kSetpriv, X_OK) != 0) {
        return "setpriv (util-linux) is missing";
    }
    return "";
}

inline std::vector<std::string> AsNobody(const std::string& mode, const std::string& path) {
    return {kSetpriv,
            "--reuid=nobody",
            "--regid=nogroup",
            "--clear-groups",
            std::filesystem::read_symlink("/proc/self/exe").string(),
            mode,
            path};
}

inline sockaddr_un UnixAddress(const std::string& path) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// The intruder's side, in the child. Modes:
//   --mkdir PATH    a folder open to everybody (mode 0777)
//   --listen PATH   a fake host: prints "ready" once it listens, answers every message it gets with a
//                   fake reply, ends when its peer leaves or after 20 s
//   --connect PATH  a fake configurator: sends a packet; status 0 when it was closed without a byte
//                   coming back, 1 when bytes came, 2 when it could not connect
inline std::optional<int> RunIntruder(const std::string& mode, const std::string& path) {
    if (mode == "--mkdir") {
        return mkdir(path.c_str(), 0777) == 0 && chmod(path.c_str(), 0777) == 0 ? 0 : 1;
    }
    const sockaddr_un address = UnixAddress(path);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const std::uint8_t fakeReply[] = {0x4A, 4, 0, 0x80, 0, 0, 200};
    if (mode == "--listen") {
        if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd, 4) != 0) {
            return 2;
        }
        chmod(path.c_str(), 0777);
        std::printf("ready\n");
        std::fflush(stdout);
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) {
            return 1;
        }
        const int peer = accept(fd, nullptr, nullptr);
        char buffer[512];
        for (pollfd q = {peer, POLLIN, 0}; poll(&q, 1, 20000) > 0 && read(peer, buffer, sizeof buffer) > 0;) {
            (void)!write(peer, fakeReply, sizeof fakeReply);
        }
        return 0;
    }
    if (mode == "--connect") {
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            return 2;
        }
        const std::uint8_t poll110[] = {0x4A, 4, 0, 0x81, 0, 0, 110};
        (void)!write(fd, poll110, sizeof poll110);
        char buffer[64];
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) {
            return 1;  // still open after 5 s: it was let in
        }
        return read(fd, buffer, sizeof buffer) > 0 ? 1 : 0;
    }
    return std::nullopt;
}

}  // namespace tervis::test
