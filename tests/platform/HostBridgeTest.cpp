// tervis-host's bridge between configurators and the line, with the device played on a pseudo-terminal.
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "HostBridge.h"
#include "HostPeers.h"
#include "platform/HostChannel.h"
#include "support/Pump.h"
#include "support/TempDir.h"

namespace tervis {
namespace {

using test::PumpUntil;
using test::TBytes;
using test::TPlainClient;
using test::TPtyDevice;

// What the program writes on standard error while the object lives, one line per element.
class TCapturedErrors {
public:
    TCapturedErrors() : file_(std::tmpfile()), saved_(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        dup2(fileno(file_), STDERR_FILENO);
    }
    ~TCapturedErrors() {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        std::fclose(file_);
    }
    TCapturedErrors(const TCapturedErrors&) = delete;
    TCapturedErrors& operator=(const TCapturedErrors&) = delete;

    std::vector<std::string> Lines() const {
        std::fflush(stderr);
        std::string text(static_cast<std::size_t>(lseek(fileno(file_), 0, SEEK_END)), '\0');
        (void)!pread(fileno(file_), text.data(), text.size(), 0);  // leaves the writers' offset alone
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

private:
    std::FILE* file_;
    int saved_;
};

class HostBridgeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(device.Path().empty()); }
    std::unique_ptr<THostBridge> StartBridge(THostLimits limits = {}) {
        auto bridge =
            std::make_unique<THostBridge>(number, QString::fromStdString(device.Path()), false, limits);
        QString error;
        EXPECT_TRUE(bridge->Start(error)) << error.toStdString();
        return bridge;
    }
    THostAddress Address() const {
        QString error;
        return HostAddress(number, error).value();
    }

    // A number of our own: other test runs on this machine share the user's host folder.
    long long number = 900000 + getpid();
    TPtyDevice device;
};

TEST_F(HostBridgeTest, EachAnswerGoesToTheConfiguratorWhoseRequestItEchoes) {
    auto bridge = StartBridge();
    TPlainClient a(bridge->ServerName());
    TPlainClient b(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return a.Connected() && b.Connected() && bridge->ClientCount() == 2; }));

    // A asks, B polls a moment later; the device answers both in turn.
    a.Send({0x85, 0x00, 0x00, 41, 3});
    ASSERT_TRUE(PumpUntil([&] { return device.Drain(), device.Requests.size() == 1; }));
    b.Send({0x86, 0x00, 0x00, 110});
    ASSERT_TRUE(PumpUntil([&] { return device.Drain(), device.Requests.size() == 2; }));
    ASSERT_TRUE(device.Answer({0x85, 0x00, 0x00, 41, 3, 0x11}));
    ASSERT_TRUE(device.Answer({0x86, 0x00, 0x00, 180, 0x50, 0x80}));
    ASSERT_TRUE(PumpUntil([&] { return a.Packets.size() == 1 && b.Packets.size() == 1; }));
    EXPECT_EQ(a.Packets[0], (TBytes{0x85, 0x00, 0x00, 41, 3, 0x11}));
    EXPECT_EQ(b.Packets[0], (TBytes{0x86, 0x00, 0x00, 180, 0x50, 0x80}));

    // Both use the same control byte: the older request is answered first.
    b.Send({0x07, 0x00, 0x00, 110});
    ASSERT_TRUE(PumpUntil([&] { return device.Drain(), device.Requests.size() == 3; }));
    a.Send({0x07, 0x00, 0x00, 111});
    ASSERT_TRUE(PumpUntil([&] { return device.Drain(), device.Requests.size() == 4; }));
    ASSERT_TRUE(device.Answer({0x07, 0x00, 0x00, 200}));
    ASSERT_TRUE(device.Answer({0x07, 0x00, 0x00, 201}));
    ASSERT_TRUE(PumpUntil([&] { return a.Packets.size() == 2 && b.Packets.size() == 2; }));
    EXPECT_EQ(b.Packets[1], (TBytes{0x07, 0x00, 0x00, 200}));
    EXPECT_EQ(a.Packets[1], (TBytes{0x07, 0x00, 0x00, 201}));

    // What answers no request (a trace message the device sends by itself) reaches everybody.
    ASSERT_TRUE(device.Answer({0x00, 0x00, 0x00, 0xAA, 3, 1, 10, 0, 2, 0, 5}));
    ASSERT_TRUE(PumpUntil([&] { return a.Packets.size() == 3 && b.Packets.size() == 3; }));
    EXPECT_EQ(a.Packets[2][3], 0xAA);
    EXPECT_EQ(b.Packets[2][3], 0xAA);
}

