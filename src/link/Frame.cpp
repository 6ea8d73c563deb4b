#include "link/Frame.h"

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

void TFrameDecoder::Store(std::uint8_t byte) {
    if (count_ < kMaxReceivedBytes) {
        buffer_[count_] = byte;
    } else {
        error_ = true;
    }
    // Keep counting so that an overlong frame stays refused, but never beyond what can be compared.
    if (count_ <= kMaxReceivedBytes) {
        ++count_;
    }
}

void TFrameDecoder::Feed(std::uint8_t byte) {
    if (frameEnded_) {
        count_ = 0;
        frameEnded_ = false;
        error_ = false;
        escapePending_ = false;
    }
    if (escapePending_) {
        escapePending_ = false;
        if (byte == kFrameEscEnd) {
            Store(kFrameEnd);
        } else if (byte == kFrameEscEsc) {
            Store(kFrameEsc);
        } else {
            error_ = true;
            Store(0);
        }
        return;
    }
    if (byte == kFrameEsc) {
        escapePending_ = true;
    } else if (byte == kFrameEnd) {
        frameEnded_ = true;
        if (!error_ && count_ >= 3 && Checksum(std::span(buffer_.data(), count_)) == 0) {
            // Parsers read fixed positions: what did not arrive reads as zero.
            std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(count_), buffer_.end(), 0);
            sink_(buffer_, count_);
        }
    } else {
        Store(byte);
    }
}

}  // namespace tervis
