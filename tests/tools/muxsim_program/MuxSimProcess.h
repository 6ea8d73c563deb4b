#pragma once

// The simulator program as a child process, and a configurator's end of its line.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/link/Frame.h"

extern char** environ;

namespace tervis::muxsim::test {

using TBytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;
using TClock = std::chrono::steady_clock;

inline constexpr milliseconds kStartTimeout{10000};
inline constexpr milliseconds kAnswerTimeout{3000};
inline constexpr milliseconds kExitTimeout{5000};

// A directory of its own for each test, removed afterwards.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = "/tmp/tervis-muxsim-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp");
        }
        path_ = pattern;
    }
    ~TTempDir() {
        const std::string command = "rm -rf '" + path_ + "'";
        [[maybe_unused]] const int status = std::system(command.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// tervis-muxsim started with the given arguments; killed at the end of the test if it still runs.
class TMuxSimProcess {
public:
    explicit TMuxSimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        stdout_ = out[0];
        char stderrPattern[] = "/tmp/tervis-muxsim-stderr-XXXXXX";
        const int errFd = mkstemp(stderrPattern);
        stderrPath_ = stderrPattern;

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> argv{TERVIS_MUXSIM_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> raw;
        for (auto& a : argv) {
            raw.push_back(a.data());
        }
        raw.push_back(nullptr);
        const int error = posix_spawn(&pid_, TERVIS_MUXSIM_PATH, &actions, nullptr, raw.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(errFd);
        if (error != 0) {
            throw std::runtime_error("posix_spawn " TERVIS_MUXSIM_PATH);
        }
    }
    TMuxSimProcess(const TMuxSimProcess&) = delete;
    TMuxSimProcess& operator=(const TMuxSimProcess&) = delete;

    ~TMuxSimProcess() {
        if (!exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(stdout_);
        unlink(stderrPath_.c_str());
    }

    pid_t Pid() const { return pid_; }

    // The first line of standard output (the line's path), or nothing if none came in time.
    std::optional<std::string> FirstLine(milliseconds timeout = kStartTimeout) {
        const auto deadline = TClock::now() + timeout;
        std::string line;
        while (TClock::now() < deadline) {
            pollfd fd{stdout_, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0) {
                continue;
            }
            char c = 0;
            if (read(stdout_, &c, 1) != 1) {
                return std::nullopt;  // the program ended without a line
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return std::nullopt;
    }

    // Everything written to standard output after the first line until the program ended.
    std::string RestOfOutput() {
        std::string rest;
        char buffer[256];
        for (ssize_t n; (n = read(stdout_, buffer, sizeof buffer)) > 0;) {
            rest.append(buffer, static_cast<std::size_t>(n));
        }
        return rest;
    }

    void Signal(int signal) { kill(pid_, signal); }

    // The exit status (128 + signal for a killed program), or nothing if it still runs after the timeout.
    std::optional<int> WaitExit(milliseconds timeout = kExitTimeout) {
        const auto deadline = TClock::now() + timeout;
        while (!exited_) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (TClock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
        return status_;
    }

    std::string Stderr() const {
        std::ifstream in(stderrPath_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // User plus system CPU time the program has used so far, in seconds.
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Fields after the command name, which is in parentheses and may hold blanks.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; fields >> field && i <= 15; ++i) {
            if (i == 14 || i == 15) {
                ticks += std::stod(field);
            }
        }
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string stderrPath_;
    bool exited_ = false;
    int status_ = -1;
};

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
    TBytes packet{control, static_cast<std::uint8_t>(path.size()), device};
    packet.insert(packet.end(), path.begin(), path.end());
    packet.insert(packet.end(), command.begin(), command.end());
    return packet;
}

// The reply code and what follows it.
inline TBytes ReplyBody(const TBytes& reply) {
    const std::size_t p = 3u + reply.at(2);
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
