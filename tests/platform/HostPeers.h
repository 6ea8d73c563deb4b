#pragma once

// The peers of a host in tests: the device on the master side of a pseudo-terminal, configurators as
// plain local sockets, and environment settings that last for one test.

#include <QLocalSocket>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/HostFrame.h"

namespace tervis::test {

using TBytes = std::vector<std::uint8_t>;

// An environment variable set (or unset) until the end of the scope.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~TScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The multiplexer's end of the line: a pseudo-terminal whose slave side the host opens.
class TPtyDevice {
public:
    TPtyDevice() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            path_ = ptsname(master_);
        }
    }
    ~TPtyDevice() { close(master_); }
    TPtyDevice(const TPtyDevice&) = delete;
    TPtyDevice& operator=(const TPtyDevice&) = delete;

    const std::string& Path() const { return path_; }
    // Takes what the host wrote; complete frames land in Requests. Returns the bytes read.
    std::size_t Drain() {
        std::size_t total = 0;
        std::uint8_t buffer[4096];
        for (ssize_t n; (n = read(master_, buffer, sizeof buffer)) > 0;) {
            decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
            total += static_cast<std::size_t>(n);
        }
        return total;
    }
    bool Answer(const TBytes& packet) {
        TBytes frame;
        return EncodeFrame(packet, frame) &&
               write(master_, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }

    std::vector<TBytes> Requests;

private:
    int master_ = -1;
    std::string path_;
    TFrameDecoder decoder_{[this](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        Requests.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length - 2));
    }};
};

// A configurator reduced to its socket: sends packets, keeps the packets it gets.
class TPlainClient {
public:
    explicit TPlainClient(const QString& name) {
        QObject::connect(&socket_, &QLocalSocket::readyRead, [this] {
            const QByteArray bytes = socket_.readAll();
            reader_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())));
        });
        socket_.connectToServer(name);
    }
    bool Connected() const { return socket_.state() == QLocalSocket::ConnectedState; }
    void Send(const TBytes& packet) {
        TBytes message;
        EncodeHostMessage(kHostDataCopy, packet, message);
        socket_.write(reinterpret_cast<const char*>(message.data()), static_cast<qint64>(message.size()));
    }
    QLocalSocket& Socket() { return socket_; }

    std::vector<TBytes> Packets;

private:
    QLocalSocket socket_;
    THostMessageReader reader_{[this](std::uint8_t kind, std::span<const std::uint8_t> body) {
        if (kind == kHostDataCopy) {
            Packets.emplace_back(body.begin(), body.end());
        }
    }};
};

}  // namespace tervis::test