TEST_F(HostBridgeTest, ClientsBeyondTheLimitAreTurnedAwayUntilOneLeaves) {
    THostLimits limits;
    limits.MaxClients = 2;
    auto bridge = StartBridge(limits);
    auto first = std::make_unique<TPlainClient>(bridge->ServerName());
    TPlainClient second(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 2; }));
    TPlainClient third(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return third.Socket().state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(bridge->ClientCount(), 2u);

    first.reset();
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 1; }));
    TPlainClient fourth(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 2; }));
    fourth.Send({0x81, 0x00, 0x00, 110});
    ASSERT_TRUE(PumpUntil([&] { return device.Drain(), device.Requests.size() == 1; }));
}

TEST_F(HostBridgeTest, AFloodTowardTheLineIsDroppedAndTheNextRequestStillGoesOut) {
    THostLimits limits;
    limits.MaxLineBacklogBytes = 512;
    auto bridge = StartBridge(limits);
    TPlainClient flood(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 1; }));

    // 2 MB of requests while the device reads nothing.
    const TBytes request(200, 0x42);
    for (int i = 0; i < 10000; ++i) {
        flood.Send(request);
        if (i % 100 == 0) {
            test::Pump();
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return flood.Socket().bytesToWrite() == 0; }));
    // What reaches the line is what its buffers hold plus the backlog the host allows, not the flood.
    std::size_t delivered = 0;
    for (int quiet = 0; quiet < 5;) {
        test::Pump(50);
        const std::size_t n = device.Drain();
        delivered += n;
        quiet = n == 0 ? quiet + 1 : 0;
    }
    EXPECT_LT(delivered, 200u * 1024u);

    // The line is free again: an ordinary request is carried.
    device.Requests.clear();
    TPlainClient next(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return next.Connected(); }));
    next.Send({0x81, 0x00, 0x00, 110});
    ASSERT_TRUE(PumpUntil([&] {
        device.Drain();
        return !device.Requests.empty() && device.Requests.back() == TBytes{0x81, 0x00, 0x00, 110};
    }));
}

TEST_F(HostBridgeTest, AConfiguratorThatDoesNotReadIsLetGoAndTheOthersGetEverything) {
    THostLimits limits;
    limits.MaxClientBacklogBytes = 4096;
    auto bridge = StartBridge(limits);
    TPlainClient reader(bridge->ServerName());
    QLocalSocket deaf;
    deaf.setReadBufferSize(1);  // takes one byte and then nothing: the rest stays with the host
    deaf.connectToServer(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 2; }));

    // 1.2 MB of packets the device sends by itself, more than the kernel buffers between us and the host.
    const int count = 6000;
    TBytes packet(200, 0x33);
    packet[0] = 0x00;
    int sent = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (int i = 0; i < 20 && sent < count; ++i, ++sent) {
                if (!device.Answer(packet)) {
                    return false;
                }
            }
            return sent == count && reader.Packets.size() == static_cast<std::size_t>(count);
        },
        60000));
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 1; }));
    EXPECT_EQ(reader.Packets.back(), packet);
}

TEST_F(HostBridgeTest, KeepsListeningAfterRunningOutOfFileDescriptors) {
    auto bridge = StartBridge();
    const std::string path = bridge->ServerName().toStdString();
    sockaddr_un name = {};
    name.sun_family = AF_UNIX;
    std::strncpy(name.sun_path, path.c_str(), sizeof name.sun_path - 1);

    // Our sockets made first; then only three descriptors left for the host, which runs out accepting
    // them.
    std::vector<int> raw;
    for (int i = 0; i < 20; ++i) {
        raw.push_back(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    }
    rlimit old = {};
    getrlimit(RLIMIT_NOFILE, &old);
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                     std::filesystem::directory_iterator{}) +
                                       2);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    for (const int fd : raw) {
        (void)!connect(fd, reinterpret_cast<const sockaddr*>(&name), sizeof name);
    }
    test::Pump(300);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
    for (const int fd : raw) {
        close(fd);
    }

    // Within the host's next look at its socket, a configurator finds it again.
    auto late = std::make_unique<TPlainClient>(bridge->ServerName());
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (late->Socket().state() == QLocalSocket::UnconnectedState) {
                late = std::make_unique<TPlainClient>(bridge->ServerName());
            }
            return late->Connected() && bridge->ClientCount() == 1;
        },
        5000));
}

