#include "core/settings/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/CommandLine.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;

const std::string kAllKeys =
    "[SETTINGS]\r\n"
    "device=/dev/ttyUSB0\r\n"
    "rs485id=5\r\n"
    "address=1:2 3:4\r\n"
    "usespeaker=1\r\n"
    "usewave=2\r\n"
    "alarmconnect=1\r\n"
    "uselog=-1\r\n"
    "cashedtrx=1\r\n"
    "lastfile=/home/op/station.mux\r\n";

TEST(Settings, ReadOverridesOnlyWhatTheFileHolds) {
    TTempDir dir;
    const TSettingsLocation location = DefaultSettingsLocation(dir.Path());
    struct TCase {
        const char* name;
        std::string content;
        bool hosted;
        TSettings expected;
    };
    TSettings everything;
    everything.device = "/dev/ttyUSB0";
    everything.rs485id = 5;
    everything.address = "1:2 3:4";
    everything.usespeaker = everything.usewave = everything.alarmconnect = everything.uselog = true;
    everything.cashedtrx = true;
    everything.lastfile = "/home/op/station.mux";

    // The start values stand in for what the command line set.
    TSettings start;
    start.rs485id = 3;
    start.address = "7:7";
    start.usewave = true;
    start.cashedtrx = true;

    TSettings hostedRead = start;
    hostedRead.lastfile = "/home/op/station.mux";

    TSettings junk = start;
    junk.device = "";
    junk.usewave = false;

    const std::vector<TCase> cases = {
        {"every key", kAllKeys, false, everything},
        {"hosted: only cashedtrx and lastfile", kAllKeys, true, hostedRead},
        {"missing file", "", false, start},
        {"other section only", "[OTHER]\r\nrs485id=9\r\n", false, start},
        {"unreadable numbers keep the value; present strings replace it",
         "[settings]\r\nDEVICE=\r\nrs485id=five\r\nusewave=0\r\ncashedtrx=yes\r\n", false, junk},
    };
    for (const TCase& c : cases) {
        std::filesystem::remove(location.file);
        if (!c.content.empty()) {
            WriteBytes(location.file, c.content);
        }
        TSettings settings = start;
        settings.hostWindow = c.hosted ? 4242 : -1;
        ReadSettings(settings, location);
        EXPECT_EQ(settings.device, c.expected.device) << c.name;
        EXPECT_EQ(settings.rs485id, c.expected.rs485id) << c.name;
        EXPECT_EQ(settings.address, c.expected.address) << c.name;
        EXPECT_EQ(settings.usespeaker, c.expected.usespeaker) << c.name;
        EXPECT_EQ(settings.usewave, c.expected.usewave) << c.name;
        EXPECT_EQ(settings.alarmconnect, c.expected.alarmconnect) << c.name;
        EXPECT_EQ(settings.uselog, c.expected.uselog) << c.name;
        EXPECT_EQ(settings.cashedtrx, c.expected.cashedtrx) << c.name;
        EXPECT_EQ(settings.lastfile, c.expected.lastfile) << c.name;
    }
}

TEST(Settings, WriteCreatesTheFileWithEveryKeyInOrder) {
    TTempDir dir;
    const TSettingsLocation location = {dir.Path() / "sub.ini", "Pult"};
    TSettings settings;
    settings.usewave = true;
    settings.lastfile = "Станция.mux";
    WriteSettings(settings, location);
    EXPECT_EQ(ReadBytes(location.file),
              "[Pult]\r\ndevice=COM1\r\nrs485id=0\r\naddress=\r\nusespeaker=0\r\nusewave=1\r\n"
              "alarmconnect=0\r\nuselog=0\r\ncashedtrx=0\r\nlastfile=\xD1\xF2\xE0\xED\xF6\xE8\xFF.mux\r\n");

    // A second program's copy of the settings reads back what the first wrote.
    TSettings again;
    ReadSettings(again, location);
    EXPECT_TRUE(again.usewave);
    EXPECT_EQ(again.lastfile, "Станция.mux");
}

// The load backup option has a key of its own: a file without it reads as off and gains the key only once
// the option is turned on; from then on it is kept up to date.
TEST(Settings, BackupBeforeLoadKeyAppearsOnlyOnceTurnedOn) {
    TTempDir dir;
    const TSettingsLocation location = DefaultSettingsLocation(dir.Path());
    const std::string older =
        "[SETTINGS]\r\ndevice=COM1\r\nrs485id=0\r\naddress=\r\nusespeaker=0\r\nusewave=0\r\n"
        "alarmconnect=0\r\nuselog=0\r\ncashedtrx=0\r\nlastfile=\r\n";
    WriteBytes(location.file, older);
    TSettings settings;
    ReadSettings(settings, location);
    EXPECT_FALSE(settings.backupbeforeload);
    WriteSettings(settings, location);
    EXPECT_EQ(ReadBytes(location.file), older);

    settings.backupbeforeload = true;
    WriteSettings(settings, location);
    EXPECT_EQ(ReadBytes(location.file), older + "backupbeforeload=1\r\n");
    TSettings again;
    ReadSettings(again, location);
    EXPECT_TRUE(again.backupbeforeload);

    again.backupbeforeload = false;
    WriteSettings(again, location);
    EXPECT_EQ(ReadBytes(location.file), older + "backupbeforeload=0\r\n");
}

