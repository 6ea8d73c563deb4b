#include "core/base/Cp1251.h"

#include <gtest/gtest.h>

namespace tervis {
namespace {

TEST(Cp1251, CyrillicAndSymbols) {
    EXPECT_EQ(Utf8ToCp1251("Лог аварий"), "\xCB\xEE\xE3\x20\xE0\xE2\xE0\xF0\xE8\xE9");
    EXPECT_EQ(Utf8ToCp1251("Ёё№Е"), "\xA8\xB8\xB9\xC5");
    EXPECT_EQ(Utf8ToCp1251("-> [+]"), "-> [+]");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\x88"), "АяЁ€");
}

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD"
                           "b"),
              "a?b");                      // a CJK character
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");  // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xFF"
                           "x"),
              "?x");
    EXPECT_EQ(Utf8ToCp1251("\xD0x"), "?x");  // lead byte without continuation
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// Overlong forms, surrogates and values beyond Unicode are malformed: each of their bytes becomes '?'.
TEST(Cp1251, MalformedSequencesBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("A\xC0\xA0"
                           "B"),
              "A??B");
    EXPECT_EQ(Utf8ToCp1251("\xE0\x80\xAF"), "???");
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");
    EXPECT_EQ(Utf8ToCp1251("\xF4\x90\x80\x80"), "????");
    EXPECT_EQ(Utf8ToCp1251("\xD0\x96"), "\xC6");  // Ж stays
}

}  // namespace
}  // namespace tervis
