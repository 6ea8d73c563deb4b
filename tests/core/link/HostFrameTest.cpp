// The host messages: kind, 16-bit little-endian length, bytes; read back from a stream cut anywhere.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/link/HostFrame.h"

namespace tervis {
namespace {

using TBytes = std::vector<std::uint8_t>;
using TMessage = std::pair<std::uint8_t, TBytes>;

struct TCollector {
    std::vector<TMessage> Got;
    THostMessageReader Reader{[this](std::uint8_t kind, std::span<const std::uint8_t> body) {
        Got.emplace_back(kind, TBytes(body.begin(), body.end()));
    }};
};

TBytes Message(std::uint8_t kind, const TBytes& body) {
    TBytes out;
    EXPECT_TRUE(EncodeHostMessage(kind, body, out));
    return out;
}

TBytes Concat(std::initializer_list<TBytes> parts) {
    TBytes all;
    for (const TBytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

TBytes Filled(std::size_t n, std::uint8_t first = 0) {
    TBytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(first + i);
    }
    return b;
}

TEST(HostMessage, EncodesKindLittleEndianLengthAndBodyAndRefusesMoreThan256Bytes) {
    EXPECT_EQ(Message(kHostDataCopy, {0x81, 0x00, 0x00, 110}), (TBytes{0x4A, 4, 0, 0x81, 0x00, 0x00, 110}));
    EXPECT_EQ(Message(kHostActivate, {}), (TBytes{0x47, 0, 0}));
    const TBytes full = Message(kHostDataCopy, Filled(256));
    ASSERT_EQ(full.size(), 259u);
    EXPECT_EQ(full[1], 0x00);
    EXPECT_EQ(full[2], 0x01);
    TBytes out = {0xEE};
    EXPECT_FALSE(EncodeHostMessage(kHostDataCopy, Filled(257), out));
    EXPECT_EQ(out, TBytes{0xEE}) << "nothing appended";
}

// The same stream must give the same messages however the socket cuts it: all at once, byte by byte,
// and at every single split point (inside a header, inside a body, between messages).
TEST(HostMessageReader, SplitAndMergedMessagesComeOutWhole) {
    const TBytes stream = Concat({Message(kHostDataCopy, Filled(10, 1)), Message(kHostActivate, {}),
                                  Message(kHostDataCopy, Filled(256, 7)), Message(kHostDataCopy, {0xC0})});
    const std::vector<TMessage> expected = {{kHostDataCopy, Filled(10, 1)},
                                            {kHostActivate, {}},
                                            {kHostDataCopy, Filled(256, 7)},
                                            {kHostDataCopy, {0xC0}}};

    TCollector whole;
    whole.Reader.Feed(stream);
    EXPECT_EQ(whole.Got, expected);

    TCollector bytewise;
    for (const std::uint8_t b : stream) {
        bytewise.Reader.Feed(std::span(&b, 1));
    }
    EXPECT_EQ(bytewise.Got, expected);

    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        TCollector two;
        two.Reader.Feed(std::span(stream).first(cut));
        two.Reader.Feed(std::span(stream).subspan(cut));
        ASSERT_EQ(two.Got, expected) << "cut at " << cut;
    }

    // A message whose length runs past what arrived waits for the rest.
    TCollector waiting;
    const TBytes first = Message(kHostDataCopy, Filled(20));
    waiting.Reader.Feed(std::span(first).first(15));
    EXPECT_TRUE(waiting.Got.empty());
    waiting.Reader.Feed(std::span(first).subspan(15));
    EXPECT_EQ(waiting.Got.size(), 1u);
}

TEST(HostMessageReader, UnknownKindsAndOverlongMessagesAreSkippedAndTheStreamStaysInStep) {
    // An overlong body (300 bytes, also the maximum 65535) is built by hand: the encoder refuses it.
    auto raw = [](std::uint8_t kind, std::size_t n) {
        TBytes b = {kind, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(n >> 8)};
        // Bodies full of bytes that look like headers of good messages, to catch a reader that loses step.
        b.resize(3 + n, kHostDataCopy);
        return b;
    };
    const TBytes good = Message(kHostDataCopy, {0x05, 0x00, 0x00, 180, 0x12, 0x34});
    const TBytes stream = Concat({raw(0x11, 5), good, raw(kHostDataCopy, 257), raw(kHostActivate, 300), good,
                                  raw(0x4B, 0), raw(kHostDataCopy, 65535), good});
    for (const std::size_t chunk : {stream.size(), std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        TCollector c;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            c.Reader.Feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
        }
        ASSERT_EQ(c.Got.size(), 3u) << "chunk " << chunk;
        for (const auto& [kind, body] : c.Got) {
            EXPECT_EQ(kind, kHostDataCopy);
            EXPECT_EQ(body, TBytes(good.begin() + 3, good.end()));
        }
        EXPECT_EQ(c.Reader.Skipped(), 5u);
    }

    // Reset drops a partial message: a new connection starts clean.
    TCollector reset;
    reset.Reader.Feed(std::span(good).first(4));
    reset.Reader.Reset();
    reset.Reader.Feed(good);
    ASSERT_EQ(reset.Got.size(), 1u);
    EXPECT_EQ(reset.Got[0].second, TBytes(good.begin() + 3, good.end()));
}

}  // namespace
}  // namespace tervis
