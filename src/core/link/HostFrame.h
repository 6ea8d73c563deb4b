#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tervis {

// Messages between the configurator and a host application over a byte stream: one kind byte, the
// length as 16 bits little-endian, then that many bytes.
constexpr std::uint8_t kHostDataCopy = 0x4A;  // one packet without frame and checksum, both directions
constexpr std::uint8_t kHostActivate = 0x47;  // from the host: bring the configurator to the front
constexpr std::size_t kHostHeaderBytes = 3;
constexpr std::size_t kHostMaxDataBytes = 256;

// Appends the message to out; false (nothing appended) for a body longer than kHostMaxDataBytes.
bool EncodeHostMessage(std::uint8_t kind, std::span<const std::uint8_t> body, std::vector<std::uint8_t>& out);

// Turns a byte stream back into messages. A message may arrive in pieces or several in one piece; its
// sink is called once it is complete. A message of an unknown kind or with more than kHostMaxDataBytes
// is skipped byte by byte as it arrives, without being stored, and the stream stays in step after it.
class THostMessageReader {
public:
    using TSink = std::function<void(std::uint8_t kind, std::span<const std::uint8_t> body)>;

    explicit THostMessageReader(TSink sink) : sink_(std::move(sink)) {}
    void Feed(std::span<const std::uint8_t> bytes);
    // Forgets a partial message (a new connection starts a new stream).
    void Reset();
    // Messages skipped since construction: unknown kind or too long.
    std::uint64_t Skipped() const { return skipped_; }

private:
    TSink sink_;
    std::uint8_t header_[kHostHeaderBytes] = {};
    std::size_t headerCount_ = 0;
    std::vector<std::uint8_t> body_;
    std::size_t remaining_ = 0;  // body bytes still to come for the current message
    bool skipping_ = false;
    std::uint64_t skipped_ = 0;
};

}  // namespace tervis
