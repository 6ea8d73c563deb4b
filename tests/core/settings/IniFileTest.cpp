#include "core/settings/IniFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#if defined(__unix__)
#include <sys/resource.h>
#endif

#include "core/base/Cp1251.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;

TEST(IniFile, ReadsWhatTheClassicFunctionsRead) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    WriteBytes(file,
               "top=global\n"
               "; comment=not a key\r\n"
               "[Other]\r\n"
               "device=COM9\r\n"
               "[  settings ]\n"
               "  Device  =  COM2  \n"
               "Address='1:2 3'\n"
               "empty=\n"
               "novalue\n"
               "eq=a=b\n" +
                   Utf8ToCp1251("[Настройки]\r\nЁмкость=Второй\r\n[Ящик]\r\nЯчейка=Я\r\n") +
                   "[SETTINGS]\r\n"
                   "device=COM3\r\n"
                   "; hidden=commented out\r\n"
                   "late=found");
    struct TCase {
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::vector<TCase> cases = {
        {"SETTINGS", "device", "COM2"},        // first section of the name wins; blanks trimmed
        {"settings", "ADDRESS", "'1:2 3'"},    // raw: quotes stay
        {"SETTINGS", "empty", ""},             // present and empty is not missing
        {"SETTINGS", "novalue", "(default)"},  // a line without "=" is no entry
        {"SETTINGS", "eq", "a=b"},             // the first "=" separates
        {"SETTINGS", "late", "found"},         // later section of the same name, last line without end
        {"SETTINGS", "top", "(default)"},      // lines before any section belong to none
        {"SETTINGS", "; comment", "(default)"},
        {"SETTINGS", "; hidden", "(default)"},  // a comment inside a section is no entry either
        {"Other", "device", "COM9"},
        {"нАСТРОЙКИ", "ёМКОСТЬ", "Второй"},  // Cyrillic names fold case too
        {"ЯЩИК", "ячейка", "Я"},             // Я, the last letter, as well
        {"Missing", "device", "(default)"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(GetProfileString(file, c.section, c.key, "(default)"), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(GetProfileString(dir.Path() / "none.ini", "SETTINGS", "device", "COM1"), "COM1");
}

TEST(IniFile, IntegersThatCannotBeReadGiveTheDefault) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    WriteBytes(file,
               "[S]\na=12\nb= -3 \nc=+7\nd=1x\ne=\nf=0x10\ng=99999999999\nh=--1\n"
               "max=2147483647\nmin=-2147483648\nover=2147483648\nunder=-2147483649\n");
    const std::vector<std::pair<const char*, int>> cases = {
        {"a", 12},
        {"b", -3},
        {"c", 7},
        {"d", 42},
        {"e", 42},
        {"f", 42},
        {"g", 42},
        {"h", 42},
        {"missing", 42},
        {"max", 2147483647},
        {"min", -2147483647 - 1},
        {"over", 42},
        {"under", 42},
    };
    for (const auto& [key, expected] : cases) {
        EXPECT_EQ(GetProfileInt(file, "s", key, 42), expected) << key;
    }
}

TEST(IniFile, WritingChangesOnlyTheOneEntry) {
    struct TCase {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const std::vector<TCase> cases = {
        {"replaced in place, spelling, blanks and line end kept", "[A]\n  Key = old  \n; c\n", "a", "KEY",
         "new", "[A]\n  Key = new\n; c\n"},
        {"added after the last entry of the first section of the name",
         "; head\r\n[S]\r\nx=1\r\n; about T\r\n\r\n[T]\r\ny=2\r\n[s]\r\nz=3\r\n", "S", "w", "4",
         "; head\r\n[S]\r\nx=1\r\nw=4\r\n; about T\r\n\r\n[T]\r\ny=2\r\n[s]\r\nz=3\r\n"},
        {"replaced in a later section of the name", "[S]\nx=1\n[T]\n[S]\nz=3\n", "s", "Z", "9",
         "[S]\nx=1\n[T]\n[S]\nz=9\n"},
        {"added right after the header of a section without entries", "[S]\n; only a comment\n[T]\n", "S",
         "k", "v", "[S]\nk=v\r\n; only a comment\n[T]\n"},
        {"section added at the end; the unended last line gets its end", "[A]\r\nx=1", "B", "k", "v",
         "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"a header at the very end", "[A]", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"empty value, blanks written raw", "[A]\nk=1\n", "A", "k", "", "[A]\nk=\n"},
        {"a key outside any section is not the section's key", "k=1\n[A]\n", "A", "k", "2",
         "k=1\n[A]\nk=2\r\n"},
    };
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    for (const TCase& c : cases) {
        WriteBytes(file, c.before);
        EXPECT_TRUE(WriteProfileString(file, c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(ReadBytes(file), c.after) << c.name;
        EXPECT_EQ(GetProfileString(file, c.section, c.key, "(default)"), c.value) << c.name;
    }
}

TEST(IniFile, MissingFileIsCreated) {
    TTempDir dir;
    const fs::path file = dir.Path() / "new.ini";
    EXPECT_TRUE(WriteProfileString(file, "SETTINGS", "device", "COM2"));
    EXPECT_TRUE(WriteProfileString(file, "SETTINGS", "rs485id", "4"));
    EXPECT_EQ(ReadBytes(file), "[SETTINGS]\r\ndevice=COM2\r\nrs485id=4\r\n");
}

TEST(IniFile, CyrillicIsWindows1251OnDisk) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    ASSERT_TRUE(WriteProfileString(file, "Настройки", "Файл", "Конфигурация №1 ёЁ"));
    EXPECT_EQ(ReadBytes(file),
              "[\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8]\r\n"
              "\xD4\xE0\xE9\xEB=\xCA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xFF \xB9"
              "1 \xB8\xA8\r\n");
    EXPECT_EQ(GetProfileString(file, "НАСТРОЙКИ", "фАЙЛ", ""), "Конфигурация №1 ёЁ");

    // The same key in other case is replaced, not added beside.
    ASSERT_TRUE(WriteProfileString(file, "настройки", "ФАЙЛ", "Щ"));
    EXPECT_EQ(ReadBytes(file), "[\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8]\r\n\xD4\xE0\xE9\xEB=\xD9\r\n");
}

TEST(IniFile, RefusedWritesLeaveTheFileAlone) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    const std::string before = "[A]\nk=1\n";
    struct TCase {
        const char* section;
        const char* key;
        const char* value;
    };
    const std::vector<TCase> cases = {
        {"A", "k", "two\nlines"}, {"A", "k", "cr\r"}, {"A", "a=b", "1"}, {"A", ";k", "1"},
        {"A", "[k", "1"},         {"A", " ", "1"},    {"a]b", "k", "1"}, {"", "k", "1"},
    };
    for (const TCase& c : cases) {
        WriteBytes(file, before);
        EXPECT_FALSE(WriteProfileString(file, c.section, c.key, c.value)) << c.section << "/" << c.key;
        EXPECT_EQ(ReadBytes(file), before);
    }
}

TEST(IniFile, UnwritableLocationsReturnFalse) {
    TTempDir dir;
    const fs::path notADirectory = dir.Path() / "plain";
    WriteBytes(notADirectory, "x");
    EXPECT_FALSE(WriteProfileString(notADirectory / "a.ini", "S", "k", "v"));
    EXPECT_EQ(ReadBytes(notADirectory), "x");

    const fs::path directory = dir.Path() / "a.ini";
    fs::create_directory(directory);
    EXPECT_FALSE(WriteProfileString(directory, "S", "k", "v"));
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_TRUE(fs::is_empty(directory));
}

#if defined(__unix__)
// A write that fails half way (here: the file size limit) must leave the old file whole and no
// temporary file behind. The limit works for every user, unlike permissions.
TEST(IniFile, FailedWriteKeepsTheOldFile) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    const std::string before = "[A]\r\nk=1\r\n";
    WriteBytes(file, before);

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteProfileString(file, "A", "k", std::string(200, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}
#endif

TEST(IniFile, WritingThroughASymbolicLinkKeepsTheLink) {
    TTempDir dir;
    const fs::path real = dir.Path() / "real.ini";
    const fs::path link = dir.Path() / "link.ini";
    WriteBytes(real, "[A]\nk=1\n");
    fs::create_symlink("real.ini", link);
    ASSERT_TRUE(WriteProfileString(link, "A", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[A]\nk=2\n");
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// Names that are not valid UTF-8 (an overlong blank, a lone continuation byte) are converted the same way
// on reading and on writing: the value is found again and the section is never written twice.
TEST(IniFile, MalformedNamesRoundTripWithoutDuplicates) {
    TTempDir dir;
    const fs::path file = dir.Path() / "a.ini";
    for (const char* section : {"SETTINGS\xC0\xA0", "SETTINGS\x80", "\xE0\x80\xA0SETTINGS"}) {
        WriteBytes(file, "[OTHER]\r\nk=v\r\n");
        for (int exit = 0; exit < 3; ++exit) {
            ASSERT_TRUE(WriteProfileString(file, section, "device", "COM2"));
        }
        EXPECT_EQ(GetProfileString(file, section, "device", "none"), "COM2");
        const std::string text = ReadBytes(file);
        EXPECT_EQ(text.find("device="), text.rfind("device=")) << text;
        EXPECT_EQ(text.substr(0, 14), "[OTHER]\r\nk=v\r\n");
    }
}

// Only a regular file of a sane size is read as settings; anything else is refused with the reason.
TEST(IniFile, OversizedAndSpecialFilesAreNotRead) {
    TTempDir dir;
    TProfileFile profile;
    std::string problem;
    EXPECT_FALSE(profile.Load("/dev/zero", &problem));
    EXPECT_EQ(problem, "Файл настроек /dev/zero не является обычным файлом");
    const fs::path big = dir.Path() / "big.ini";
    WriteBytes(big, "[SETTINGS]\r\n" + std::string(TProfileFile::kMaxBytes, ';'));
    EXPECT_FALSE(profile.Load(big, &problem));
    EXPECT_EQ(problem, "Файл настроек " + big.string() + " больше 1 МБ");
    WriteBytes(big, std::string(TProfileFile::kMaxBytes - 9, ';') + "\n[A]\nk=v\n");
    EXPECT_TRUE(profile.Load(big));
    EXPECT_EQ(profile.GetString("A", "k", ""), "v");
}

}  // namespace
}  // namespace tervis
