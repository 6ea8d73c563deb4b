// tervis-cli and tervis-muxsim facing a device that talks without answering, files they may not replace,
// a file size limit and files that are no files: each ends with a clear word and nothing lost.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/link/Frame.h"
#include "core/model/Recorders.h"
#include "support/BusyChassis.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::TSimulatorProcess;

// A device on a pseudo-terminal that sends a valid alarm packet every 20 ms, never echoing the control
// byte of a request: a sign of life that answers nothing.
class TBabblingDevice {
public:
    TBabblingDevice() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            return;
        }
        path_ = ptsname(master_);
        thread_ = std::thread([this] {
            std::vector<std::uint8_t> frame;
            EncodeFrame(std::vector<std::uint8_t>{0x7F, 0, 0, 180, 0x51, 0x00}, frame);
            while (!stop_) {
                char scratch[256];
                while (read(master_, scratch, sizeof scratch) > 0) {
                }
                (void)!write(master_, frame.data(), frame.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        fcntl(master_, F_SETFL, O_NONBLOCK);
    }
    ~TBabblingDevice() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (master_ >= 0) {
            close(master_);
        }
    }
    const std::string& Path() const { return path_; }

private:
    int master_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(CliFaultsTest, TalkingWithoutAnsweringTimesOut) {
    TBabblingDevice device;
    ASSERT_FALSE(device.Path().empty());
    test::TTempDir dir;
    for (const char* command : {"read", "status"}) {
        std::vector<std::string> args = {command, "--port", device.Path(), "--timeout", "1"};
        if (std::string(command) == "read") {
            args.insert(args.end(), {"-o", (dir / "out.mux").string()});
        }
        const auto started = std::chrono::steady_clock::now();
        const auto result = test::Run(Cli(args), std::chrono::seconds(20));
        EXPECT_EQ(result.Status, 3) << command << ": " << result.Err;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15)) << command;
    }
    EXPECT_FALSE(fs::exists(dir / "out.mux"));
}

// A read-only target and a file size limit: a clear message, exit 2, the old file and nothing else.
TEST(CliFaultsTest, ReadNeverDamagesTheTargetFile) {
    TSimulatorProcess sim({TERVIS_MUXSIM_PATH});
    ASSERT_FALSE(sim.Path().empty());
    test::TTempDir dir;
    const fs::path keep = dir / "keep.mux";
    const std::string old(65534, '\x05');
    std::ofstream(keep, std::ios::binary) << old;

    fs::permissions(keep, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto readOnly = test::Run(Cli({"read", "-o", keep.string(), "--port", sim.Path()}));
    EXPECT_EQ(readOnly.Status, 2);
    EXPECT_EQ(readOnly.Err.rfind("Ошибка записи файла " + keep.string() + ": ", 0), 0u) << readOnly.Err;
    EXPECT_EQ(test::ReadBytes(keep), old);

    fs::permissions(keep, fs::perms::owner_write, fs::perm_options::add);
    const auto limited = test::Run({"/bin/sh", "-c", "ulimit -f 16; exec \"$0\" read -o \"$1\" --port \"$2\"",
                                    TERVIS_CLI_PATH, keep.string(), sim.Path()});
    EXPECT_EQ(limited.Status, 2) << limited.Err;
    EXPECT_EQ(limited.Err.rfind("Ошибка записи файла " + keep.string(), 0), 0u) << limited.Err;
    EXPECT_EQ(test::ReadBytes(keep), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}), 1);
}

TEST(CliFaultsTest, SimulatorRefusesFilesThatAreNoFiles) {
    test::TTempDir dir;
    const auto folder = test::Run({TERVIS_MUXSIM_PATH, "--config", dir.Path().string()});
    EXPECT_EQ(folder.Status, 2);
    EXPECT_NE(folder.Err.find("is a directory"), std::string::npos) << folder.Err;
    const auto scenario = test::Run({TERVIS_MUXSIM_PATH, "--scenario", dir.Path().string()});
    EXPECT_EQ(scenario.Status, 2);
    EXPECT_NE(scenario.Err.find("is a directory"), std::string::npos) << scenario.Err;
    const auto endless = test::Run({TERVIS_MUXSIM_PATH, "--config", "/dev/zero"}, std::chrono::seconds(20));
    EXPECT_EQ(endless.Status, 2);
    EXPECT_NE(endless.Err.find("longer than 65534 bytes"), std::string::npos) << endless.Err;
}

}  // namespace
}  // namespace tervis