TEST(Settings, WriteKeepsTheRestOfTheFile) {
    TTempDir dir;
    const TSettingsLocation location = DefaultSettingsLocation(dir.Path());
    // Our keys go at the end of our section; every other line stays as it was.
    const std::string head =
        "; Operator notes\n"
        "[Window]\nLeft=10\n\n"
        "[Settings]\n"
        "Device = COM2\n"
        "custom=keep me\n"
        "rs485id=5\n";
    const std::string tail = "\n[Tail]\nx=1";
    WriteBytes(location.file, head + tail);
    TSettings settings;
    ReadSettings(settings, location);
    WriteSettings(settings, location);
    const std::string ours =
        "address=\r\nusespeaker=0\r\nusewave=0\r\nalarmconnect=0\r\nuselog=0\r\ncashedtrx=0\r\nlastfile=\r\n";
    EXPECT_EQ(ReadBytes(location.file), head + ours + tail);
}

// Start-up and shutdown as the main window runs them: default location, command line, read; then write.
TEST(Settings, HostedStartUpKeepsTheCommandLineAndWritesOnlyTwoKeys) {
    TTempDir dir;
    const std::filesystem::path file = dir.Path() / "tervis.ini";
    const std::string before = "[SETTINGS]\r\ndevice=COM4\r\nrs485id=5\r\naddress=1:1\r\nuselog=1\r\n";
    struct TCase {
        std::vector<std::string> args;
        int rs485id;
        std::string device;
        bool uselog;
    };
    const std::vector<TCase> cases = {
        {{"tervis", "-h", "1234", "-id", "3"}, 3, "COM1", false},
        {{"tervis", "-id", "3"}, 5, "COM4", true},  // the file's key overrides the command line
    };
    for (const TCase& c : cases) {
        TSettingsLocation location = DefaultSettingsLocation(dir.Path());
        WriteBytes(file, before);
        TSettings settings;
        ParseCommandLine(c.args, settings, location);
        ReadSettings(settings, location);
        EXPECT_EQ(settings.rs485id, c.rs485id) << c.args.size();
        EXPECT_EQ(settings.device, c.device) << c.args.size();
        EXPECT_EQ(settings.uselog, c.uselog) << c.args.size();
    }

    // At exit in hosted mode the line's keys stay as the file had them.
    TSettingsLocation location = DefaultSettingsLocation(dir.Path());
    WriteBytes(file, before);
    TSettings settings;
    ParseCommandLine({"tervis", "-h", "1234", "-id", "3"}, settings, location);
    ReadSettings(settings, location);
    settings.address = "2:2";
    settings.device = "COM2";
    settings.cashedtrx = true;
    settings.lastfile = "a.mux";
    WriteSettings(settings, location);
    EXPECT_EQ(ReadBytes(file), before + "cashedtrx=1\r\nlastfile=a.mux\r\n");
}

TEST(Settings, CommandLineChoosesTheFileAndSectionRead) {
    TTempDir dir;
    const std::filesystem::path other = dir.Path() / "pult.ini";
    WriteBytes(other, "[SETTINGS]\r\nrs485id=1\r\n[PULT 2]\r\nrs485id=2\r\n");
    TSettingsLocation location = DefaultSettingsLocation(dir.Path());
    TSettings settings;
    ParseCommandLine({"tervis", "-I", "'" + other.string() + "'", "-s", "'pult 2'"}, settings, location);
    ReadSettings(settings, location);
    EXPECT_EQ(settings.rs485id, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tervis.ini"));
}

}  // namespace
}  // namespace tervis

namespace tervis {
namespace {

// A settings file that cannot be used is reported; the defaults stand and the file is not written over.
TEST(Settings, UnusableFileIsReportedAndLeftAlone) {
    TTempDir dir;
    TSettings settings;
    const std::string problem = ReadSettings(settings, {"/dev/zero", "SETTINGS"});
    EXPECT_EQ(problem,
              "Файл настроек /dev/zero не является обычным файлом: используются настройки по умолчанию");
    EXPECT_EQ(settings.device, "COM1");
    const std::filesystem::path big = dir.Path() / "tervis.ini";
    WriteBytes(big, "[SETTINGS]\r\ndevice=COM3\r\n" + std::string(2 * 1024 * 1024, ';'));
    EXPECT_NE(ReadSettings(settings, {big, "SETTINGS"}), "");
    EXPECT_EQ(settings.device, "COM1");
    WriteSettings(settings, {big, "SETTINGS"});
    EXPECT_EQ(std::filesystem::file_size(big), 2u * 1024 * 1024 + 25);
    EXPECT_EQ(ReadSettings(settings, {dir.Path() / "missing.ini", "SETTINGS"}), "");
}

}  // namespace
}  // namespace tervis
