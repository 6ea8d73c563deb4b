// tervis-cli load with its safety net (backup, verify, rollback, dry run) against tervis-muxsim: a sound
// device, one that loses and spoils answers, and one whose configuration changes behind our back.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "core/model/Mux.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::TSimulatorProcess;

// Two small configurations that differ in boards, links, signalling and settings.
void WriteConfig(const fs::path& name, std::uint8_t type, std::uint16_t syncType) {
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    mux.SetSlotType(0, {type, 0, 0});
    mux.SetSlotType(1, {bt4TCh, 0, 0});
    mux.LinkBoth(0, 1, 1, 2);
    mux.LinkGenerator(1, 3);
    mux.StoreSignalling(MakeEndpoint(0, 1), 0x93);
    TMuxSettings record = kDefaultMuxSettings;
    record[6] = syncType;
    mux.SetMuxSettings(record);
    mux.SaveToFile(name);
}

// The backups a load left in folder.
std::vector<fs::path> Backups(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        found.push_back(entry.path());
    }
    return found;
}

struct TCase {
    const char* Name;
    std::vector<std::string> SimOptions;  // besides --config running.mux
    const char* Scenario;                 // empty: none
    std::vector<std::string> LoadOptions;
    int Status;
    std::vector<std::string> OutHas;  // lines the output holds
    const char* DeviceHolds;          // "wanted", "running" or "" (not checked)
    bool Backup;
};

TEST(SafeLoad, BackupVerifyRollbackAndDryRun) {
    // The scenario keeps the synchronisation type at the running one whatever is loaded, as another operator
    // would.
    const char* kMeddler = "every 50ms setting 6 3\n";
    const TCase cases[] = {
        {"sound device",
         {},
         "",
         {"--backup", "B", "--verify", "--rollback"},
         0,
         {"Отличий не найдено"},
         "wanted",
         true},
        {"lost and spoilt answers",
         {"--lose", "0.05", "--corrupt", "0.05", "--seed", "7"},
         "",
         {"--backup", "B", "--verify", "--rollback"},
         0,
         {},
         "wanted",
         true},
        {"changed behind our back, rolled back",
         {},
         kMeddler,
         {"--backup", "B", "--verify", "--rollback"},
         4,
         {"ЦП: несовпадение типа синхронизации", "Откат выполнен: на мультиплексоре прежняя конфигурация ("},
         "running",
         true},
        {"changed behind our back, no rollback",
         {},
         kMeddler,
         {"--verify"},
         4,
         {"ЦП: несовпадение типа синхронизации", "Конфигурация мультиплексора не совпадает с "},
         "",
         false},
        {"dry run, different",
         {},
         "",
         {"--dry-run"},
         1,
         {"ЦП: несовпадение типа синхронизации"},
         "running",
         false},
        {"rollback without backup", {}, "", {"--rollback"}, 2, {}, "running", false},
        {"backup folder is a file", {}, "", {"--backup", "running.mux", "--verify"}, 2, {}, "running", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TTempDir dir;
        WriteConfig(dir / "running.mux", bt4E1, 3);
        WriteConfig(dir / "wanted.mux", bt1E1, 2);
        std::vector<std::string> sim = {TERVIS_MUXSIM_PATH, "--config", (dir / "running.mux").string()};
        sim.insert(sim.end(), c.SimOptions.begin(), c.SimOptions.end());
        if (*c.Scenario != '\0') {
            std::ofstream(dir / "scenario.txt") << c.Scenario;
            sim.insert(sim.end(), {"--scenario", (dir / "scenario.txt").string()});
        }
        TSimulatorProcess device(sim);
        ASSERT_FALSE(device.Path().empty());

        std::vector<std::string> load = {
            TERVIS_CLI_PATH, "load", (dir / "wanted.mux").string(), "--port", device.Path(),
            "--timeout",     "5"};
        for (const std::string& option : c.LoadOptions) {
            load.push_back(option == "B" || option == "running.mux" ? (dir / option).string() : option);
        }
        const auto run = test::Run(load);
        EXPECT_EQ(run.Status, c.Status) << run.Out << run.Err;
        for (const std::string& line : c.OutHas) {
            EXPECT_NE(run.Out.find(line), std::string::npos) << line << " not in\n" << run.Out;
        }
        // Not on a terminal: no progress lines.
        EXPECT_EQ(run.Err.find("Загрузка "), std::string::npos) << run.Err;

        const std::vector<fs::path> backups = Backups(dir / "B");
        if (c.Backup) {
            ASSERT_EQ(backups.size(), 1u);
            EXPECT_TRUE(std::regex_match(backups[0].filename().string(),
                                         std::regex("local-20[0-9]{6}-[0-9]{6}\\.mux")))
                << backups[0];
            EXPECT_TRUE(test::ReadBytes(backups[0]) == test::ReadBytes(dir / "running.mux"));
        } else {
            EXPECT_TRUE(backups.empty());
        }
        if (*c.DeviceHolds != '\0') {
            const auto read = test::Run(
                {TERVIS_CLI_PATH, "read", "-o", (dir / "now.mux").string(), "--port", device.Path()});
            ASSERT_EQ(read.Status, 0) << read.Err;
            EXPECT_TRUE(test::ReadBytes(dir / "now.mux") ==
                        test::ReadBytes(dir / (std::string(c.DeviceHolds) + ".mux")));
        }
    }
}

}  // namespace
}  // namespace tervis
