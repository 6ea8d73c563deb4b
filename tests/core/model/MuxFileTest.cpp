#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include "core/base/Errors.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class MuxFileTest : public ::testing::Test {
protected:
    TSettings settings;
    test::TNotificationRecorder owner;
    test::TOperatorRecorder messages;
    std::unique_ptr<TMux> mux = std::make_unique<TMux>(&owner, &messages, settings);
    test::TTempDir dir;
};

TEST_F(MuxFileTest, NewConfigurationIsWrittenByteForByte) {
    const fs::path name = dir / "newcfg.mux";
    ASSERT_TRUE(mux->SaveToFile(name));
    const std::string bytes = ReadAll(name);
    ASSERT_EQ(bytes.size(), 65534u);

    std::string expected(65534, '\0');
    for (std::size_t i = 0x0100; i < 0x1100; ++i) {
        expected[i] = '\xFF';
    }
    for (std::size_t i = 0x1100; i < 0x2100; i += 2) {
        expected[i] = '\x50';
    }
    const std::string settingsBytes(
        "\x00\x00\x10\x00\x60\x00\x60\x00\x60\x00\x60\x00\x03\x00\xFF\x00\xFF\x00\x00\x00", 20);
    expected.replace(0x2100, 20, settingsBytes);
    EXPECT_TRUE(bytes == expected);
    EXPECT_EQ(dir.Path(), name.parent_path());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}), 1)
        << "no temporary file left behind";
}

