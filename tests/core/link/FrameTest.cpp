#include "core/link/Frame.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tervis {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

struct TCollector {
    std::vector<std::vector<std::uint8_t>> frames;
    TFrameDecoder decoder{[this](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        frames.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
    }};
};

TEST(Checksum, TableRowsAndCheckValues) {
    const auto& t = ChecksumTable();
    const std::uint16_t row1[16] = {0x1891, 0x0918, 0x3B83, 0x2A0A, 0x5EB5, 0x4F3C, 0x7DA7, 0x6C2E,
                                    0x94D9, 0x8550, 0xB7CB, 0xA642, 0xD2FD, 0xC374, 0xF1EF, 0xE066};
    const std::uint16_t row2[16] = {0x3122, 0x20AB, 0x1230, 0x03B9, 0x7706, 0x668F, 0x5414, 0x459D,
                                    0xBD6A, 0xACE3, 0x9E78, 0x8FF1, 0xFB4E, 0xEAC7, 0xD85C, 0xC9D5};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(t[16 + i], row1[i]) << i;
        EXPECT_EQ(t[32 + i], row2[i]) << i;
    }
    EXPECT_EQ(t[1], 0x1189);
    EXPECT_EQ(t[128], 0xC488);
    EXPECT_EQ(t[255], 0x7788);
    EXPECT_EQ(Checksum(Bytes("abc")), 0xA837);
    EXPECT_EQ(Checksum(Bytes("123456789")), 0x57FF);

    // A packet followed by its checksum, low byte first, sums to zero.
    std::vector<std::uint8_t> packet = {0x05, 0x00, 0x00, 0x6E};
    const std::uint16_t crc = Checksum(packet);
    packet.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    packet.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_EQ(Checksum(packet), 0);
}

TEST(Frame, StuffingRoundTripAndLimits) {
    // Find a packet whose checksum bytes need stuffing too.
    std::vector<std::uint8_t> packet = {0xC0, 0x01, 0xDB, 0x00, 0x0A};
    for (std::uint8_t extra = 0;; ++extra) {
        packet.back() = extra;
        const std::uint16_t crc = Checksum(packet);
        if ((crc & 0xFF) == 0xC0 || (crc >> 8) == 0xDB || (crc & 0xFF) == 0xDB || (crc >> 8) == 0xC0) {
            break;
        }
        ASSERT_NE(extra, 255);
    }
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(EncodeFrame(packet, frame));
    EXPECT_EQ(frame.back(), kFrameEnd);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        ASSERT_NE(frame[i], kFrameEnd) << "raw END inside the frame at " << i;
    }
    EXPECT_EQ((std::vector<std::uint8_t>(frame.begin(), frame.begin() + 5)),
              (std::vector<std::uint8_t>{0xDB, 0xDC, 0x01, 0xDB, 0xDD}));

    TCollector c;
    c.decoder.Feed(frame);
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(std::vector<std::uint8_t>(c.frames[0].begin(), c.frames[0].end() - 2), packet);

    std::vector<std::uint8_t> none;
    EXPECT_FALSE(EncodeFrame({}, none));
    EXPECT_FALSE(EncodeFrame(std::vector<std::uint8_t>(255, 1), none));
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(EncodeFrame(std::vector<std::uint8_t>(254, 0xC0), none));
    EXPECT_LE(none.size(), kMaxFrameBytes);
}

TEST(Frame, EverySingleBitFlipIsDropped) {
    const std::vector<std::uint8_t> packet = {0x81, 0x02, 0x03, 0x13, 0x07, 0x64, 0x10, 0x20};
    std::vector<std::uint8_t> frame;
    EncodeFrame(packet, frame);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<std::uint8_t> bad = frame;
            bad[i] ^= static_cast<std::uint8_t>(1 << bit);
            TCollector c;
            c.decoder.Feed(bad);
            c.decoder.Feed(kFrameEnd);  // a flipped byte may have become ESC or END: resynchronise
            EXPECT_TRUE(c.frames.empty()) << "byte " << i << " bit " << bit;
        }
    }
}

