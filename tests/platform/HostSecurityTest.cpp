// Hosted mode against another local user: the host folder, the peer check on both ends.
#include <QCoreApplication>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "HostBridge.h"
#include "HostPeers.h"
#include "Intruder.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "platform/HostChannel.h"
#include "platform/ServerPacketHandler.h"
#include "support/Process.h"
#include "support/Pump.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;

// A model in hosted mode on host number, with its link to the host.
struct TConfigurator {
    explicit TConfigurator(long long number) : settings{Hosted(number)} {
        auto owned = std::make_unique<TServerPacketHandler>(mux);
        link = owned.get();
        mux.SetDeviceLink(std::move(owned));
    }
    static TSettings Hosted(long long number) {
        TSettings hosted;
        hosted.hostWindow = number;
        return hosted;
    }
    TSettings settings;
    test::TNotificationRecorder sink;
    test::TOperatorRecorder messages;
    TMux mux{&sink, &messages, settings};
    TServerPacketHandler* link = nullptr;
};

// Each test has a temporary folder of its own, shared like /tmp (sticky, open to all), and no runtime
// folder, so that the host folder falls back to the temporary one.
class HostSecurityTest : public ::testing::Test {
protected:
    HostSecurityTest() { fs::permissions(scratch.Path(), fs::perms::all | fs::perms::sticky_bit); }
    std::string Folder() const { return (scratch.Path() / ("tervis-" + std::to_string(geteuid()))).string(); }
    std::optional<THostAddress> Address(QString& error) const { return HostAddress(number, error); }
    std::string Error() const {
        QString error;
        return Address(error) ? "" : error.toStdString();
    }

    test::TTempDir scratch;
    test::TScopedEnv tmp{"TMPDIR", scratch.Path().string()};
    test::TScopedEnv runtime{"XDG_RUNTIME_DIR", std::nullopt};
    long long number = 5;
};

TEST_F(HostSecurityTest, OnlyAPrivateFolderOfOurOwnIsUsed) {
    // Missing: made for us alone, and the socket and the lock go there.
    QString error;
    const auto address = Address(error);
    ASSERT_TRUE(address) << error.toStdString();
    EXPECT_EQ(address->Socket.toStdString(), Folder() + "/host-5");
    EXPECT_EQ(address->Lock.toStdString(), Folder() + "/host-5.lock");
    struct stat info = {};
    ASSERT_EQ(lstat(Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
    fs::remove(Folder());

    struct TCase {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* words;
    };
    const std::vector<TCase> cases = {
        {"open to others",
         [](const std::string& f) { fs::create_directory(f), fs::permissions(f, fs::perms::all); },
         "открыта другим пользователям (права 777)"},
        {"a symbolic link to a good folder",
         [this](const std::string& f) {
             fs::create_directory(scratch / "elsewhere");
             fs::permissions(scratch / "elsewhere", fs::perms::owner_all);
             fs::create_directory_symlink(scratch / "elsewhere", f);
         },
         "не папка"},
        {"a file", [](const std::string& f) { test::WriteBytes(f, ""); }, "не папка"},
    };
    for (const TCase& c : cases) {
        c.make(Folder());
        EXPECT_NE(Error().find(c.words), std::string::npos) << c.what << ": " << Error();
        fs::remove(Folder());
    }

    // A runtime folder of our own is preferred; one open to others is passed over.
    fs::create_directory(scratch / "run");
    fs::permissions(scratch / "run", fs::perms::owner_all);
    {
        test::TScopedEnv good("XDG_RUNTIME_DIR", (scratch / "run").string());
        ASSERT_TRUE(Address(error));
        EXPECT_EQ(Address(error)->Socket.toStdString(), (scratch / "run" / "tervis" / "host-5").string());
        fs::permissions(scratch / "run", fs::perms::all);
        EXPECT_EQ(Address(error)->Socket.toStdString(), Folder() + "/host-5");
    }
}

// Another user prepares the folder and a host in it before we start: we neither talk to it nor run.
TEST_F(HostSecurityTest, AFakeHostOfAnotherUserIsNeverReached) {
    if (const std::string why = test::NoOtherUser(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_EQ(test::Run(test::AsNobody("--mkdir", Folder())).Status, 0);
    test::TSimulatorProcess fake(test::AsNobody("--listen", Folder() + "/host-5"));
    ASSERT_EQ(fake.FirstLine().value_or(""), "ready");

    TConfigurator configurator(number);
    TServerPacketHandler& link = *configurator.link;
    TMux& mux = configurator.mux;
    const auto& messages = configurator.messages;
    PumpUntil([] { return false; }, 2500);  // a couple of retries on the real timer
    EXPECT_FALSE(link.HostConnected());
    EXPECT_FALSE(mux.LinkUp());
    ASSERT_EQ(messages.Messages.size(), 1u) << "told once, not at every retry";
    EXPECT_NE(messages.Messages[0].find("принадлежит другому пользователю"), std::string::npos);

    // The real host does not start in that folder either, and says why.
    test::TPtyDevice device;
    THostBridge bridge(number, QString::fromStdString(device.Path()), false);
    QString error;
    EXPECT_FALSE(bridge.Start(error));
    EXPECT_NE(error.toStdString().find("принадлежит другому пользователю"), std::string::npos);
}

// Even a socket that another user's process listens on inside our own folder is not taken for the host,
// and a connection of another user to our host is closed before a byte is exchanged.
TEST_F(HostSecurityTest, BothEndsCheckWhoIsAtTheOtherEnd) {
    if (const std::string why = test::NoOtherUser(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    QString error;
    const THostAddress address = Address(error).value();
    ASSERT_EQ(test::Run(test::AsNobody("--mkdir", (scratch / "theirs").string())).Status, 0);
    test::TSimulatorProcess fake(test::AsNobody("--listen", (scratch / "theirs" / "sock").string()));
    ASSERT_EQ(fake.FirstLine().value_or(""), "ready");
    fs::rename(scratch / "theirs" / "sock", address.Socket.toStdString());

    TConfigurator configurator(number);
    TServerPacketHandler& link = *configurator.link;
    TMux& mux = configurator.mux;
    const auto& messages = configurator.messages;
    PumpUntil([] { return false; }, 2500);
    EXPECT_FALSE(link.HostConnected());
    EXPECT_FALSE(mux.LinkUp()) << "the fake host's answers were taken";
    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_NE(messages.Messages[0].find("запущен другим пользователем"), std::string::npos);
    fs::remove(address.Socket.toStdString());

    // Our host, its folder and socket opened up by mistake: another user's connection is still closed.
    test::TPtyDevice device;
    THostBridge bridge(number, QString::fromStdString(device.Path()), false);
    ASSERT_TRUE(bridge.Start(error)) << error.toStdString();
    fs::permissions(Folder(), fs::perms::all);
    fs::permissions(address.Socket.toStdString(), fs::perms::all);
    test::TSimulatorProcess intruder(test::AsNobody("--connect", address.Socket.toStdString()));
    std::optional<int> status;
    ASSERT_TRUE(
        PumpUntil([&] { return (status = intruder.WaitExit(std::chrono::milliseconds(0))).has_value(); }));
    EXPECT_EQ(*status, 0) << "2: could not connect; 1: it was let in";
    device.Drain();
    EXPECT_TRUE(device.Requests.empty());
    EXPECT_EQ(bridge.ClientCount(), 0u);
    fs::permissions(Folder(), fs::perms::owner_all);
}

}  // namespace
}  // namespace tervis
