#include "HostBridge.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/link/NetworkPort.h"
#include "platform/HostChannel.h"

namespace tervis {

namespace {
constexpr int kWatchMs = 1000;

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
}  // namespace

THostBridge::THostBridge(long long number, const QString& device, bool verbose, THostLimits limits)
    : number_(number),
      device_(device),
      verbose_(verbose),
      limits_(limits),
      decoder_(
          [this](const TFrameDecoder::TBuffer& buffer, std::size_t length) { OnLineFrame(buffer, length); }) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &THostBridge::OnNewConnection);
    // The line: its bytes, its loss, and its reopening after a pause that grows with each failure.
    line_.SetDeviceName(device);
    connect(&line_, &TXComm::bytesReceived, this, &THostBridge::OnLineBytes);
    connect(&line_, &TXComm::portLost, this, &THostBridge::OnLineLost);
    connect(&line_, &TXComm::opened, this, &THostBridge::OnLineBack);
    reopen_.setSingleShot(true);
    connect(&reopen_, &QTimer::timeout, this, &THostBridge::Reopen);
    // The listening socket's watch.
    watch_.setInterval(kWatchMs);
    connect(&watch_, &QTimer::timeout, this, &THostBridge::KeepListening);
}

THostBridge::~THostBridge() {
    for (auto& client : clients_) {
        client->Socket->disconnect(this);
    }
    server_.close();  // removes the socket file
    if (lockFd_ >= 0) {
        close(lockFd_);  // the lock file stays: removing it would let two hosts lock two different files
    }
}

bool THostBridge::Start(QString& error) {
    const auto address = HostAddress(number_, error);
    if (!address) {
        return false;
    }
    serverName_ = address->Socket;
    lockName_ = address->Lock;
    if (!TakeNumber(error)) {
        return false;
    }
    try {
        line_.Open();
    } catch (const EDeviceError& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    if (!Listen(error)) {
        return false;
    }
    watch_.start();
    return true;
}

bool THostBridge::TakeNumber(QString& error) {
    // The lock decides which of two hosts started at the same instant runs as N, before either touches
    // the socket; the kernel drops it when the holder ends, however it ends.
    lockFd_ = open(QFile::encodeName(lockName_).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        error = QString("не удалось открыть файл блокировки %1: %2").arg(lockName_, SystemError());
        return false;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK
                    ? QString("хост %1 уже запущен (%2)").arg(number_).arg(serverName_)
                    : QString("не удалось занять номер %1: %2").arg(number_).arg(SystemError());
        close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    return true;
}

bool THostBridge::Listen(QString& error) {
    // With the lock held, a socket at our path was left by a host that ended; anything else there was put
    // there by hand and is not ours to remove.
    struct stat info = {};
    if (lstat(QFile::encodeName(serverName_).constData(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
        error = QString("на месте сокета %1 лежит %2; уберите его")
                    .arg(serverName_, S_ISDIR(info.st_mode) ? "папка" : "файл");
        return false;
    }
    QLocalServer::removeServer(serverName_);
    if (!server_.listen(serverName_)) {
        error = QString("не удалось открыть сокет %1: %2").arg(serverName_, server_.errorString());
        return false;
    }
    return true;
}

void THostBridge::KeepListening() {
    // The local server closes its socket for good when an accept fails, for instance when the process
    // runs out of file descriptors; the configurators would never find us again.
    if (server_.isListening()) {
        return;
    }
    QString error;
    if (Listen(error)) {
        Settled(TTrouble::Listening);
        std::fprintf(stderr, "tervis-host: сокет %s открыт снова\n", qPrintable(serverName_));
    } else {
        Warn(TTrouble::Listening, "сокет хоста закрылся (" + error + "); попытка каждую секунду");
    }
}

void THostBridge::OnNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        AcceptClient(socket);
    }
}

void THostBridge::AcceptClient(QLocalSocket* socket) {
    const auto refuse = [&](TTrouble trouble, const QString& why) {
        Warn(trouble, why);
        socket->abort();
        socket->deleteLater();
    };
    if (!PeerIsSameUser(socket->socketDescriptor())) {
        refuse(TTrouble::Stranger, "отклонено подключение процесса другого пользователя");
        return;
    }
    if (clients_.size() >= static_cast<std::size_t>(limits_.MaxClients)) {
        refuse(TTrouble::TooMany,
               QString("подключено %1 конфигураторов, новые отклоняются").arg(limits_.MaxClients));
        return;
    }
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
        std::fprintf(stderr, "tervis-host: подключился конфигуратор\n");
    }
}

void THostBridge::OnClientData(TClient& client) {
    const QByteArray bytes = client.Socket->readAll();
    client.Reader->Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                  static_cast<std::size_t>(bytes.size())));
}

