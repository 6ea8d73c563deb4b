#pragma once

// Child processes for the whole-program tests: the simulator on a pseudo-terminal and the programs
// that talk to it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tervis::test {

struct TRunResult {
    int Status = -1;  // exit status, or -1 when killed by a signal
    std::string Out;
    std::string Err;
};

inline std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Reads both pipes until the child closes them, then reaps it.
inline TRunResult Run(std::vector<std::string> args, std::chrono::seconds limit = std::chrono::seconds(120)) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        close(out[1]);
        close(err[1]);
        auto argv = Argv(args);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    TRunResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 200) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) != 0) {
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                } else {
                    (i == 0 ? result.Out : result.Err).append(buffer, static_cast<std::size_t>(n));
                }
            }
        }
    }
    if (open > 0) {
        kill(pid, SIGKILL);
    }
    for (auto& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// User plus system CPU time a running process has used so far, in seconds.
inline double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto nameEnd = stat.rfind(')');  // the command name is in parentheses and may hold blanks
    if (nameEnd == std::string::npos) {
        return 0;
    }
    std::istringstream fields(stat.substr(nameEnd + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// tervis-muxsim in the background, killed at the end of the test if it still runs. Its first line of
// standard output is the path of its line; its standard error goes to a file the test can read.
class TSimulatorProcess {
public:
    // argv: the program's path, then its arguments.
    explicit TSimulatorProcess(std::vector<std::string> argv) {
        PrivateLink(argv);
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        char stderrPattern[] = "/tmp/tervis-muxsim-stderr-XXXXXX";
        const int errFd = mkstemp(stderrPattern);
        if (errFd < 0) {
            throw std::runtime_error("mkstemp");
        }
        stderrPath_ = stderrPattern;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(errFd, STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            close(errFd);
            auto raw = Argv(argv);
            execv(raw[0], raw.data());
            _exit(127);
        }
        close(out[1]);
        close(errFd);
        out_ = out[0];
    }
    TSimulatorProcess(const TSimulatorProcess&) = delete;
    TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;
    ~TSimulatorProcess() {
        Kill(SIGKILL);
        unlink(stderrPath_.c_str());
        if (!linkDir_.empty()) {
            rmdir(linkDir_.c_str());
        }
    }

    pid_t Pid() const { return pid_; }

    // The first line of standard output (the line's path), or nothing if none came in time.
    std::optional<std::string> FirstLine(std::chrono::milliseconds timeout = kStartTimeout) {
        if (!firstLine_ && !firstLineTried_) {
            firstLineTried_ = true;
            firstLine_ = ReadLine(timeout);
        }
        return firstLine_;
    }
    // The line's path, empty when the program announced none. A simulator on a pseudo-terminal is reached
    // through a link of its own, which goes when the simulator is killed: a program that keeps reopening a
    // vanished line then finds nothing, never the next simulator that the kernel gives the same number.
    std::string Path() {
        if (!FirstLine()) {
            return "";
        }
        return linkDir_.empty() ? *FirstLine() : linkPath_;
    }

    // Everything on standard output not read yet, up to the end of the program.
    std::string RestOfOutput() {
        std::string rest;
        char buffer[256];
        for (ssize_t n; out_ >= 0 && (n = read(out_, buffer, sizeof buffer)) > 0;) {
            rest.append(buffer, static_cast<std::size_t>(n));
        }
        return rest;
    }

    std::string Stderr() const {
        std::ifstream in(stderrPath_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Waits until standard error holds the text at least `count` times (for --verbose's request log).
    bool AwaitStderr(const std::string& text, int count = 1,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(20000)) const {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const std::string err = Stderr();
            int seen = 0;
            for (auto at = err.find(text); at != std::string::npos; at = err.find(text, at + text.size())) {
                ++seen;
            }
            if (seen >= count) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void Signal(int signal) const {
        if (pid_ > 0 && !exited_) {
            kill(pid_, signal);
        }
    }
    // The exit status (128 + signal for a killed program), or nothing if it still runs after the timeout.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!exited_) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }
    // Sends the signal and reaps the program; its standard output is closed.
    void Kill(int signal) {
        if (pid_ > 0 && !exited_) {
            kill(pid_, signal);
            int status = 0;
            waitpid(pid_, &status, 0);
            exited_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            // A killed simulator cannot remove its link. Only here, at the kill: later the name may
            // already be the next simulator's, started on the same link before this object goes.
            struct stat link {};
            if (!linkPath_.empty() && lstat(linkPath_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
                unlink(linkPath_.c_str());
            }
        }
        if (out_ >= 0) {
            close(out_);
            out_ = -1;
        }
    }

    static constexpr std::chrono::milliseconds kStartTimeout{20000};

private:
    // For a simulator on a pseudo-terminal (no --device), `--link` to a private folder unless the test
    // names a link itself; that one is removed after a kill too.
    void PrivateLink(std::vector<std::string>& argv) {
        const std::string program = argv.empty() ? "" : argv[0];
        if (program.size() < 13 || program.compare(program.size() - 13, 13, "tervis-muxsim") != 0) {
            return;
        }
        for (std::size_t i = 1; i < argv.size(); ++i) {
            if (argv[i] == "--device") {
                return;
            }
            if (argv[i] == "--link" && i + 1 < argv.size()) {
                linkPath_ = argv[i + 1];
                return;
            }
        }
        char pattern[] = "/tmp/tervis-sim-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        linkDir_ = pattern;
        linkPath_ = linkDir_ + "/line";
        argv.insert(argv.begin() + 1, {"--link", linkPath_});
    }

    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string line;
        while (out_ >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0) {
                continue;
            }
            char c = 0;
            if (read(out_, &c, 1) != 1) {
                return std::nullopt;  // the program ended without a line
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return std::nullopt;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string stderrPath_;
    bool exited_ = false;
    int status_ = -1;
    bool firstLineTried_ = false;
    std::optional<std::string> firstLine_;
    std::string linkDir_;   // the private folder of the link, empty when the test named the link
    std::string linkPath_;  // the link to the line, empty for a device
};

}  // namespace tervis::test
