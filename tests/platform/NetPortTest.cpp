// Lines on a terminal server: raw TCP and Telnet with the com port option, against servers played by the
// test on 127.0.0.1, and the serial link's behaviour when such a server is away.
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <functional>
#include <memory>

#include "core/model/Mux.h"
#include "core/model/Recorders.h"
#include "platform/NetPort.h"
#include "platform/SerialPacketHandler.h"
#include "platform/XComm.h"
#include "support/DroppingListener.h"
#include "support/Pump.h"

namespace tervis {
namespace {

using test::PumpUntil;
using TBytes = std::vector<std::uint8_t>;

QByteArray Bytes(const TBytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

// A terminal server's side: takes one connection, keeps what arrives.
class TFakeServer {
public:
    TFakeServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                client_ = s;
                ++Connections;
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { Received += s->readAll(); });
            }
        });
    }
    bool Listen(quint16 port = 0) { return server_.listen(QHostAddress::LocalHost, port); }
    quint16 Port() const { return server_.serverPort(); }
    QString Name(const char* scheme) const { return QString("%1://127.0.0.1:%2").arg(scheme).arg(Port()); }
    bool HasClient() const {
        return client_ != nullptr && client_->state() == QAbstractSocket::ConnectedState;
    }
    void Write(const TBytes& b) {
        client_->write(Bytes(b));
        client_->flush();
    }
    void DropClient() { client_->close(); }
    void Close() { server_.close(); }

    QByteArray Received;
    int Connections = 0;

private:
    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
};

struct TLine {
    explicit TLine(const QString& name) {
        comm.SetDeviceName(name);
        QObject::connect(&comm, &TXComm::bytesReceived, [this](const QByteArray& b) { received += b; });
        QObject::connect(&comm, &TXComm::portLost, [this](const QString& r) { lost << r; });
    }
    TXComm comm;
    QByteArray received;
    QStringList lost;
};

const TBytes kOffers = {0xFF, 0xFB, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFB,
                        0x2C, 0xFF, 0xFD, 0x00, 0xFF, 0xFD, 0x03};

TEST(NetPort, RawTcpCarriesEveryByteAsItIs) {
    TFakeServer server;
    ASSERT_TRUE(server.Listen());
    TLine line(server.Name("tcp"));
    line.comm.Open();
    EXPECT_TRUE(line.comm.IsConnecting());
    ASSERT_TRUE(PumpUntil([&] { return line.comm.IsOpen() && server.HasClient(); }));
    ASSERT_TRUE(line.comm.Write("\xFF\x00\x7E", 3));
    ASSERT_TRUE(PumpUntil([&] { return server.Received.size() >= 3; }));
    EXPECT_EQ(server.Received, Bytes({0xFF, 0x00, 0x7E}));
    server.Write({0xFF, 0xFD, 0x2C});
    ASSERT_TRUE(PumpUntil([&] { return line.received.size() >= 3; }));
    EXPECT_EQ(line.received, Bytes({0xFF, 0xFD, 0x2C}));
}

TEST(NetPort, Rfc2217NegotiatesSetsTheLineAndEscapesIac) {
    TFakeServer server;
    ASSERT_TRUE(server.Listen());
    TLine line(server.Name("rfc2217"));
    line.comm.Open();
    ASSERT_TRUE(PumpUntil([&] { return server.Received.size() >= static_cast<qsizetype>(kOffers.size()); }));
    EXPECT_EQ(server.Received, Bytes(kOffers));
    server.Received.clear();

    // The server agrees to the com port option, and data with an escaped 0xFF follows in the same write.
    server.Write({0xFF, 0xFD, 0x2C, 0xFF, 0xFB, 0x00, 0x10, 0xFF, 0xFF, 0x20});
    ASSERT_TRUE(PumpUntil([&] { return line.received.size() >= 3; }));
    EXPECT_EQ(line.received, Bytes({0x10, 0xFF, 0x20}));
    ASSERT_TRUE(line.comm.Write("\x01\xFF\x02", 3));
    const QByteArray settings = Bytes({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0xE1, 0x00, 0xFF, 0xF0,  //
                                       0xFF, 0xFA, 0x2C, 0x02, 0x08, 0xFF, 0xF0,                    //
                                       0xFF, 0xFA, 0x2C, 0x03, 0x01, 0xFF, 0xF0,                    //
                                       0xFF, 0xFA, 0x2C, 0x04, 0x01, 0xFF, 0xF0,                    //
                                       0xFF, 0xFA, 0x2C, 0x05, 0x01, 0xFF, 0xF0});
    const QByteArray expected = settings + Bytes({0x01, 0xFF, 0xFF, 0x02});
    ASSERT_TRUE(PumpUntil([&] { return server.Received.size() >= expected.size(); }));
    EXPECT_EQ(server.Received, expected);
    EXPECT_TRUE(line.lost.isEmpty());
}

