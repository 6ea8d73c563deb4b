#pragma once

// Child processes for the whole-program tests: the simulator on a pseudo-terminal and the CLI.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// The simulator in the background; its first output line is the path of its pseudo-terminal.
class TSimulatorProcess {
public:
    explicit TSimulatorProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            auto argv = Argv(args);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        pollfd fd = {out_, POLLIN, 0};
        while (std::chrono::steady_clock::now() < deadline && line.find('\n') == std::string::npos) {
            if (poll(&fd, 1, 100) > 0) {
                char c;
                if (read(out_, &c, 1) != 1) {
                    break;
                }
                line += c;
            }
        }
        if (const auto end = line.find('\n'); end != std::string::npos) {
            path_ = line.substr(0, end);
        }
    }
    ~TSimulatorProcess() { Kill(SIGKILL); }

    const std::string& Path() const { return path_; }
    void Kill(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        if (out_ >= 0) {
            close(out_);
            out_ = -1;
        }
    }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string path_;
};

}  // namespace tervis::test
