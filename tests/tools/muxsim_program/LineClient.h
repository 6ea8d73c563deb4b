#pragma once

// A configurator's end of the simulator's line, speaking frames.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/link/Frame.h"

namespace tervis::muxsim::test {

using TBytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;
using TClock = std::chrono::steady_clock;

inline constexpr milliseconds kAnswerTimeout{3000};

inline void SetRaw(int fd) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    tcsetattr(fd, TCSANOW, &tio);
}

// Request packet: control byte, address length, device number, address path, command and parameters.
inline TBytes Request(std::uint8_t control, std::uint8_t device, const TBytes& path, const TBytes& command) {
    // Sized once and filled in place: growing the vector by inserts makes GCC 12 at -O3 warn falsely
    // (-Warray-bounds) inside the vector's move of its old bytes.
    TBytes packet(3 + path.size() + command.size());
    packet[0] = control;
    packet[1] = static_cast<std::uint8_t>(path.size());
    packet[2] = device;
    std::copy(path.begin(), path.end(), packet.begin() + 3);
    std::copy(command.begin(), command.end(), packet.begin() + 3 + static_cast<std::ptrdiff_t>(path.size()));
    return packet;
}

// The reply code and what follows it; empty for a reply too short to hold its own header.
inline TBytes ReplyBody(const TBytes& reply) {
    if (reply.size() < 3 || reply.size() < 3u + reply[2]) {
        return {};
    }
    const std::size_t p = 3u + reply[2];
    return TBytes(reply.begin() + static_cast<std::ptrdiff_t>(p), reply.end());
}

// The configurator's end of the line, speaking frames.
class TLineClient {
public:
    // Opens a port by path, raw, as the configurator does.
    explicit TLineClient(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        if (fd_ < 0) {
            throw std::runtime_error("cannot open " + path);
        }
        SetRaw(fd_);
    }
    // Takes over a descriptor that is already open.
    explicit TLineClient(int fd) : fd_(fd) {}
    TLineClient(const TLineClient&) = delete;
    TLineClient& operator=(const TLineClient&) = delete;
    ~TLineClient() { close(fd_); }

    void Send(const TBytes& packet) {
        TBytes frame;
        EncodeFrame(packet, frame);
        std::size_t done = 0;
        while (done < frame.size()) {
            const ssize_t n = write(fd_, frame.data() + done, frame.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd fd{fd_, POLLOUT, 0};
                poll(&fd, 1, 10);
            }
        }
        bytesSent_ += frame.size();
    }

    // The next packet with this control byte (checksum removed); packets with another one are skipped.
    std::optional<TBytes> Await(std::uint8_t control, milliseconds timeout = kAnswerTimeout) {
        const auto deadline = TClock::now() + timeout;
        for (;;) {
            for (std::size_t i = 0; i < packets_.size(); ++i) {
                if (packets_[i][0] == control) {
                    TBytes packet = std::move(packets_[i]);
                    packets_.erase(packets_.begin(), packets_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                    return packet;
                }
            }
            packets_.clear();
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - TClock::now()).count();
            if (left <= 0) {
                return std::nullopt;
            }
            ReadSome(static_cast<int>(left));
        }
    }

    std::optional<TBytes> Exchange(const TBytes& packet, milliseconds timeout = kAnswerTimeout) {
        Send(packet);
        return Await(packet[0], timeout);
    }

    // Reads whatever arrives within the time, decoded or not.
    void Drain(milliseconds time) {
        const auto deadline = TClock::now() + time;
        while (TClock::now() < deadline) {
            ReadSome(static_cast<int>(std::max<long>(
                1, std::chrono::duration_cast<milliseconds>(deadline - TClock::now()).count())));
        }
    }

    std::size_t BytesSent() const { return bytesSent_; }
    std::size_t BytesReceived() const { return bytesReceived_; }
    std::size_t FramesDecoded() const { return framesDecoded_; }

private:
    void ReadSome(int timeoutMs) {
        pollfd fd{fd_, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) {
            return;
        }
        std::uint8_t buffer[512];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            std::this_thread::sleep_for(milliseconds(10));  // a hang-up: do not spin on it
            return;
        }
        bytesReceived_ += static_cast<std::size_t>(n);
        decoder_.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
    }

    int fd_;
    std::vector<TBytes> packets_;
    TFrameDecoder decoder_{[this](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        ++framesDecoded_;
        packets_.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length - 2));
    }};
    std::size_t bytesSent_ = 0;
    std::size_t bytesReceived_ = 0;
    std::size_t framesDecoded_ = 0;
};

}  // namespace tervis::muxsim::test
