// The host message reader on both ends of hosted mode, over any byte stream. The first byte says where
// the stream is cut into pieces and whether the connection starts again after it; the messages must
// come out the same however it is cut, each of a known kind and within the size limit, and a message
// encoded from what came out reads back as itself.
#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "core/link/HostFrame.h"

namespace {

using TMessages = std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>>;

tervis::THostMessageReader Collector(TMessages& into) {
    return tervis::THostMessageReader([&into](std::uint8_t kind, std::span<const std::uint8_t> body) {
        FUZZ_CHECK(kind == tervis::kHostDataCopy || kind == tervis::kHostActivate);
        FUZZ_CHECK(body.size() <= tervis::kHostMaxDataBytes);
        into.emplace_back(kind, std::vector<std::uint8_t>(body.begin(), body.end()));
    });
}

}  // namespace

// Three in four mutations keep the stream's messages whole: one message (after the cut byte) gets a new
// length with its body cut or grown to match (1/4 each: any length, one bit of it flipped), a bit of its
// kind flipped (1/8), or one body byte set or one of its bits flipped (3/8; half of the time in the
// body's first eight bytes). Without them, a body
// of one particular size needs its length field and its byte count changed together, which byte
// mutations seldom do; with them, -use_value_profile leads the length, or a byte, towards a compared
// value one bit at a time.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    using tervis::kHostHeaderBytes;
    std::minstd_rand random(seed);
    std::vector<std::size_t> starts;  // where each whole message begins
    for (std::size_t at = 1; at + kHostHeaderBytes <= size;) {
        starts.push_back(at);
        at += kHostHeaderBytes + (data[at + 1] | (data[at + 2] << 8));
    }
    if (starts.empty() || random() % 4 == 0) {
        return tervis::fuzz::MutateByteValues(data, size, maxSize, seed);
    }
    const std::size_t at = starts[random() % starts.size()];
    const std::size_t length = data[at + 1] | (data[at + 2] << 8);
    const std::size_t present = std::min(length, size - at - kHostHeaderBytes);
    std::size_t wanted = length;
    switch (random() % 8) {
        case 0:
        case 1:
            wanted = random() % (tervis::kHostMaxDataBytes + 2);
            break;
        case 2:
        case 3:
            wanted = length ^ (1U << (random() % 9));
            break;
        case 4:
            data[at] ^= static_cast<std::uint8_t>(1U << (random() % 8));
            return size;
        default:
            // Half of these land in the first bytes of the body, a packet's header and reply code.
            if (present > 0) {
                const std::size_t span = random() % 2 == 0 ? std::min<std::size_t>(present, 8) : present;
                std::uint8_t& byte = data[at + kHostHeaderBytes + random() % span];
                tervis::fuzz::SetOrFlip(byte, random() % 2 == 0, random);
            }
            return size;
    }
    const std::size_t body = at + kHostHeaderBytes;
    if (wanted > present && size + (wanted - present) > maxSize) {
        return size;
    }
    std::vector<std::uint8_t> rest(data + body + present, data + size);
    for (std::size_t k = present; k < wanted; ++k) {
        data[body + k] = static_cast<std::uint8_t>(random() >> 8);
    }
    std::copy(rest.begin(), rest.end(), data + body + wanted);
    data[at + 1] = static_cast<std::uint8_t>(wanted & 0xFF);
    data[at + 2] = static_cast<std::uint8_t>(wanted >> 8);
    return size - present + wanted;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tervis::fuzz::TFuzzInput input(data, size);
    const std::uint8_t cut = input.Byte();
    const std::span<const std::uint8_t> stream = input.Rest();

    TMessages whole;
    auto reader = Collector(whole);
    reader.Feed(stream);

    TMessages pieces;
    auto pieceReader = Collector(pieces);
    const std::size_t step = (cut & 0x3F) + 1;
    for (std::size_t at = 0; at < stream.size(); at += step) {
        pieceReader.Feed(stream.subspan(at, std::min(step, stream.size() - at)));
    }
    FUZZ_CHECK(pieces == whole);
    FUZZ_CHECK(pieceReader.Skipped() == reader.Skipped());

    // A new connection starts in step whatever the last one left half read.
    if ((cut & 0x80) != 0) {
        pieceReader.Reset();
        pieces.clear();
        const std::vector<std::uint8_t> activate = {tervis::kHostActivate, 0, 0};
        pieceReader.Feed(activate);
        FUZZ_CHECK(pieces.size() == 1 && pieces[0].first == tervis::kHostActivate);
    }

    for (const auto& [kind, body] : whole) {
        std::vector<std::uint8_t> encoded;
        FUZZ_CHECK(tervis::EncodeHostMessage(kind, body, encoded));
        TMessages back;
        auto check = Collector(back);
        check.Feed(encoded);
        FUZZ_CHECK(back.size() == 1 && back[0].first == kind && back[0].second == body);
    }
    return 0;
}
