// The frame decoder fed arbitrary bytes in arbitrary pieces. The first byte chooses how the rest is cut:
// its low bits pick how many of the following bytes are piece lengths. Whatever the cut, the decoder must
// hand over the same frames as when fed the bytes one by one, and each frame must be a checked packet
// that encodes back to a frame the decoder reads again.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "core/link/Frame.h"

namespace {

using tervis::TFrameDecoder;

struct TFrame {
    TFrameDecoder::TBuffer buffer;
    std::size_t length;
    bool operator==(const TFrame&) const = default;
};

void CheckFrame(const TFrameDecoder::TBuffer& buffer, std::size_t length) {
    FUZZ_CHECK(length >= 3 && length <= tervis::kMaxReceivedBytes);
    FUZZ_CHECK(tervis::Checksum(std::span(buffer.data(), length)) == 0);
    for (std::size_t i = length; i < buffer.size(); ++i) {
        FUZZ_CHECK(buffer[i] == 0);  // a short reply reads as zero-filled
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tervis::fuzz::TFuzzInput input(data, size);
    const std::size_t lengthCount = (input.Byte() & 7) + 1;
    const auto lengths = input.Bytes(lengthCount);
    const auto stream = input.Rest();

    std::vector<TFrame> whole;
    TFrameDecoder single([&](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        CheckFrame(buffer, length);
        whole.push_back({buffer, length});
    });
    for (std::uint8_t byte : stream) {
        single.Feed(byte);
    }

    std::vector<TFrame> pieces;
    TFrameDecoder chunked([&](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        pieces.push_back({buffer, length});
    });
    std::size_t at = 0;
    for (std::size_t k = 0; at < stream.size(); ++k) {
        // A zero length feeds an empty piece, which must change nothing.
        const std::size_t length = lengths.empty() ? stream.size() : lengths[k % lengths.size()];
        const std::size_t taken = std::min(length, stream.size() - at);
        chunked.Feed(stream.subspan(at, taken));
        at += taken;
        if (k > stream.size() + lengths.size()) {
            break;  // only empty pieces left to cut: the rest in one
        }
    }
    if (at < stream.size()) {
        chunked.Feed(stream.subspan(at));
    }
    FUZZ_CHECK(pieces == whole);

    // Every packet that arrived is one the transmitter may send, and it survives the way back. Its
    // checksum bytes may differ from the ones sent: two trailers sum to zero for every packet.
    for (const TFrame& frame : whole) {
        const std::size_t packetLength = frame.length - 2;
        std::vector<std::uint8_t> encoded;
        const bool sendable = tervis::EncodeFrame(std::span(frame.buffer.data(), packetLength), encoded);
        FUZZ_CHECK(sendable == (packetLength <= tervis::kMaxPacketBytes));
        if (!sendable) {
            continue;
        }
        FUZZ_CHECK(encoded.size() <= tervis::kMaxFrameBytes);
        int received = 0;
        TFrameDecoder again([&](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
            ++received;
            FUZZ_CHECK(length == frame.length);
            FUZZ_CHECK(std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(packetLength),
                                  frame.buffer.begin()));
        });
        again.Feed(encoded);
        FUZZ_CHECK(received == 1);
    }
    return 0;
}
