// The hosted-mode transport against a host played by the test on the real local socket.
#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "Intruder.h"
#include "core/link/HostFrame.h"
#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "platform/HostChannel.h"
#include "platform/ServerPacketHandler.h"
#include "support/Pump.h"

namespace tervis {
namespace {

using test::PumpUntil;

using TBytes = std::vector<std::uint8_t>;

// The host's side: one listening socket, the configurator's messages as they arrive.
class TFakeHost {
public:
    explicit TFakeHost(long long number) {
        QString error;
        name_ = HostAddress(number, error).value_or(THostAddress{}).Socket;
    }
    ~TFakeHost() { Stop(); }

    bool Listen() {
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(name_);
        QObject::connect(server_.get(), &QLocalServer::newConnection, [this] {
            while (QLocalSocket* s = server_->nextPendingConnection()) {
                ++Connections;
                client_ = s;
                reader_.Reset();
                QObject::connect(s, &QLocalSocket::readyRead, [this, s] {
                    const QByteArray bytes = s->readAll();
                    if (s == client_) {
                        reader_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())));
                    }
                });
            }
        });
        return server_->listen(name_);
    }
    void Stop() {
        client_ = nullptr;
        server_.reset();  // closes the server and its connections
    }
    bool HasClient() const { return client_ != nullptr && client_->state() == QLocalSocket::ConnectedState; }
    void Write(const TBytes& bytes) {
        client_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        client_->flush();
    }
    void Reply(const TBytes& packet) {
        TBytes message;
        ASSERT_TRUE(EncodeHostMessage(kHostDataCopy, packet, message));
        Write(message);
    }

    std::vector<TBytes> Packets;
    int Connections = 0;

private:
    QString name_;
    std::unique_ptr<QLocalServer> server_;
    QLocalSocket* client_ = nullptr;
    THostMessageReader reader_{[this](std::uint8_t kind, std::span<const std::uint8_t> body) {
        if (kind == kHostDataCopy) {
            Packets.emplace_back(body.begin(), body.end());
        }
    }};
};

class ServerPacketHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A number of our own: other test runs on this machine use the same runtime folder.
        settings.hostWindow = 700000 + getpid();
        mux = std::make_unique<TMux>(&sink, &messages, settings);
        auto owned = std::make_unique<TServerPacketHandler>(*mux);
        link = owned.get();
        link->SetTimerRunning(false);  // the test drives the ticks
        mux->SetDeviceLink(std::move(owned));
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            link->Tick();
            QCoreApplication::processEvents();
        }
    }
    std::uintptr_t LastAlarm() const {
        const auto alarms = sink.Of(kNotifyAlarm);
        return alarms.empty() ? 0xDEAD : alarms.back().Parameter;
    }

    TSettings settings;
    test::TNotificationRecorder sink;
    test::TOperatorRecorder messages;
    std::unique_ptr<TMux> mux;
    TServerPacketHandler* link = nullptr;
};

