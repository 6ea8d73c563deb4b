#include "core/model/BoardTypes.h"

#include <gtest/gtest.h>

#include "core/base/Errors.h"

namespace tervis {
namespace {

TEST(BoardTypes, NamesAndChannelCounts) {
    struct Case {
        int code;
        const char* name;
        int channels;
    };
    const Case cases[] = {
        {0, "---", 0},       {1, "4ТЧ", 4},    {2, "4АЛ", 4},    {3, "4AK", 4},      {4, "?(4)", 0},
        {7, "1E1", 32},      {9, "4MБ", 4},    {10, "4E1", 128}, {12, "2VS", 64},    {13, "4И15", 64},
        {14, "АДИКМ", 96},   {15, "4C64", 4},  {16, "LAN", 32},  {17, "?(17)", 32},  {18, "8AK", 8},
        {19, "4C1И", 4},     {20, "4ТЧУ", 4},  {21, "?(21)", 0}, {22, "4ToP", 128},  {23, "1DSL", 32},
        {24, "4DSL", 128},   {25, "ТЛМ", 0},   {26, "ДП", 0},    {27, "4TLG", 4},    {28, "?(28)", 32},
        {29, "4DSLv2", 128}, {31, "?(31)", 0}, {32, "ЦП", 0},    {33, "4DSL'", 128}, {34, "?(34)", 0},
        {255, "?(255)", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(BoardTypeName(static_cast<std::uint8_t>(c.code)), c.name);
        EXPECT_EQ(TypeChannelCount(static_cast<unsigned>(c.code)), c.channels);
    }
    // Letter for letter: "4AK" is Latin, "4MБ" has a Latin M, "4C1И" a Latin C.
    EXPECT_EQ(BoardTypeName(3), "\x34\x41\x4B");
    EXPECT_EQ(BoardTypeName(9), "4M\xD0\x91");
    EXPECT_EQ(BoardTypeName(19), "4C1\xD0\x98");
}

TEST(BoardTypes, SlotStateNames) {
    EXPECT_EQ(SlotStateName(0), "отс.");
    EXPECT_EQ(SlotStateName(1), "раб.");
    EXPECT_EQ(SlotStateName(2), "блк.");
    EXPECT_EQ(SlotStateName(3), "?(3)");
}

TEST(BoardTypes, Endpoints) {
    EXPECT_EQ(MakeEndpoint(15, 127), 2047);
    EXPECT_EQ(MakeEndpoint(1, 0), 128);
    EXPECT_EQ(EndpointSlotOf(2047), 15);
    EXPECT_EQ(EndpointChannelOf(261), 5);
    EXPECT_TRUE(IsEndpoint(2047));
    EXPECT_FALSE(IsEndpoint(2048));
    EXPECT_FALSE(IsEndpoint(kEndpointGenerator));
}

TEST(BoardTypes, Properties) {
    EXPECT_TRUE(IsE1Framed(13));
    EXPECT_FALSE(IsE1Framed(23));
    EXPECT_TRUE(IsNotBulkLinkable(14));
    EXPECT_FALSE(IsNotBulkLinkable(10));
    EXPECT_EQ(GroupSourceWidth(13), 16);
    EXPECT_EQ(GroupSourceWidth(33), 64);
    EXPECT_EQ(GroupSourceWidth(12), 0);
    EXPECT_TRUE(CanStartTrace(1));
    EXPECT_FALSE(CanStartTrace(12));
    EXPECT_FALSE(ShowsTraceMessages(19));
}

TEST(BoardTypes, BinaryTexts) {
    EXPECT_EQ(IntToBin(5, 4), "0101");
    EXPECT_EQ(IntToBin(0x5A >> 4, 4), "0101");
    EXPECT_EQ(IntToBin(0xFF5, 4), "0101");  // higher bits ignored
    EXPECT_EQ(IntToBin(0, 0), "");
    EXPECT_EQ(BinToInt("01010000"), 80);
    EXPECT_EQ(BinToInt("1"), 1);
    for (const char* bad : {"", "01 0", "012", "x"}) {
        SCOPED_TRACE(bad);
        try {
            BinToInt(bad);
            FAIL() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("Ошибка в ходе преобразования двоичного числа ") + bad + " в целое число.");
        }
    }
}

}  // namespace
}  // namespace tervis
