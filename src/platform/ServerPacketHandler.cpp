#include "platform/ServerPacketHandler.h"

#include <algorithm>
#include <exception>

#include "core/model/Mux.h"
#include "platform/HostChannel.h"

namespace tervis {

namespace {
constexpr int kRetryTicks = 20;  // a host that is not there is looked for again every second
// A host that stops reading must not make us buffer without end; past this the packets are dropped and
// the link goes down by the no-answer rule, as with a silent device.
constexpr qint64 kMaxUnsentBytes = 64 * 1024;
}  // namespace

TServerPacketHandler::TServerPacketHandler(TMux& owner, QObject* parent)
    : TTimedPacketHandler(owner, parent),
      reader_([this](std::uint8_t kind, std::span<const std::uint8_t> body) { OnMessage(kind, body); }) {
    Start();
}

TServerPacketHandler::~TServerPacketHandler() {
    SetTimerRunning(false);
    Disconnect();
}

bool TServerPacketHandler::HostConnected() const {
    return socket_ && socket_->state() == QLocalSocket::ConnectedState && verified_;
}

void TServerPacketHandler::Connect() {
    host_ = Owner().Settings().hostWindow;
    if (host_ < 0) {
        return;  // no host: nothing is sent, and the link stays down
    }
    socket_ = std::make_unique<QLocalSocket>();
    connect(socket_.get(), &QLocalSocket::connected, this, &TServerPacketHandler::OnConnected);
    connect(socket_.get(), &QLocalSocket::readyRead, this, &TServerPacketHandler::OnReadyRead);
    connect(socket_.get(), &QLocalSocket::disconnected, this, &TServerPacketHandler::OnDisconnected);
    StartConnecting();
}

void TServerPacketHandler::Disconnect() {
    host_ = -1;
    if (socket_) {
        // Detached first, so that closing it reports nothing back to us.
        socket_->disconnect(this);
        socket_->abort();
        socket_.reset();
    }
    reader_.Reset();
}

void TServerPacketHandler::StartConnecting() {
    reader_.Reset();
    verified_ = false;
    retryCountdown_ = kRetryTicks;
    socket_->abort();
    QString error;
    const auto address = HostAddress(host_, error);
    if (!address) {
        ReportOnce(error);  // and no connection: a folder we cannot trust may hide another user's host
        return;
    }
    socket_->connectToServer(address->Socket);
}

void TServerPacketHandler::OnConnected() {
    // Before a byte goes either way: only a host of our own user may carry our packets.
    if (!PeerIsSameUser(socket_->socketDescriptor())) {
        socket_->abort();
        ReportOnce(QString("Хост %1 запущен другим пользователем: соединение с ним отклонено").arg(host_));
        return;
    }
    verified_ = true;
    reported_.clear();  // the next trouble is worth a word again
}

void TServerPacketHandler::ReportOnce(const QString& text) {
    // The attempt repeats every second; the operator hears of each trouble once, not every second.
    if (text != reported_) {
        reported_ = text;
        Owner().ReportError(text.toStdString());
    }
}

void TServerPacketHandler::RetryNow() {
    if (host_ >= 0 && socket_ && socket_->state() == QLocalSocket::UnconnectedState) {
        StartConnecting();
    }
}

void TServerPacketHandler::SendPacket(const TPacket& packet) {
    if (!HostConnected() || packet.empty()) {
        return;
    }
    message_.clear();
    if (!EncodeHostMessage(kHostDataCopy, packet, message_) || socket_->bytesToWrite() > kMaxUnsentBytes) {
        return;
    }
    socket_->write(reinterpret_cast<const char*>(message_.data()), static_cast<qint64>(message_.size()));
}

void TServerPacketHandler::OnReadyRead() {
    const QByteArray bytes = socket_->readAll();
    if (!verified_) {
        return;
    }
    reader_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size())));
}

void TServerPacketHandler::OnMessage(std::uint8_t kind, std::span<const std::uint8_t> body) {
    if (kind == kHostActivate) {
        if (INotificationSink* window = Owner().Owner(); window != nullptr) {
            window->PostNotification(kNotifyActivate, 0, 0);
        }
        return;
    }
    if (body.empty()) {
        return;  // not a packet: it has no control byte to match
    }
    TReceiveBuffer buffer{};  // a short reply reads as zeros beyond what arrived
    std::copy(body.begin(), body.end(), buffer.begin());
    // The receive path must not throw into the socket's signal; a failure while a packet is handled is
    // shown like the program's other errors and the link carries on.
    try {
        PacketReceived(buffer);
    } catch (const std::exception& e) {
        if (Owner().OperatorMessages() != nullptr) {
            Owner().OperatorMessages()->ShowError(e.what());
        }
    }
}

void TServerPacketHandler::OnDisconnected() {
    // The host went away; packets are dropped until it is back.
    reader_.Reset();
    verified_ = false;
    retryCountdown_ = kRetryTicks;
}

void TServerPacketHandler::OnTimer() {
    if (host_ >= 0 && socket_ && socket_->state() == QLocalSocket::UnconnectedState &&
        --retryCountdown_ <= 0) {
        StartConnecting();  // silently: the link state tells the operator whether the host is there
    }
    Tick();
}

}  // namespace tervis
