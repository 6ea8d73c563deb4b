#pragma once

// A local address that drops connection attempts: a listening socket on 127.0.0.1 that never accepts,
// whose backlog is filled by connections of our own. The kernel then drops further SYNs, so a connect to
// it stays pending the way one to a switched-off server does, without any packet leaving the machine.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace tervis::test {

class TDroppingListener {
public:
    TDroppingListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        // Fill the accept queue: a backlog of 0 still takes one or two; a few more are left pending.
        for (int i = 0; i < 4; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(fd);
        }
        ::usleep(100 * 1000);  // let the handshakes of the fillers complete
    }
    ~TDroppingListener() {
        for (const int fd : fillers_) {
            ::close(fd);
        }
        if (listener_ >= 0) {
            ::close(listener_);
        }
    }
    TDroppingListener(const TDroppingListener&) = delete;
    TDroppingListener& operator=(const TDroppingListener&) = delete;

    // 0 when the socket could not be made.
    std::uint16_t Port() const { return port_; }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::vector<int> fillers_;
};

}  // namespace tervis::test
