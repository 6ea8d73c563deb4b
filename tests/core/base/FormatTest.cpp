// Formatted texts at the size of the fixed buffer, and the texts of file errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/base/Format.h"
#include "core/base/SafeFile.h"

namespace tervis {
namespace {

TEST(Format, TextsAroundTheBufferSizeComeOutWhole) {
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{511}, std::size_t{512}, std::size_t{513}, std::size_t{2000}}) {
        const std::string text(length, 'x');
        const std::string formatted = Format("%s", text.c_str());
        EXPECT_EQ(formatted.size(), length) << length;
        EXPECT_EQ(formatted, text) << length;
    }
    EXPECT_EQ(Format("слот %d, порт %d", 3, 127), "слот 3, порт 127");
}

TEST(Format, PaddingCountsCharactersNotBytes) {
    EXPECT_EQ(PadRight("4E1", 6), "4E1   ");
    EXPECT_EQ(PadRight("ДП", 6), "ДП    ");
    EXPECT_EQ(PadRight("АДИКМ", 6), "АДИКМ ");
    EXPECT_EQ(PadRight("4ТЧУ-2", 4), "4ТЧУ-2");  // longer than the column: whole
    EXPECT_EQ(PadRight("", 2), "  ");
}

TEST(IoMessage, TheSystemReasonFollowsTheNameAfterAColon) {
    EXPECT_EQ(IoMessage("Ошибка записи файла", "a.mux", 0), "Ошибка записи файла a.mux");
    const std::string text = IoMessage("Не удалось открыть файл", "b.mux", ENOENT);
    EXPECT_EQ(text.rfind("Не удалось открыть файл b.mux: ", 0), 0U) << text;
    EXPECT_GT(text.size(), std::string("Не удалось открыть файл b.mux: ").size());
}

}  // namespace
}  // namespace tervis
