#include "PtyLine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tervis::muxsim {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void SetNonBlockingCloseOnExec(int fd, const std::string& name) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0 || fcntl(fd, F_SETFD, FD_CLOEXEC) < 0) {
        throw ELineError(SystemError(name));
    }
}

}  // namespace

void SetRawLine(int fd, const std::string& name) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        throw ELineError(SystemError(name + ": not a serial line"));
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, B57600) != 0 || cfsetospeed(&tio, B57600) != 0 ||
        tcsetattr(fd, TCSANOW, &tio) != 0) {
        throw ELineError(SystemError(name + ": cannot set 57600 8N1"));
    }
}

TSerialLine TSerialLine::OpenPseudoTerminal() {
    TSerialLine line;
    line.fd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (line.fd_ < 0) {
        throw ELineError(SystemError("posix_openpt"));
    }
    if (grantpt(line.fd_) != 0 || unlockpt(line.fd_) != 0) {
        throw ELineError(SystemError("pseudo-terminal"));
    }
    const char* name = ptsname(line.fd_);  // single-threaded program: the static buffer is ours
    if (name == nullptr) {
        throw ELineError(SystemError("ptsname"));
    }
    line.path_ = name;
    SetNonBlockingCloseOnExec(line.fd_, "pseudo-terminal");
    line.heldSlaveFd_ = open(line.path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.heldSlaveFd_ < 0) {
        throw ELineError(SystemError(line.path_));
    }
    // The line settings live with the slave; holding it open keeps them for every configurator that comes.
    SetRawLine(line.heldSlaveFd_, line.path_);
    return line;
}

TSerialLine TSerialLine::OpenDevice(const std::string& path) {
    TSerialLine line;
    line.path_ = path;
    line.fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line.fd_ < 0) {
        throw ELineError(SystemError(path));
    }
    SetRawLine(line.fd_, path);
    tcflush(line.fd_, TCIOFLUSH);
    return line;
}

TSerialLine::TSerialLine(TSerialLine&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      heldSlaveFd_(std::exchange(other.heldSlaveFd_, -1)),
      path_(std::move(other.path_)) {}

TSerialLine& TSerialLine::operator=(TSerialLine&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        heldSlaveFd_ = std::exchange(other.heldSlaveFd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

TSerialLine::~TSerialLine() {
    Close();
}

void TSerialLine::Close() {
    if (heldSlaveFd_ >= 0) {
        close(heldSlaveFd_);
        heldSlaveFd_ = -1;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

TLineLink::TLineLink(std::string linkPath, const std::string& target)
    : linkPath_(std::move(linkPath)), target_(target) {
    struct stat st {};
    if (lstat(linkPath_.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            throw ELineError(linkPath_ + ": exists and is not a symbolic link; not replaced");
        }
        if (unlink(linkPath_.c_str()) != 0) {
            throw ELineError(SystemError(linkPath_));
        }
    }
    if (symlink(target_.c_str(), linkPath_.c_str()) != 0) {
        throw ELineError(SystemError(linkPath_));
    }
}

TLineLink::~TLineLink() {
    // Only our own link goes: another simulator may have taken the name over meanwhile.
    std::string pointsTo(4096, '\0');
    const ssize_t length = readlink(linkPath_.c_str(), pointsTo.data(), pointsTo.size());
    if (length >= 0) {
        pointsTo.resize(static_cast<std::size_t>(length));
        if (pointsTo == target_) {
            unlink(linkPath_.c_str());
        }
    }
}

void TPacedQueue::Push(std::span<const std::uint8_t> bytes, std::int64_t nowNs) {
    std::int64_t due = std::max(nowNs, lineFreeNs_);
    for (std::uint8_t value : bytes) {
        due += byteNs_;
        bytes_.push_back({due, value});
    }
    lineFreeNs_ = due;
}

std::size_t TPacedQueue::DueCount(std::int64_t nowNs) const {
    // Due times never decrease along the queue.
    const auto firstLater = std::partition_point(bytes_.begin(), bytes_.end(),
                                                 [nowNs](const TByte& b) { return b.DueNs <= nowNs; });
    return static_cast<std::size_t>(firstLater - bytes_.begin());
}

std::vector<std::uint8_t> TPacedQueue::Front(std::size_t count) const {
    std::vector<std::uint8_t> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count && i < bytes_.size(); ++i) {
        out.push_back(bytes_[i].Value);
    }
    return out;
}

void TPacedQueue::Pop(std::size_t count) {
    bytes_.erase(bytes_.begin(),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes_.size())));
}

std::optional<std::int64_t> TPacedQueue::FrontDueNs() const {
    if (bytes_.empty()) {
        return std::nullopt;
    }
    return bytes_.front().DueNs;
}

}  // namespace tervis::muxsim