TEST(NetPort, FailuresAreToldWithAReasonAndTheLineCloses) {
    struct TCase {
        const char* name;
        const char* scheme;
        std::function<void(TFakeServer&)> server;  // what the server does once the client is there
        const char* reason;                        // a part of the operator's text
    };
    const TCase cases[] = {
        {"option refused", "rfc2217",
         [](TFakeServer& s) {
             s.Write({0xFF, 0xFE, 0x2C});
         },
         "сервер отказался от управления портом (RFC 2217)"},
        {"another speed", "rfc2217",
         [](TFakeServer& s) {
             s.Write({0xFF, 0xFD, 0x2C, 0xFF, 0xFA, 0x2C, 0x65, 0, 0, 0x25, 0x80, 0xFF, 0xF0});
         },
         "сервер не установил скорость 57600 бод"},
        {"server goes away", "tcp", [](TFakeServer& s) { s.DropClient(); }, "закрыл соединение"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeServer server;
        ASSERT_TRUE(server.Listen());
        TLine line(server.Name(c.scheme));
        line.comm.Open();
        ASSERT_TRUE(PumpUntil([&] { return line.comm.IsOpen() && server.HasClient(); }));
        c.server(server);
        ASSERT_TRUE(PumpUntil([&] { return !line.lost.isEmpty(); }));
        EXPECT_EQ(line.lost.size(), 1);
        EXPECT_TRUE(line.lost.front().contains(QString::fromUtf8(c.reason)))
            << line.lost.front().toStdString();
        EXPECT_FALSE(line.comm.IsOpen());
        EXPECT_FALSE(line.comm.Write("x", 1));
    }
}

TEST(NetPort, ConnectFailuresNeverBlockAndSayWhy) {
    quint16 closedPort = 0;
    {
        TFakeServer gone;
        ASSERT_TRUE(gone.Listen());
        closedPort = gone.Port();
    }
    TLine refused(QString("tcp://127.0.0.1:%1").arg(closedPort));
    refused.comm.Open();
    ASSERT_TRUE(PumpUntil([&] { return !refused.lost.isEmpty(); }));
    EXPECT_TRUE(
        refused.lost.front().contains("127.0.0.1:" + QString::number(closedPort) + " отклоняет соединение"))
        << refused.lost.front().toStdString();

    const test::TDroppingListener blackHole;
    ASSERT_NE(blackHole.Port(), 0);
    TLine silent(QString("rfc2217://127.0.0.1:%1").arg(blackHole.Port()));
    QElapsedTimer clock;
    clock.start();
    silent.comm.Open();
    EXPECT_LT(clock.elapsed(), 100) << "Open waits for nothing";
    EXPECT_TRUE(silent.comm.IsConnecting());
    ASSERT_TRUE(PumpUntil([&] { return !silent.lost.isEmpty(); }, 15000));
    EXPECT_GE(clock.elapsed(), TNetPort::kConnectTimeoutMs - 100);
    EXPECT_TRUE(silent.lost.front().contains("не ответил за 5 с")) << silent.lost.front().toStdString();
    EXPECT_FALSE(silent.comm.IsConnecting());

    for (const char* malformed : {"tcp://127.0.0.1", "rfc2217://[::1:1000", "tcp://host:99999"}) {
        TXComm comm;
        comm.SetDeviceName(malformed);
        EXPECT_THROW(comm.Open(), EDeviceError) << malformed;
        EXPECT_FALSE(comm.IsConnecting());
    }
}

TEST(NetPort, Ipv6LiteralInBrackets) {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHostIPv6)) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    TLine line(QString("tcp://[::1]:%1").arg(server.serverPort()));
    line.comm.Open();
    EXPECT_TRUE(PumpUntil([&] { return line.comm.IsOpen(); }));
}

// The link over a network port: the operator hears of the first failure once, with its reason; the link
// keeps trying quietly and comes back when the server does.
TEST(NetPort, LinkTellsOnceAndComesBackWhenTheServerDoes) {
    quint16 port = 0;
    {
        TFakeServer probe;
        ASSERT_TRUE(probe.Listen());
        port = probe.Port();
    }
    TSettings settings;
    settings.device = "tcp://127.0.0.1:" + std::to_string(port);
    test::TNotificationRecorder sink;
    test::TOperatorRecorder messages;
    TMux mux(&sink, &messages, settings);
    auto owned = std::make_unique<TSerialPacketHandler>(mux);
    TSerialPacketHandler* link = owned.get();
    mux.SetDeviceLink(std::move(owned));
    ASSERT_TRUE(PumpUntil([&] { return !messages.Messages.empty(); }));
    EXPECT_EQ(messages.Messages.front(),
              "Ошибка открытия порта " + settings.device + ": 127.0.0.1:" + std::to_string(port) +
                  " отклоняет соединение: проверьте номер порта и что сервер запущен");
    test::Pump(1500);  // at least one quiet attempt more
    EXPECT_EQ(messages.Messages.size(), 1u);

    TFakeServer server;
    ASSERT_TRUE(server.Listen(port));
    ASSERT_TRUE(PumpUntil([&] { return link->PortOpen(); }, 10000));
    EXPECT_EQ(messages.Messages.size(), 1u);
    // The poll goes out on the new connection.
    ASSERT_TRUE(PumpUntil([&] { return server.Received.endsWith('\xC0'); }, 3000));
    EXPECT_EQ(static_cast<std::uint8_t>(server.Received.front()) & 0x80, 0x80) << "an unconfirmed poll";
}

}  // namespace
}  // namespace tervis
