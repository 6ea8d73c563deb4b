#include "HostBridge.h"

#include <cstdio>

#include "platform/HostChannel.h"

namespace tervis {

namespace {
constexpr int kReopenMs = 1000;
constexpr int kProbeMs = 500;
}  // namespace

THostBridge::THostBridge(long long number, const QString& device, bool verbose)
    : device_(device),
      serverName_(HostServerName(number)),
      verbose_(verbose),
      decoder_(
          [this](const TFrameDecoder::TBuffer& buffer, std::size_t length) { OnLineFrame(buffer, length); }) {
    line_.SetDeviceName(device);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &THostBridge::OnNewConnection);
    connect(&line_, &TXComm::bytesReceived, this, &THostBridge::OnLineBytes);
    connect(&line_, &TXComm::portLost, this, &THostBridge::OnLineLost);
    reopen_.setInterval(kReopenMs);
    connect(&reopen_, &QTimer::timeout, this, [this] {
        try {
            line_.Open();
            reopen_.stop();
            std::fprintf(stderr, "tervis-host: %s is back\n", qPrintable(device_));
        } catch (const EDeviceError&) {
            // still gone; the configurators see no answers and show no link
        }
    });
}

THostBridge::~THostBridge() {
    for (auto& client : clients_) {
        client->Socket->disconnect(this);
    }
    server_.close();  // removes the socket file
}

bool THostBridge::Start(QString& error) {
    {
        // A socket file may be left over from a host that was killed; one that answers belongs to a live
        // host, which we must not take over.
        QLocalSocket probe;
        probe.connectToServer(serverName_);
        if (probe.waitForConnected(kProbeMs)) {
            error = "another host is already listening on " + serverName_;
            return false;
        }
    }
    try {
        line_.Open();
    } catch (const EDeviceError& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    QLocalServer::removeServer(serverName_);
    if (!server_.listen(serverName_)) {
        error = "cannot listen on " + serverName_ + ": " + server_.errorString();
        return false;
    }
    return true;
}

void THostBridge::OnNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        auto client = std::make_unique<TClient>();
        client->Socket = socket;
        client->Reader = std::make_unique<THostMessageReader>(
            [this, socket](std::uint8_t kind, std::span<const std::uint8_t> body) {
                OnClientMessage(socket, kind, body);
            });
        TClient& ref = *client;
        clients_.push_back(std::move(client));
        connect(socket, &QLocalSocket::readyRead, this, [this, &ref] { OnClientData(ref); });
        // Queued: a socket may report its end from inside a write while we walk the list of clients.
        connect(
            socket, &QLocalSocket::disconnected, this, [this, socket] { OnClientGone(socket); },
            Qt::QueuedConnection);
        if (verbose_) {
            std::fprintf(stderr, "tervis-host: a configurator connected\n");
        }
    }
}

void THostBridge::OnClientData(TClient& client) {
    const QByteArray bytes = client.Socket->readAll();
    client.Reader->Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size())));
}

void THostBridge::OnClientGone(QLocalSocket* socket) {
    if (replyTo_ == socket) {
        replyTo_ = nullptr;
    }
    std::erase_if(clients_, [socket](const std::unique_ptr<TClient>& c) { return c->Socket == socket; });
    socket->disconnect(this);
    socket->deleteLater();
    if (verbose_) {
        std::fprintf(stderr, "tervis-host: a configurator went away\n");
    }
}

void THostBridge::OnClientMessage(QLocalSocket* from, std::uint8_t kind, std::span<const std::uint8_t> body) {
    if (kind == kHostActivate) {
        Activate(from);  // "tervis-host N --activate" asks us to pass it on
        return;
    }
    if (body.empty()) {
        return;
    }
    replyTo_ = from;
    scratch_.clear();
    if (EncodeFrame(body, scratch_)) {
        line_.Write(reinterpret_cast<const char*>(scratch_.data()), static_cast<qint64>(scratch_.size()));
        Log(">", body);
    }
}

void THostBridge::OnLineBytes(const QByteArray& bytes) {
    decoder_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())));
}

void THostBridge::OnLineFrame(const TFrameDecoder::TBuffer& buffer, std::size_t length) {
    // The decoder keeps the two checksum bytes at the end; the configurator gets the packet alone.
    const std::span<const std::uint8_t> packet(buffer.data(), length - 2);
    Log("<", packet);
    scratch_.clear();
    if (!EncodeHostMessage(kHostDataCopy, packet, scratch_)) {
        return;
    }
    if (replyTo_ != nullptr) {
        Send(replyTo_, scratch_);
        return;
    }
    for (auto& client : clients_) {
        Send(client->Socket, scratch_);
    }
}

void THostBridge::Activate(const QLocalSocket* except) {
    std::vector<std::uint8_t> message;
    EncodeHostMessage(kHostActivate, {}, message);
    for (auto& client : clients_) {
        if (client->Socket != except) {
            Send(client->Socket, message);
        }
    }
    if (verbose_) {
        std::fprintf(stderr, "tervis-host: activation sent\n");
    }
}

void THostBridge::Send(QLocalSocket* socket, const std::vector<std::uint8_t>& message) {
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->write(reinterpret_cast<const char*>(message.data()), static_cast<qint64>(message.size()));
    }
}

void THostBridge::OnLineLost(const QString& reason) {
    std::fprintf(stderr, "tervis-host: %s: %s; trying again every second\n", qPrintable(device_),
                 qPrintable(reason));
    reopen_.start();
}

void THostBridge::Log(const char* direction, std::span<const std::uint8_t> packet) const {
    if (!verbose_) {
        return;
    }
    std::fprintf(stderr, "%s", direction);
    for (const std::uint8_t b : packet) {
        std::fprintf(stderr, " %02X", b);
    }
    std::fprintf(stderr, "\n");
}

bool SendActivation(long long number, QString& error) {
    const QString name = HostServerName(number);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000)) {
        error = "no host is listening on " + name;
        return false;
    }
    std::vector<std::uint8_t> message;
    EncodeHostMessage(kHostActivate, {}, message);
    socket.write(reinterpret_cast<const char*>(message.data()), static_cast<qint64>(message.size()));
    if (!socket.waitForBytesWritten(2000)) {
        error = "the host on " + name + " did not take the message";
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

}  // namespace tervis
