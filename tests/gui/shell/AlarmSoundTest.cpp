// Where the alarm sound comes from.
#include <gtest/gtest.h>

#include <fstream>

#include "gui/shell/AlarmSound.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "RIFF";
}

TEST(AlarmSound, TheWorkingFolderFirstThenTheFirstInstalledFolderThatHasOne) {
    struct TCase {
        const char* name;
        std::vector<std::string> present;  // files and folders (ending in /) made before the look-up
        std::string expected;              // relative to the scratch folder; empty: none found
    };
    const TCase cases[] = {
        {"own copy wins", {"work/alarm.wav", "installed1/alarm.wav"}, "work/alarm.wav"},
        {"installed example", {"installed2/alarm.wav"}, "installed2/alarm.wav"},
        {"first installed of two", {"installed1/alarm.wav", "installed2/alarm.wav"}, "installed1/alarm.wav"},
        {"a folder of that name is no sound",
         {"work/alarm.wav/", "installed2/alarm.wav"},
         "installed2/alarm.wav"},
        {"none anywhere", {}, ""},
    };
    for (const TCase& c : cases) {
        test::TTempDir dir;
        fs::create_directories(dir / "work");
        for (const std::string& entry : c.present) {
            if (entry.back() == '/') {
                fs::create_directories(dir / entry);
            } else {
                Touch(dir / entry);
            }
        }
        const fs::path found = FindAlarmSound(dir / "work", {dir / "installed1", dir / "installed2"});
        EXPECT_EQ(found, c.expected.empty() ? fs::path() : dir / c.expected) << c.name;
    }
}

}  // namespace
}  // namespace tervis