TEST_F(ServerPacketHandlerTest, CarriesPacketsBothWaysAndTellsActivation) {
    TFakeHost host(settings.hostWindow);
    ASSERT_TRUE(host.Listen());
    link->RetryNow();
    ASSERT_TRUE(PumpUntil([&] { return host.HasClient() && link->HostConnected(); }));

    // The first poll reaches the host as the bare packet: control byte, no address, device 0, code 110.
    Ticks(10);
    ASSERT_TRUE(PumpUntil([&] { return !host.Packets.empty(); }));
    const TBytes poll = host.Packets.front();
    ASSERT_EQ(poll.size(), 4u);
    EXPECT_EQ(poll[0] & 0x80, 0x80);
    EXPECT_EQ(TBytes(poll.begin() + 1, poll.end()), (TBytes{0x00, 0x00, 110}));

    // An answer (alarm word 0x5080) split over two writes, behind a message of an unknown kind and an
    // overlong one: the good one is taken, the others are skipped, the connection stays.
    TBytes stream = {0x31, 2, 0, 0xAA, 0xBB, kHostDataCopy, 0x2C, 0x01};  // unknown kind; then 300 bytes
    stream.resize(stream.size() + 300, kHostDataCopy);
    ASSERT_TRUE(EncodeHostMessage(kHostDataCopy, TBytes{poll[0], 0x00, 0x00, 180, 0x50, 0x80}, stream));
    host.Write(TBytes(stream.begin(), stream.end() - 4));
    PumpUntil([] { return false; }, 200);
    EXPECT_FALSE(mux->LinkUp()) << "half a message is no packet";
    host.Write(TBytes(stream.end() - 4, stream.end()));
    ASSERT_TRUE(PumpUntil([&] { return mux->LinkUp(); }));
    EXPECT_EQ(LastAlarm(), 0x5080u);
    EXPECT_TRUE(link->HostConnected());

    // A shorter reply reads as zeros beyond its end, not as what the previous one left behind.
    host.Reply({0x7F, 0x00, 0x00, 180});
    ASSERT_TRUE(PumpUntil([&] { return LastAlarm() == 0; }));
    // An empty data copy is no packet and changes nothing.
    host.Write({kHostDataCopy, 0, 0});

    // Activation from the host goes to the main window as the bring-to-front notification.
    EXPECT_TRUE(sink.Of(kNotifyActivate).empty());
    host.Write({kHostActivate, 0, 0});
    ASSERT_TRUE(PumpUntil([&] { return !sink.Of(kNotifyActivate).empty(); }));
    EXPECT_EQ(sink.Of(kNotifyActivate).size(), 1u);
    EXPECT_TRUE(messages.Messages.empty());
}

// On the real 50 ms timer: the retries run there.
TEST_F(ServerPacketHandlerTest, NoHostThenAHostThatComesGoesAndComesBack) {
    link->SetTimerRunning(true);
    auto answerAPoll = [&](TFakeHost& host) {
        host.Packets.clear();
        ASSERT_TRUE(PumpUntil([&] { return !host.Packets.empty(); }));
        host.Reply({host.Packets.back()[0], 0x00, 0x00, 200});
        ASSERT_TRUE(PumpUntil([&] { return mux->LinkUp(); }));
    };

    // Nothing listening: polls go nowhere, the link stays down, the operator is not bothered.
    PumpUntil([] { return false; }, 1600);
    EXPECT_FALSE(link->HostConnected());
    EXPECT_FALSE(mux->LinkUp());

    // A host that appears is found by the next retry (once a second) without a word.
    TFakeHost host(settings.hostWindow);
    ASSERT_TRUE(host.Listen());
    ASSERT_TRUE(PumpUntil([&] { return link->HostConnected(); }));
    answerAPoll(host);

    // The host goes away: the link goes down by the no-answer rule.
    host.Stop();
    ASSERT_TRUE(PumpUntil([&] { return !link->HostConnected(); }));
    ASSERT_TRUE(PumpUntil([&] { return !mux->LinkUp(); }));
    EXPECT_EQ(sink.Of(kNotifyLinkState).back().Parameter, 0u);

    // It comes back: reconnected silently, polls flow again.
    ASSERT_TRUE(host.Listen());
    ASSERT_TRUE(PumpUntil([&] { return link->HostConnected(); }));
    answerAPoll(host);

    // Reconnect makes a new connection at once.
    const int before = host.Connections;
    link->Reconnect();
    ASSERT_TRUE(PumpUntil([&] { return host.Connections == before + 1 && link->HostConnected(); }));
    answerAPoll(host);
    EXPECT_TRUE(messages.Messages.empty());
}

}  // namespace
}  // namespace tervis

int main(int argc, char** argv) {
    if (argc == 3) {
        // Another user's process, started by the security tests.
        if (const auto status = tervis::test::RunIntruder(argv[1], argv[2])) {
            return *status;
        }
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
