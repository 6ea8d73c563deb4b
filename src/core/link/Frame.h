#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tervis {

// Serial framing: packet bytes and a 16-bit checksum (low byte first), byte-stuffed, then END.
constexpr std::uint8_t kFrameEnd = 0xC0;
constexpr std::uint8_t kFrameEsc = 0xDB;
constexpr std::uint8_t kFrameEscEnd = 0xDC;
constexpr std::uint8_t kFrameEscEsc = 0xDD;

constexpr std::size_t kMaxPacketBytes = 254;    // the transmitter sends packets of 1..254 bytes
constexpr std::size_t kMaxFrameBytes = 511;     // stuffed frame with its END
constexpr std::size_t kMaxReceivedBytes = 255;  // unstuffed bytes the receiver keeps per frame
constexpr std::size_t kReceiveBufferBytes = 256;

// The checksum table: linear, built from its first sixteen entries. Its entries have only 128 distinct
// high bytes, so for every packet two pairs of trailing bytes sum to zero: the checksum and one other.
// The receiver's test (the sum over packet and trailer is zero) accepts both, as the protocol has it.
const std::array<std::uint16_t, 256>& ChecksumTable();

inline std::uint16_t ChecksumStep(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(ChecksumTable()[(crc ^ byte) & 0xFF] ^ (crc >> 8));
}

std::uint16_t Checksum(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0);

// Appends the frame of a packet to out; returns false (and appends nothing) for a packet that may not be
// sent: empty or longer than 254 bytes.
bool EncodeFrame(std::span<const std::uint8_t> packet, std::vector<std::uint8_t>& out);

// Receiver side: fed one byte at a time, hands every complete frame with a good checksum to the sink as a
// 256-byte buffer (packet, then its two checksum bytes, zero-filled beyond) with the unstuffed length.
class TFrameDecoder {
public:
    using TBuffer = std::array<std::uint8_t, kReceiveBufferBytes>;
    using TSink = std::function<void(const TBuffer& buffer, std::size_t length)>;

    explicit TFrameDecoder(TSink sink) : sink_(std::move(sink)) {}
    void Feed(std::uint8_t byte);
    void Feed(std::span<const std::uint8_t> bytes);

private:
    TSink sink_;
    TBuffer buffer_{};  // zero beyond count_ at all times, so a short reply reads as zero-filled
    std::size_t count_ = 0;
    std::uint16_t crc_ = 0;  // over the bytes stored so far
    bool frameEnded_ = true;
    bool error_ = false;
    bool escapePending_ = false;
};

}  // namespace tervis
