#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tervis::muxsim {

// A serial line could not be set up; what() names the device and the system's reason.
class ELineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The line rate of the multiplexer's configuration port: 57600 baud, 10 bits a byte (start, 8 data, stop).
constexpr std::uint32_t kLineBaud = 57600;
constexpr std::uint32_t kBitsPerByte = 10;
// Nanoseconds one byte takes on the wire, rounded up so that pacing never runs faster than the line.
constexpr std::int64_t kByteNs = (1'000'000'000LL * kBitsPerByte + kLineBaud - 1) / kLineBaud;

// Sets a terminal to what the configurator's port uses: raw bytes, 57600 baud, 8N1, no flow control,
// reads that return at once. Throws ELineError.
void SetRawLine(int fd, const std::string& name);

// The simulator's end of a serial line: either a pseudo-terminal it creates (the configurator opens the
// other side by its path) or a serial device it is given.
class TSerialLine {
public:
    // A new pseudo-terminal. The slave side stays open in here as well: without it, the master sees a
    // hang-up (and every read fails with EIO) each time the configurator closes the port, until it opens
    // it again.
    static TSerialLine OpenPseudoTerminal();
    // A serial device (or any terminal) given by path.
    static TSerialLine OpenDevice(const std::string& path);

    TSerialLine(TSerialLine&& other) noexcept;
    TSerialLine& operator=(TSerialLine&& other) noexcept;
    TSerialLine(const TSerialLine&) = delete;
    TSerialLine& operator=(const TSerialLine&) = delete;
    ~TSerialLine();

    // The descriptor the simulator reads and writes (non-blocking).
    int Fd() const { return fd_; }
    // The path a configurator opens: the pseudo-terminal's slave or the device itself.
    const std::string& Path() const { return path_; }

private:
    TSerialLine() = default;
    void Close();

    int fd_ = -1;
    int heldSlaveFd_ = -1;
    std::string path_;
};

// A symbolic link to the line for the lifetime of the object. An existing symbolic link at that path is
// replaced; anything else there is left alone and refused.
class TLineLink {
public:
    TLineLink(std::string linkPath, const std::string& target);
    TLineLink(const TLineLink&) = delete;
    TLineLink& operator=(const TLineLink&) = delete;
    ~TLineLink();

private:
    std::string linkPath_;
    std::string target_;
};

// Bytes on their way over the line, each with the moment it has fully crossed it. With a byte time of 0 the
// queue only keeps order; otherwise each byte takes that long after the one before it, and a byte that
// arrives while the line is idle starts at once.
class TPacedQueue {
public:
    explicit TPacedQueue(std::int64_t byteNs = 0) : byteNs_(byteNs) {}

    void Push(std::span<const std::uint8_t> bytes, std::int64_t nowNs);
    // How many bytes at the front have crossed the line by nowNs.
    std::size_t DueCount(std::int64_t nowNs) const;
    std::vector<std::uint8_t> Front(std::size_t count) const;
    // When the byte at index (from the front) has crossed or will have crossed.
    std::int64_t DueNs(std::size_t index) const { return bytes_.at(index).DueNs; }
    void Pop(std::size_t count);
    // When the front byte will have crossed, or nothing when the queue is empty.
    std::optional<std::int64_t> FrontDueNs() const;
    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }

private:
    struct TByte {
        std::int64_t DueNs;
        std::uint8_t Value;
    };
    std::int64_t byteNs_;
    std::int64_t lineFreeNs_ = 0;  // when the last byte queued so far has crossed
    std::deque<TByte> bytes_;
};

}  // namespace tervis::muxsim
