#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "SimLine.h"
#include "SimTestSupport.h"

namespace tervis::sim::test {
namespace {

struct TRecordCase {
    const char* Name;
    TBytes Write;                                              // request packet
    TBytes Read;                                               // request packet
    TBytes Reply;                                              // packet answering the read
    std::vector<std::pair<std::size_t, std::uint16_t>> Words;  // where the record lands in memory
};

// Every record kind: written, echoed with the same control byte, read back in its reply layout with
// big-endian words, and stored at the word indexes of the configuration image.
TEST(SimConfig, WrittenRecordsReadBackAndLandInTheImageMap) {
    const std::vector<TRecordCase> cases = {
        {"slot type",
         {0x05, 0x00, 0x00, 10, 3, 10, 0x12, 0x34, 0xAB, 0xCD},
         {0x06, 0x00, 0x00, 15, 3},
         {0x06, 0x00, 0x00, 10, 3, 10, 0x12, 0x34, 0xAB, 0xCD},
         {{0x0003, 10}, {0x0013, 0x1234}, {0x0023, 0xABCD}}},
        {"endpoint",
         {0x07, 0x00, 0x00, 20, 0x02, 0x85, 0x01, 0x07, 0xD8},
         {0x08, 0x00, 0x00, 25, 0x02, 0x85},
         {0x08, 0x00, 0x00, 20, 0x02, 0x85, 0x01, 0x07, 0xD8},
         {{0x0080 + 645, 263}, {0x0880 + 645, 0xD8}}},
        {"configuration block",
         {0x09, 0x00, 0x00, 30,   2,    0x32, 0x10, 0x00, 0x01, 0x00, 0x02, 0x00,
          0x03, 0x00, 0x04, 0x20, 0x20, 0x00, 0x06, 0x00, 0x07, 0xC0, 0xDB},
         {0x0A, 0x00, 0x00, 35, 2},
         {0x0A, 0x00, 0x00, 30,   2,    0x32, 0x10, 0x00, 0x01, 0x00, 0x02, 0x00,
          0x03, 0x00, 0x04, 0x20, 0x20, 0x00, 0x06, 0x00, 0x07, 0xC0, 0xDB},
         {{0x0032, 0x3210}, {0x0042, 1}, {0x0072, 4}, {0x1C02, 0x2020}, {0x1C22, 7}, {0x1C32, 0xC0DB}}},
        {"multiplexer settings",
         {0x0B, 0x00, 0x00, 40, 0x15, 0x10, 0x60, 0x60, 0x60, 0x60, 0x02, 0x02, 0x05, 0xFF},
         {0x0C, 0x00, 0x00, 45},
         {0x0C, 0x00, 0x00, 40, 0x15, 0x10, 0x60, 0x60, 0x60, 0x60, 0x02, 0x02, 0x05, 0xFF},
         {{0x1080, 0x15}, {0x1086, 2}, {0x1088, 5}, {0x1089, 0xFF}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSimLine line;
        const auto echo = Exchange(line, c.Write);
        ASSERT_EQ(echo.size(), 1u);
        ASSERT_GE(echo[0].size(), 4u);
        EXPECT_EQ(echo[0][0], c.Write[0]);
        EXPECT_EQ(echo[0][3], c.Write[3]) << "a write is answered with its own code";
        EXPECT_EQ(Exchange(line, c.Read), std::vector<TBytes>{c.Reply});
        for (const auto& [index, value] : c.Words) {
            EXPECT_EQ(line.Local().ConfigMemory()[index], value) << "word " << index;
        }
    }
}

TEST(SimConfig, NewDeviceHoldsAnEmptyConfigurationAndImagesRoundTrip) {
    TSimMultiplexer mux;
    const auto image = mux.SaveImage();
    ASSERT_EQ(image.size(), 65534u);
    for (std::size_t i = 0x0100; i < 0x1100; ++i) {
        ASSERT_EQ(image[i], 0xFF) << i;
    }
    for (std::size_t i = 0x1100; i < 0x2100; i += 2) {
        ASSERT_EQ(image[i], 0x50) << i;
        ASSERT_EQ(image[i + 1], 0x00) << i;
    }
    const TBytes settings(image.begin() + 0x2100, image.begin() + 0x2114);
    EXPECT_EQ(settings, (TBytes{0x00, 0x00, 0x10, 0x00, 0x60, 0x00, 0x60, 0x00, 0x60, 0x00,
                                0x60, 0x00, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00}));

    // Words the device does not use survive a load and save; a longer file loads its first 65534 bytes.
    TBytes file(70000, 0);
    file[0x0004] = 0x0A;
    file[0x0064] = 0x10;
    file[0x0065] = 0x32;
    file[0x7000] = 0x5A;
    file[0xFFFD] = 0xA5;
    file[65534] = 0x77;
    mux.LoadImage(file);
    EXPECT_EQ(mux.ConfiguredBoard(2), 10);
    EXPECT_EQ(mux.Block(2)[0], 0x3210);
    file.resize(65534);
    EXPECT_EQ(mux.SaveImage(), file);

    EXPECT_THROW(mux.LoadImage(TBytes(65533, 0)), std::invalid_argument);
    EXPECT_EQ(mux.Block(2)[0], 0x3210) << "a refused image leaves the memory alone";
}

// Requests the device does not understand get no answer at all; the confirmed commands that have no
// reply of their own are echoed, the unconfirmed ones are not.
TEST(SimConfig, AnswersOnlyWhatItUnderstands) {
    TSimLine line;
    const std::vector<std::pair<const char*, TBytes>> silent = {
        {"slot 16", {0x01, 0x00, 0x00, 15, 16}},
        {"endpoint 2048", {0x02, 0x00, 0x00, 25, 0x08, 0x00}},
        {"write to slot 16", {0x03, 0x00, 0x00, 10, 16, 1, 0, 0, 0, 0}},
        {"block write cut short", {0x04, 0x00, 0x00, 30, 2, 0x32, 0x10}},
        {"unknown command", {0x05, 0x00, 0x00, 99}},
        {"identifier 0", {0x06, 0x00, 0x00, 185, 0}},
        {"identifier 20", {0x07, 0x00, 0x00, 185, 20}},
        {"unconfirmed counter reset", {0x88, 0x00, 0x00, 150, 0x21}},
        {"unconfirmed line test", {0x89, 0x00, 0x00, 205, 0x03}},
        {"no command byte", {0x0A, 0x02, 0x00, 0x13, 0x07}},
    };
    for (const auto& [name, request] : silent) {
        EXPECT_TRUE(Exchange(line, request).empty()) << name;
    }
    EXPECT_EQ(line.Local().ConfiguredBoard(0), 0);
    EXPECT_EQ(line.Local().Identifier(), 0);
    EXPECT_EQ(line.Counters().RequestsSeen, silent.size());

    EXPECT_EQ(Exchange(line, {0x11, 0x00, 0x00, 150, 0x21}),
              (std::vector<TBytes>{{0x11, 0x00, 0x00, 150, 0x21}}));
    // Reads sent unconfirmed are still answered, with bit 7 echoed.
    EXPECT_EQ(Exchange(line, {0x92, 0x00, 0x00, 15, 4}),
              (std::vector<TBytes>{{0x92, 0x00, 0x00, 10, 4, 0, 0, 0, 0, 0}}));
}

}  // namespace
}  // namespace tervis::sim::test