TEST_F(MuxFileTest, BoardsLinksAndBlocksLandAtTheirOffsets) {
    mux->SetSlotType(2, {bt4E1, 0, 0});
    mux->LinkBoth(0, 1, 1, 1);
    TBoardConfig block = mux->GetBoardConfig(2);
    block[4] = 0x1234;  // the last word of the first block table
    block[5] = 0x5678;  // the first word of the second
    block[8] = 0xABCD;
    mux->SetBoardConfig(2, block);
    ASSERT_TRUE(mux->Modified());
    const fs::path name = dir / "a.mux";
    ASSERT_TRUE(mux->SaveToFile(name));
    EXPECT_FALSE(mux->Modified());
    EXPECT_EQ(owner.Posted.back(), (test::TNotification{kNotifyModified, 0}));

    const std::string bytes = ReadAll(name);
    EXPECT_EQ(bytes.substr(0x0004, 2), std::string("\x0A\x00", 2));
    EXPECT_EQ(bytes.substr(0x0064, 2), "\x10\x32");
    EXPECT_EQ(bytes.substr(0x0102, 2), std::string("\x81\x00", 2));
    EXPECT_EQ(bytes.substr(0x0202, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(bytes.substr(0x00E4, 2), "\x34\x12");                     // W4 of slot 2 at word 0x0072
    EXPECT_EQ(bytes.substr(0x3804, 2), "\x78\x56");                     // W5 of slot 2 at word 0x1C02
    EXPECT_EQ(bytes.substr(0x3800 + 0x20 * 3 + 2 * 2, 2), "\xCD\xAB");  // W8 of slot 2
}

TEST_F(MuxFileTest, SaveAndLoadAreExactInversesIncludingUnusedWords) {
    std::string bytes(65534, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    WriteAll(dir / "in.mux", bytes);
    ASSERT_TRUE(mux->LoadFromFile(dir / "in.mux"));
    ASSERT_TRUE(mux->SaveToFile(dir / "out.mux"));
    EXPECT_TRUE(ReadAll(dir / "out.mux") == bytes);
}

TEST_F(MuxFileTest, LoadTakesTheFirst65534BytesAndClearsModified) {
    TSettings otherSettings;
    TMux other(nullptr, nullptr, otherSettings);
    other.SetSlotType(7, {bt1DSL, 0, 0});
    ASSERT_TRUE(other.SaveToFile(dir / "x.mux"));
    WriteAll(dir / "long.mux", ReadAll(dir / "x.mux") + std::string(70000 - 65534, '\x77'));

    ASSERT_TRUE(mux->LoadFromFile(dir / "long.mux"));
    EXPECT_EQ(mux->SlotBoardType(7), bt1DSL);
    EXPECT_FALSE(mux->Modified());

    // Loading the same configuration again still clears the flag.
    mux->SetModified(true);
    ASSERT_TRUE(mux->LoadFromFile(dir / "x.mux"));
    EXPECT_FALSE(mux->Modified());
}

TEST_F(MuxFileTest, ShortUnreadableOrMissingFilesLeaveTheConfigurationAlone) {
    mux->SetSlotType(4, {bt4E1, 0, 0});
    const TConfigImage before = mux->Image();

    WriteAll(dir / "short.mux", std::string(65533, '\x01'));
    EXPECT_THROW(mux->LoadFromFile(dir / "short.mux"), EInOutError);
    EXPECT_FALSE(mux->LoadFileBytes(std::string(65533, '\x01')));
    fs::create_directory(dir / "folder.mux");
    EXPECT_THROW(mux->LoadFromFile(dir / "folder.mux"), EInOutError);
    EXPECT_TRUE(mux->Image() == before);
    EXPECT_TRUE(mux->Modified());
    EXPECT_TRUE(messages.Messages.empty());

    const std::string missing = (dir / "gone.mux").string();
    EXPECT_FALSE(mux->LoadFromFile(missing));
    EXPECT_EQ(messages.Messages, std::vector<std::string>{"Файл " + missing + " не найден"});
    EXPECT_TRUE(mux->Image() == before);
    EXPECT_TRUE(mux->Modified());
}

TEST_F(MuxFileTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    const fs::path name = dir / "keep.mux";
    ASSERT_TRUE(mux->SaveToFile(name));
    const std::string good = ReadAll(name);
    mux->SetSlotType(1, {bt4E1, 0, 0});

    // A folder that does not exist cannot take the file.
    EXPECT_THROW(mux->SaveToFile(dir / "no-such-folder" / "keep.mux"), EInOutError);
    EXPECT_TRUE(mux->Modified());

    // A full disk: the file size limit makes every write beyond 1000 bytes fail as a full disk would.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    bool threw = false;
    try {
        mux->SaveToFile(name);
    } catch (const EInOutError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_TRUE(threw);
    EXPECT_TRUE(mux->Modified());
    EXPECT_TRUE(ReadAll(name) == good);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}), 1);

    // The operator can save again once there is room.
    ASSERT_TRUE(mux->SaveToFile(name));
    EXPECT_FALSE(mux->Modified());
    EXPECT_EQ(static_cast<unsigned char>(ReadAll(name)[2]), 10u);
}

// One language per message: the system's reason is in Russian whatever the locale.
TEST_F(MuxFileTest, FileErrorsGiveTheReasonInRussian) {
    fs::create_directory(dir / "folder.mux");
    struct TCase {
        std::function<void()> Action;
        std::string Expected;
    };
    const TCase cases[] = {
        {[&] { mux->SaveToFile(dir / "none" / "x.mux"); },
         "Не удалось создать файл " + (dir / "none" / "x.mux").string() + ": Нет такого файла или каталога"},
        {[&] { mux->SaveToFile(dir / "folder.mux"); },
         "Ошибка записи файла " + (dir / "folder.mux").string() + ": Это каталог"},
        {[&] { mux->LoadFromFile(dir / "folder.mux"); },
         "Не удалось открыть файл " + (dir / "folder.mux").string() + ": Это каталог"},
    };
    for (const TCase& c : cases) {
        try {
            c.Action();
            ADD_FAILURE() << "no error for: " << c.Expected;
        } catch (const EInOutError& error) {
            EXPECT_EQ(std::string(error.what()), c.Expected);
        }
    }
}

TEST_F(MuxFileTest, SavingThroughASymbolicLinkReplacesTheTarget) {
    const fs::path target = dir / "real.mux";
    ASSERT_TRUE(mux->SaveToFile(target));
    fs::create_symlink("real.mux", dir / "link.mux");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    mux->SetSlotType(0, {bt1E1, 0, 0});
    ASSERT_TRUE(mux->SaveToFile(dir / "link.mux"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.mux"));
    EXPECT_EQ(ReadAll(target)[0], '\x07');
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Saving through link1 -> link2 -> real.mux replaces real.mux; both links stay links.
TEST_F(MuxFileTest, SavingFollowsTheWholeChainOfLinks) {
    ASSERT_TRUE(mux->SaveToFile(dir / "real.mux"));
    fs::create_symlink("real.mux", dir / "link2.mux");
    fs::create_symlink(dir / "link2.mux", dir / "link1.mux");
    mux->SetSlotType(0, {bt1E1, 0, 0});
    ASSERT_TRUE(mux->SaveToFile(dir / "link1.mux"));
    EXPECT_TRUE(fs::is_symlink(dir / "link1.mux"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2.mux"));
    EXPECT_EQ(ReadAll(dir / "real.mux")[0], '\x07');
    // A loop of links is an error, not a hang.
    fs::create_symlink("loop-b.mux", dir / "loop-a.mux");
    fs::create_symlink("loop-a.mux", dir / "loop-b.mux");
    EXPECT_THROW(mux->SaveToFile(dir / "loop-a.mux"), EInOutError);
}

// A file made read-only, a device or a pipe is never replaced, and neither saving nor opening blocks on
// a pipe; the old contents and the modified flag stay.
TEST_F(MuxFileTest, ReadOnlyAndSpecialFilesAreRefused) {
    const fs::path kept = dir / "keep.mux";
    ASSERT_TRUE(mux->SaveToFile(kept));
    const std::string good = ReadAll(kept);
    fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    mux->SetSlotType(1, {bt4E1, 0, 0});
    try {
        mux->SaveToFile(kept);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("Ошибка записи файла " + kept.string()), std::string::npos);
    }
    EXPECT_EQ(ReadAll(kept), good);
    EXPECT_TRUE(mux->Modified());

    const fs::path pipe = dir / "pipe.mux";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(mux->SaveToFile(pipe), EInOutError);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_THROW(mux->LoadFromFile(pipe), EInOutError);
    EXPECT_THROW(mux->LoadFromFile("/dev/zero"), EInOutError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}), 2);
}

}  // namespace
}  // namespace tervis