TEST(Frame, DecoderResynchronisesAfterNoiseAndBadEscapes) {
    std::vector<std::uint8_t> good;
    EncodeFrame(std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x73}, good);

    std::vector<std::uint8_t> stream = {0x55, 0xAA, 0x12};  // noise before a frame
    stream.insert(stream.end(), good.begin(), good.end());
    stream.insert(stream.end(), {0x10, 0xDB, 0x00, 0x20, 0x30, kFrameEnd});  // ESC 0x00: bad
    stream.insert(stream.end(), good.begin(), good.end());
    stream.insert(stream.end(), {kFrameEnd, kFrameEnd, 0x01, 0x02, kFrameEnd});  // empty and short frames
    TCollector c;
    c.decoder.Feed(stream);
    // The noise is glued to the first frame, so that frame fails its checksum; the second survives.
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0].size(), 6u);

    TCollector clean;
    clean.decoder.Feed(good);
    clean.decoder.Feed(stream);
    EXPECT_EQ(clean.frames.size(), 2u);
}

// A frame needs three unstuffed bytes at least: one packet byte and the checksum. The zero byte's checksum
// is 0x0000, so the two-byte frame 00 00 passes the checksum test and must fail on its length alone.
TEST(Frame, ShortestFrames) {
    const struct {
        std::vector<std::uint8_t> raw;
        std::size_t delivered;  // bytes handed on, 0 for none
    } cases[] = {
        {{kFrameEnd}, 0},
        {{0x00, kFrameEnd}, 0},
        {{0x00, 0x00, kFrameEnd}, 0},
        {{0x00, 0x00, 0x00, kFrameEnd}, 3},
        {{0x61, 0x62, 0x63, 0x37, 0xA8, kFrameEnd}, 5},  // "abc" and its check value 0xA837
    };
    for (const auto& c : cases) {
        TCollector collector;
        collector.decoder.Feed(c.raw);
        ASSERT_EQ(collector.frames.size(), c.delivered == 0 ? 0u : 1u) << c.raw.size();
        if (c.delivered != 0) {
            EXPECT_EQ(collector.frames[0].size(), c.delivered);
        }
    }
}

TEST(Frame, LongestAcceptedFrameAndZeroFill) {
    for (const std::size_t packetBytes : {253u, 254u}) {
        std::vector<std::uint8_t> packet(packetBytes, 0x11);
        const std::uint16_t crc = Checksum(packet);
        std::vector<std::uint8_t> raw = packet;
        raw.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        raw.push_back(static_cast<std::uint8_t>(crc >> 8));
        raw.push_back(kFrameEnd);  // 255 or 256 unstuffed bytes, hand-made (no stuffing needed)
        TCollector c;
        c.decoder.Feed(raw);
        EXPECT_EQ(c.frames.size(), packetBytes == 253 ? 1u : 0u) << packetBytes;
    }

    // After a long frame, a short one still reads as zero beyond its end.
    std::vector<std::uint8_t> frames;
    EncodeFrame(std::vector<std::uint8_t>(100, 0x77), frames);
    EncodeFrame(std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x69}, frames);
    TFrameDecoder::TBuffer last{};
    TFrameDecoder decoder([&](const TFrameDecoder::TBuffer& buffer, std::size_t) { last = buffer; });
    decoder.Feed(frames);
    EXPECT_EQ(last[3], 0x69);
    for (std::size_t i = 6; i < last.size(); ++i) {
        ASSERT_EQ(last[i], 0) << i;
    }
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// A sink that throws leaves the decoder between frames: the next frame is decoded on its own, not glued
// to the bytes that came before the throw.
TEST(Frame, DecoderStateSurvivesAThrowingSink) {
    std::vector<std::vector<std::uint8_t>> packets;
    bool fail = true;
    TFrameDecoder decoder([&](const TFrameDecoder::TBuffer& buffer, std::size_t length) {
        packets.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length - 2));
        if (fail) {
            fail = false;
            throw std::runtime_error("sink failed");
        }
    });
    std::vector<std::uint8_t> line;
    ASSERT_TRUE(EncodeFrame(std::vector<std::uint8_t>{1, 2, 3}, line));
    const std::size_t firstEnd = line.size();
    ASSERT_TRUE(EncodeFrame(std::vector<std::uint8_t>{4, 5, 6, 7}, line));
    // The throw cuts the read short after the first frame; the rest of the read comes again.
    EXPECT_THROW(decoder.Feed(line), std::runtime_error);
    decoder.Feed(std::span(line).subspan(firstEnd));
    EXPECT_EQ(packets, (std::vector<std::vector<std::uint8_t>>{{1, 2, 3}, {4, 5, 6, 7}}));
}

}  // namespace
}  // namespace tervis