void THostBridge::OnClientGone(QLocalSocket* socket) {
    std::erase_if(pending_, [socket](const TPending& p) { return p.From == socket; });
    const auto before = clients_.size();
    std::erase_if(clients_, [socket](const std::unique_ptr<TClient>& c) { return c->Socket == socket; });
    if (clients_.size() < before) {
        socket->disconnect(this);
        socket->deleteLater();
        if (clients_.size() < static_cast<std::size_t>(limits_.MaxClients)) {
            Settled(TTrouble::TooMany);
        }
        if (verbose_) {
            std::fprintf(stderr, "tervis-host: конфигуратор отключился\n");
        }
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
    scratch_.clear();
    if (!EncodeFrame(body, scratch_)) {
        return;
    }
    // A configurator sends one request at a time; a backlog means someone floods the line, and a request
    // behind it would wait for seconds. Dropped requests are retransmitted by their configurator.
    const qint64 backlog = line_.BytesToWrite();
    if (backlog + static_cast<qint64>(scratch_.size()) > limits_.MaxLineBacklogBytes) {
        Warn(TTrouble::LineFull, "линия не успевает передавать: запросы отбрасываются");
        return;
    }
    if (backlog == 0) {
        Settled(TTrouble::LineFull);
    }
    if (line_.Write(reinterpret_cast<const char*>(scratch_.data()), static_cast<qint64>(scratch_.size()))) {
        pending_.push_back({body[0], from});
        if (pending_.size() > limits_.MaxPendingRequests) {
            pending_.pop_front();
        }
        Log(">", body);
    }
}

QLocalSocket* THostBridge::TakeRequester(std::uint8_t control) {
    // The device answers in order: requests older than the one answered will get no answer any more.
    const auto answered = std::find_if(pending_.begin(), pending_.end(),
                                       [control](const TPending& p) { return p.Control == control; });
    if (answered == pending_.end()) {
        return nullptr;
    }
    QLocalSocket* from = answered->From;
    pending_.erase(pending_.begin(), answered + 1);
    return from;
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
    if (packet.empty() || !EncodeHostMessage(kHostDataCopy, packet, scratch_)) {
        return;
    }
    if (QLocalSocket* requester = TakeRequester(packet[0]); requester != nullptr) {
        Send(requester, scratch_);
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
        std::fprintf(stderr, "tervis-host: отправлен вызов на передний план\n");
    }
}

void THostBridge::Send(QLocalSocket* socket, const std::vector<std::uint8_t>& message) {
    if (socket->state() != QLocalSocket::ConnectedState) {
        return;
    }
    if (socket->bytesToWrite() > limits_.MaxClientBacklogBytes) {
        // It does not read what it asked for; keeping its answers would only grow the host.
        Warn(TTrouble::SlowReader, "конфигуратор не читает ответы и отключён");
        socket->abort();
        return;
    }
    socket->write(reinterpret_cast<const char*>(message.data()), static_cast<qint64>(message.size()));
}

void THostBridge::Reopen() {
    try {
        line_.Open();
    } catch (const EDeviceError& e) {
        OnLineLost(QString::fromStdString(e.what()));  // a serial device still gone
        return;
    }
    if (line_.IsOpen()) {
        OnLineBack();  // a serial device is open when Open returns; a network line says so when it is
    }
}

void THostBridge::OnLineBack() {
    if (failures_ > 0) {
        std::fprintf(stderr, "tervis-host: %s снова доступен\n", qPrintable(device_));
    }
    failures_ = 0;
    toldReason_.clear();
    toldDelayMs_ = 0;
}

void THostBridge::OnLineLost(const QString& reason) {
    // A terminal server that stays away is asked less and less often; a serial device costs nothing to
    // try, and a replugged adapter is back within a second.
    const int delay = line_.IsNetwork()
                          ? ReopenDelayMs(failures_, limits_.FirstReopenMs, limits_.LongestReopenMs)
                          : std::min(limits_.FirstReopenMs, limits_.LongestReopenMs);
    ++failures_;
    // The same failure with the same pause is told once: the log says when something changes.
    if (reason != toldReason_ || delay != toldDelayMs_) {
        toldReason_ = reason;
        toldDelayMs_ = delay;
        std::fprintf(
            stderr, "tervis-host: %s: %s; повтор через %s\n", qPrintable(device_), qPrintable(reason),
            qPrintable(delay % 1000 == 0 ? QString("%1 с").arg(delay / 1000) : QString("%1 мс").arg(delay)));
    }
    reopen_.start(delay);
}

void THostBridge::Warn(TTrouble trouble, const QString& text) {
    bool& warned = warned_[static_cast<int>(trouble)];
    if (!warned) {
        warned = true;
        std::fprintf(stderr, "tervis-host: %s\n", qPrintable(text));
    }
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
    const auto address = HostAddress(number, error);
    if (!address) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(address->Socket);
    if (!socket.waitForConnected(2000)) {
        error = QString("хост %1 не запущен (%2)").arg(number).arg(address->Socket);
        return false;
    }
    if (!PeerIsSameUser(socket.socketDescriptor())) {
        error = QString("хост %1 запущен другим пользователем").arg(number);
        return false;
    }
    std::vector<std::uint8_t> message;
    EncodeHostMessage(kHostActivate, {}, message);
    socket.write(reinterpret_cast<const char*>(message.data()), static_cast<qint64>(message.size()));
    if (!socket.waitForBytesWritten(2000)) {
        error = QString("хост %1 не принял сообщение").arg(number);
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

}  // namespace tervis
