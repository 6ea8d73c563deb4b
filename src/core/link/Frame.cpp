#include "core/link/Frame.h"

#include <algorithm>

namespace tervis {

namespace {

constexpr std::array<std::uint16_t, 16> kSeed = {0x0000, 0x1189, 0x2312, 0x329B, 0x4624, 0x57AD,
                                                 0x6536, 0x74BF, 0x8C48, 0x9DC1, 0xAF5A, 0xBED3,
                                                 0xCA6C, 0xDBE5, 0xE97E, 0xF8F7};

constexpr std::uint16_t Rotl4(std::uint16_t x) {
    return static_cast<std::uint16_t>((x << 4) | (x >> 12));
}

constexpr std::array<std::uint16_t, 256> BuildTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = i < 16 ? kSeed[i] : static_cast<std::uint16_t>(table[i & 0x0F] ^ Rotl4(table[i >> 4]));
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = BuildTable();

void PutStuffed(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    if (byte == kFrameEnd) {
        out.push_back(kFrameEsc);
        out.push_back(kFrameEscEnd);
    } else if (byte == kFrameEsc) {
        out.push_back(kFrameEsc);
        out.push_back(kFrameEscEsc);
    } else {
        out.push_back(byte);
    }
}

}  // namespace

const std::array<std::uint16_t, 256>& ChecksumTable() {
    return kTable;
}

std::uint16_t Checksum(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    for (std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8));
    }
    return crc;
}

bool EncodeFrame(std::span<const std::uint8_t> packet, std::vector<std::uint8_t>& out) {
    if (packet.empty() || packet.size() > kMaxPacketBytes) {
        return false;
    }
    const std::uint16_t crc = Checksum(packet);
    for (std::uint8_t byte : packet) {
        PutStuffed(byte, out);
    }
    PutStuffed(static_cast<std::uint8_t>(crc & 0xFF), out);
    PutStuffed(static_cast<std::uint8_t>(crc >> 8), out);
    out.push_back(kFrameEnd);
    return true;
}

void TFrameDecoder::Feed(std::uint8_t byte) {
    Feed(std::span<const std::uint8_t>(&byte, 1));
}

// The state lives in locals while the bytes are scanned: stores into the byte buffer could alias the
// members and would force the compiler to reload them for every byte. The checksum runs along with
// the bytes, so that each byte is looked at once.
void TFrameDecoder::Feed(std::span<const std::uint8_t> bytes) {
    std::uint8_t* const buffer = buffer_.data();
    std::size_t count = count_;
    std::uint16_t crc = crc_;
    bool frameEnded = frameEnded_;
    bool error = error_;
    bool escapePending = escapePending_;
    const auto store = [&](std::uint8_t value) {
        if (count < kMaxReceivedBytes) {
            buffer[count++] = value;
            crc = ChecksumStep(crc, value);
        } else {
            error = true;
        }
    };
    for (std::uint8_t byte : bytes) {
        if (frameEnded) {
            std::fill(buffer, buffer + count, 0);  // zero beyond the length for the next frame
            count = 0;
            crc = 0;
            frameEnded = false;
            error = false;
            escapePending = false;
        }
        if (escapePending) {
            escapePending = false;
            if (byte == kFrameEscEnd) {
                store(kFrameEnd);
            } else if (byte == kFrameEscEsc) {
                store(kFrameEsc);
            } else {
                error = true;
            }
        } else if (byte == kFrameEsc) {
            escapePending = true;
        } else if (byte == kFrameEnd) {
            frameEnded = true;
            // A packet followed by its own checksum, low byte first, sums to zero.
            if (!error && count >= 3 && crc == 0) {
                // The state is written back first: should the sink throw, the next frame still starts
                // clean instead of being glued to this one.
                count_ = count;
                crc_ = crc;
                frameEnded_ = frameEnded;
                error_ = error;
                escapePending_ = escapePending;
                sink_(buffer_, count);
            }
        } else {
            store(byte);
        }
    }
    count_ = count;
    crc_ = crc;
    frameEnded_ = frameEnded;
    error_ = error;
    escapePending_ = escapePending;
}

}  // namespace tervis
