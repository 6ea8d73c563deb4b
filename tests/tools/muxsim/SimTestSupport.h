#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "SimLine.h"
#include "core/link/Frame.h"

namespace tervis::sim::test {

using TBytes = std::vector<std::uint8_t>;

// Frames a packet written out byte by byte in a test.
inline TBytes Frame(const TBytes& packet) {
    TBytes frame;
    EncodeFrame(packet, frame);
    return frame;
}

// The packets (checksum removed) in a stretch of line output.
inline std::vector<TBytes> Packets(std::span<const std::uint8_t> bytes) {
    std::vector<TBytes> packets;
    TFrameDecoder decoder([&](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        packets.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length - 2));
    });
    decoder.Feed(bytes);
    return packets;
}

// Sends one request and returns what came back at once.
inline std::vector<TBytes> Exchange(TSimLine& line, const TBytes& packet) {
    line.Receive(Frame(packet));
    return Packets(line.TakeOutput());
}

}  // namespace tervis::sim::test