TEST_F(HostBridgeTest, ALostNetworkLineIsTriedLessAndLessOftenAndIsCalledBackOnlyOnceItIs) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    THostLimits limits;
    limits.FirstReopenMs = 40;
    limits.LongestReopenMs = 160;
    THostBridge bridge(number, QString("tcp://127.0.0.1:%1").arg(port), false, limits);
    QString error;
    ASSERT_TRUE(bridge.Start(error)) << error.toStdString();
    ASSERT_TRUE(PumpUntil([&] { return server.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> line(server.nextPendingConnection());
    test::Pump(50);

    // The terminal server goes away: the loss and each longer pause are told once, then it goes quiet
    // (attempts at 40, 120, 280, 440, 600 ms). Nothing says the line is back.
    const TCapturedErrors said;
    server.close();
    line.reset();
    test::Pump(700);
    const std::vector<std::string> down = said.Lines();
    ASSERT_EQ(down.size(), 3u) << ::testing::PrintToString(down);
    const std::string where = "tcp://127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(down[0], "tervis-host: " + where + ": 127.0.0.1:" + std::to_string(port) +
                           " закрыл соединение; повтор через 40 мс");
    EXPECT_NE(down[1].find("отклоняет соединение"), std::string::npos) << down[1];
    EXPECT_TRUE(down[1].ends_with("; повтор через 80 мс")) << down[1];
    EXPECT_TRUE(down[2].ends_with("; повтор через 160 мс")) << down[2];

    // Back: said once the connection is made.
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(PumpUntil([&] { return server.hasPendingConnections(); }, 2000));
    line.reset(server.nextPendingConnection());
    ASSERT_TRUE(PumpUntil([&] { return said.Lines().size() == 4; }, 2000));
    EXPECT_EQ(said.Lines()[3], "tervis-host: " + where + " снова доступен");

    // Lost again: the pauses start over from the first.
    line.reset();
    ASSERT_TRUE(PumpUntil([&] { return said.Lines().size() == 5; }, 2000));
    EXPECT_TRUE(said.Lines()[4].ends_with("закрыл соединение; повтор через 40 мс")) << said.Lines()[4];
}

TEST_F(HostBridgeTest, TheNumberIsTakenByLockAndTheSocketPathIsCheckedInWords) {
    const THostAddress address = Address();
    const auto expectRefusal = [&](const std::string& words) {
        THostBridge bridge(number, QString::fromStdString(device.Path()), false);
        QString error;
        EXPECT_FALSE(bridge.Start(error));
        EXPECT_NE(error.toStdString().find(words), std::string::npos) << error.toStdString();
    };
    const std::string socketPath = address.Socket.toStdString();

    // A host that holds the number but is not listening yet is not taken over.
    {
        const int held = open(address.Lock.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(held, 0);
        ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        expectRefusal("уже запущен");
        close(held);
    }
    // Something that is not a socket where the socket goes: said in words, and left alone.
    std::filesystem::create_directory(socketPath);
    expectRefusal("папка");
    EXPECT_TRUE(std::filesystem::is_directory(socketPath));
    std::filesystem::remove(socketPath);
    test::WriteBytes(socketPath, "x");
    expectRefusal("файл");
    std::filesystem::remove(socketPath);

    // A socket left by a host that was killed is replaced; a second host of the number is refused.
    {
        const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un name = {};
        name.sun_family = AF_UNIX;
        std::strncpy(name.sun_path, socketPath.c_str(), sizeof name.sun_path - 1);
        ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&name), sizeof name), 0);
        close(stale);
    }
    auto bridge = StartBridge();
    expectRefusal("уже запущен");
    TPlainClient client(bridge->ServerName());
    ASSERT_TRUE(PumpUntil([&] { return bridge->ClientCount() == 1; }));
}

}  // namespace
}  // namespace tervis
