#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "core/base/Cp1251.h"
#include "core/base/Errors.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;

TStreamState WithFlags(std::initializer_list<int> raised) {
    TStreamState state;
    for (int flag : raised) {
        state.Flags[static_cast<std::size_t>(flag)] = 1;
    }
    return state;
}

class StreamAlarmsTest : public ::testing::Test {
protected:
    StreamAlarmsTest() {
        settings.uselog = true;
        mux->SetClock(clock);
        mux->SetLogDirectory(dir.Path());
    }

    // The log's lines, decoded from Windows-1251, without their CR LF.
    std::vector<std::string> LogLines(const std::string& fileName = "03-2026.log") const {
        std::ifstream in(dir / fileName, std::ios::binary);
        const std::string raw(std::istreambuf_iterator<char>(in), {});
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < raw.size()) {
            const std::size_t end = raw.find("\r\n", start);
            EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
            if (end == std::string::npos) {
                break;
            }
            lines.push_back(Cp1251ToUtf8(raw.substr(start, end - start)));
            start = end + 2;
        }
        return lines;
    }

    TSettings settings;
    test::TNotificationRecorder owner;
    std::unique_ptr<TMux> mux = std::make_unique<TMux>(&owner, nullptr, settings);
    std::shared_ptr<test::TFixedClock> clock =
        std::make_shared<test::TFixedClock>(TLocalTime{2026, 3, 5, 14, 7, 9});
    test::TTempDir dir;
};

TEST_F(StreamAlarmsTest, LinesAreTimestampedInWindows1251WithCrLf) {
    mux->SetStreamState(4, 1, WithFlags({0}));
    const std::string expected = "05.03.26 14:07:09 -> [+] потеря сигнала (4, 1)";
    EXPECT_EQ(LogLines(), std::vector<std::string>{expected});
    std::ifstream in(dir / "03-2026.log", std::ios::binary);
    const std::string raw(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(raw, Utf8ToCp1251(expected) + "\r\n");
}

TEST_F(StreamAlarmsTest, EventOrderFollowsTheFlagRules) {
    struct Step {
        int slot;
        int unit;
        std::initializer_list<int> flags;
        std::vector<std::string> events;
    };
    const Step steps[] = {
        // The first report: a raised signal loss hides the other raised flags of the report.
        {2, 0, {0, 1, 5}, {"[+] потеря сигнала (2, 0)"}},
        // Both losses clear together: two cleared events, the second never raised in the log.
        // The error rate flag clears too, after them.
        {2,
         0,
         {},
         {"[-] потеря сигнала (2, 0)", "[-] потеря цикловой синхронизации (2, 0)",
          "[-] ошибок больше 10Е-3 (2, 0)"}},
        // Remote and error-rate flags with no local change: one line each, in flag order.
        {2,
         0,
         {3, 4, 5, 6},
         {"[+] удалённая потеря цикловой синхронизации (2, 0)",
          "[+] удалённая потеря сверхцикловой синхронизации (2, 0)", "[+] ошибок больше 10Е-3 (2, 0)",
          "[+] ошибок больше 10Е-6 (2, 0)"}},
        // The same report again: nothing.
        {2, 0, {3, 4, 5, 6}, {}},
        // Frame loss rises and stops the examination; the record is stored whole, so the clearing
        // of the remote and error-rate flags in the same report is never logged.
        {2, 0, {1}, {"[+] потеря цикловой синхронизации (2, 0)"}},
        // Frame loss stays: only a flag that has just risen stops the examination.
        {2, 0, {1, 2, 6}, {"[+] потеря сверхцикловой синхронизации (2, 0)"}},
        {2, 0, {1}, {"[-] потеря сверхцикловой синхронизации (2, 0)", "[-] ошибок больше 10Е-6 (2, 0)"}},
        // Signal loss stays raised while frame loss clears: one line.
        {15, 7, {0, 1}, {"[+] потеря сигнала (15, 7)"}},
        {15, 7, {0}, {"[-] потеря цикловой синхронизации (15, 7)"}},
    };
    std::vector<std::string> expected;
    for (const Step& step : steps) {
        mux->SetStreamState(step.slot, step.unit, WithFlags(step.flags));
        for (const std::string& event : step.events) {
            expected.push_back("05.03.26 14:07:09 -> " + event);
        }
        ASSERT_EQ(LogLines(), expected);
    }
}

TEST_F(StreamAlarmsTest, LogOffStoresAndNotifiesButTouchesNoFile) {
    settings.uselog = false;
    mux->SelectInfo(3, 2, true);
    owner.Posted.clear();
    TStreamState state = WithFlags({0, 6});
    state.FrameErrors = 12;
    mux->SetStreamState(3, 2, state);
    mux->SetStreamState(3, 2, state);  // equal report: still announced
    EXPECT_EQ(mux->GetStreamState(3, 2), state);
    EXPECT_EQ(owner.Of(kNotifyInformation).size(), 2u);
    EXPECT_TRUE(fs::is_empty(dir.Path()));
    mux->LogAlarm("text");
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST_F(StreamAlarmsTest, EachLineGoesToTheFileOfItsMonth) {
    clock->Time = {2026, 3, 31, 23, 59, 59};
    mux->SetStreamState(0, 0, WithFlags({6}));
    clock->Time = {2026, 4, 1, 0, 0, 1};
    mux->SetStreamState(0, 0, WithFlags({}));
    mux->LogAlarm("");  // empty texts are not logged
    EXPECT_EQ(LogLines("03-2026.log"),
              std::vector<std::string>{"31.03.26 23:59:59 -> [+] ошибок больше 10Е-6 (0, 0)"});
    EXPECT_EQ(LogLines("04-2026.log"),
              std::vector<std::string>{"01.04.26 00:00:01 -> [-] ошибок больше 10Е-6 (0, 0)"});
    EXPECT_EQ(mux->AlarmLogPath(), dir / "04-2026.log");
}

TEST_F(StreamAlarmsTest, AnUnwritableLogEndsTheUpdateAfterStoring) {
    mux->SetLogDirectory(dir / "missing");
    const TStreamState state = WithFlags({3, 4});
    EXPECT_THROW(mux->SetStreamState(1, 1, state), EInOutError);
    EXPECT_EQ(mux->GetStreamState(1, 1), state);

    // Back to a writable folder, a later report logs what differs from the stored record only.
    mux->SetLogDirectory(dir.Path());
    mux->SetStreamState(1, 1, WithFlags({4}));
    EXPECT_EQ(LogLines(), std::vector<std::string>{"05.03.26 14:07:09 -> [-] удалённая потеря цикловой "
                                                   "синхронизации (1, 1)"});
}

}  // namespace
}  // namespace tervis
