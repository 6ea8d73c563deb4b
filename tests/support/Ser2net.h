#pragma once

// A real ser2net on 127.0.0.1 and a free port, bridging to a line (the simulator's pseudo-terminal),
// with a configuration of the test's own: as Telnet with the com port option or as raw TCP.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace tervis::test {

constexpr const char* kSer2netPath = "/usr/sbin/ser2net";

inline bool Ser2netInstalled() {
    return access(kSer2netPath, X_OK) == 0;
}

// A port on 127.0.0.1 that nobody listens on at the moment.
inline std::uint16_t FreeLocalPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

inline bool Accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

class TSer2net {
public:
    // folder: where the configuration and pid files go.
    TSer2net(std::filesystem::path folder, std::string device, bool rfc2217)
        : folder_(std::move(folder)), device_(std::move(device)), rfc2217_(rfc2217), port_(FreeLocalPort()) {}
    ~TSer2net() { Kill(SIGKILL); }
    TSer2net(const TSer2net&) = delete;
    TSer2net& operator=(const TSer2net&) = delete;

    // Starts it (again, on the same port) and waits until it accepts connections; false if it does not
    // within ten seconds.
    bool Start() {
        const std::filesystem::path config = folder_ / "ser2net.yaml";
        {
            std::ofstream out(config);
            out << "%YAML 1.1\n---\n"
                << "connection: &tervis\n"
                << "  accepter: " << (rfc2217_ ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << port_
                << "\n"
                << "  connector: serialdev," << device_ << ",57600n81,local\n"
                << "  options:\n"
                << "    kickolduser: true\n"
                // Hand every byte on at once: the link waits for each answer before it sends on.
                << "    chardelay: false\n";
        }
        const std::string pidFile = (folder_ / "ser2net.pid").string();
        pid_ = fork();
        if (pid_ == 0) {
            // Its own process group, so that the test's terminal signals do not reach it; but it goes with
            // the test when that is killed (a time limit), never left listening.
            setpgid(0, 0);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            // Descriptors, not streams: a stream would flush the parent's unwritten output a second time.
            const int null = ::open("/dev/null", O_WRONLY);
            const int log = ::open((folder_ / "ser2net.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            dup2(null, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
            execl(kSer2netPath, kSer2netPath, "-n", "-d", "-c", config.c_str(), "-P", pidFile.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            if (Accepts(port_)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void Kill(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }
    std::string Name() const {
        return std::string(rfc2217_ ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port_);
    }
    std::string Log() const {
        std::ifstream in(folder_ / "ser2net.log");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path folder_;
    std::string device_;
    bool rfc2217_;
    std::uint16_t port_;
    pid_t pid_ = -1;
};

}  // namespace tervis::test
