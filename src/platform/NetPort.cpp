#include "platform/NetPort.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace tervis {

namespace {
// More than this waiting to be sent means the server has stopped reading; a frame is at most 514 bytes.
constexpr qint64 kMaxPendingWrite = 64 * 1024;
constexpr qint64 kReadBufferBytes = 64 * 1024;

QString HostAndPort(const TNetworkPort& address) {
    const QString host = QString::fromStdString(address.host);
    return (host.contains(':') ? "[" + host + "]" : host) + ":" + QString::number(address.port);
}
}  // namespace

QString TelnetRefusalText(TTelnetRefusal refusal) {
    switch (refusal) {
        case TTelnetRefusal::None:
            break;
        case TTelnetRefusal::ComPortOption:
            return "сервер отказался от управления портом (RFC 2217): включите его в настройке сервера или "
                   "откройте порт как tcp://";
        case TTelnetRefusal::BaudRate:
            return "сервер не установил скорость 57600 бод";
        case TTelnetRefusal::DataSize:
            return "сервер не установил 8 бит данных";
        case TTelnetRefusal::Parity:
            return "сервер не отключил контроль чётности";
        case TTelnetRefusal::StopSize:
            return "сервер не установил 1 стоповый бит";
    }
    return {};
}

TNetPort::TNetPort(TNetworkPort address, QObject* parent) : QObject(parent), address_(std::move(address)) {
    socket_.setReadBufferSize(kReadBufferBytes);
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(kConnectTimeoutMs);
    // A coarse timer may fire up to 5% early; the operator is told "5 с", so the wait is 5 s.
    connectTimer_.setTimerType(Qt::PreciseTimer);
    connect(&socket_, &QTcpSocket::connected, this, &TNetPort::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &TNetPort::OnReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &TNetPort::OnError);
    connect(&connectTimer_, &QTimer::timeout, this, &TNetPort::OnConnectTimeout);
}

TNetPort::~TNetPort() {
    socket_.disconnect(this);
    socket_.abort();
}

bool TNetPort::IsConnecting() const {
    return socket_.state() == QAbstractSocket::HostLookupState ||
           socket_.state() == QAbstractSocket::ConnectingState;
}

void TNetPort::Open() {
    if (socket_.state() != QAbstractSocket::UnconnectedState) {
        return;
    }
    telnet_.reset();
    if (address_.kind == TNetworkPort::TKind::Rfc2217) {
        telnet_.emplace();
    }
    connectTimer_.start();
    // The name lookup and the connection both happen in the background.
    socket_.connectToHost(QString::fromStdString(address_.host), address_.port);
}

void TNetPort::Close() {
    connectTimer_.stop();
    socket_.abort();
}

bool TNetPort::Write(const char* data, qint64 size) {
    if (!IsOpen() || socket_.bytesToWrite() > kMaxPendingWrite) {
        return false;
    }
    if (!telnet_) {
        return socket_.write(data, size) == size;
    }
    std::vector<std::uint8_t> escaped;
    TTelnetClient::EscapeData(
        std::span(reinterpret_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)), escaped);
    return socket_.write(reinterpret_cast<const char*>(escaped.data()),
                         static_cast<qint64>(escaped.size())) == static_cast<qint64>(escaped.size());
}

void TNetPort::SendRaw(const std::vector<std::uint8_t>& bytes) {
    if (!bytes.empty()) {
        socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
}

void TNetPort::OnConnected() {
    connectTimer_.stop();
    // Frames are short and answered one at a time: waiting to fill a segment only adds latency.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    AckAtOnce();
    if (telnet_) {
        reply_.clear();
        telnet_->Start(reply_);
        SendRaw(reply_);
    }
    emit opened();
}

void TNetPort::AckAtOnce() {
#ifdef TCP_QUICKACK
    // A terminal server that sends each byte as it comes off the line and leaves Nagle's algorithm on
    // holds the rest of an answer until we acknowledge the first byte; a delayed acknowledgement would
    // then cost 40 ms an answer. The kernel forgets the setting after a while, so it is renewed per read.
    const int on = 1;
    const qintptr fd = socket_.socketDescriptor();
    if (fd >= 0) {
        ::setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
#endif
}

void TNetPort::OnReadyRead() {
    AckAtOnce();
    const QByteArray bytes = socket_.readAll();
    if (bytes.isEmpty()) {
        return;
    }
    if (!telnet_) {
        emit bytesReceived(bytes);
        return;
    }
    data_.clear();
    reply_.clear();
    telnet_->Receive(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size())),
                     data_, reply_);
    if (telnet_->Refusal() != TTelnetRefusal::None) {
        Fail(TelnetRefusalText(telnet_->Refusal()));
        return;
    }
    SendRaw(reply_);
    if (!data_.empty()) {
        emit bytesReceived(
            QByteArray(reinterpret_cast<const char*>(data_.data()), static_cast<qsizetype>(data_.size())));
    }
}

void TNetPort::OnError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::HostNotFoundError) {
        Fail(QString("узел «%1» не найден: проверьте имя терминального сервера")
                 .arg(QString::fromStdString(address_.host)));
        return;
    }
    // %1: the server's host and port.
    static const std::pair<QAbstractSocket::SocketError, const char*> kTexts[] = {
        {QAbstractSocket::ConnectionRefusedError,
         "%1 отклоняет соединение: проверьте номер порта и что сервер запущен"},
        {QAbstractSocket::RemoteHostClosedError, "%1 закрыл соединение"},
        {QAbstractSocket::SocketTimeoutError, "%1 не отвечает"},
        {QAbstractSocket::NetworkError, "сеть до %1 недоступна"},
    };
    const QString where = HostAndPort(address_);
    for (const auto& [known, text] : kTexts) {
        if (error == known) {
            Fail(QString(text).arg(where));
            return;
        }
    }
    Fail(QString("ошибка соединения с %1: %2").arg(where, socket_.errorString()));
}

void TNetPort::OnConnectTimeout() {
    if (IsConnecting()) {
        Fail(QString("%1 не ответил за %2 с: сервер выключен или соединения отбрасываются сетевым фильтром")
                 .arg(HostAndPort(address_))
                 .arg((connectTimer_.interval() + 999) / 1000));
    }
}

void TNetPort::Fail(const QString& reason) {
    connectTimer_.stop();
    // abort() may report the closing through errorOccurred again; the socket is quiet while we close it.
    const QSignalBlocker quiet(&socket_);
    socket_.abort();
    emit failed(reason);
}

}  // namespace tervis
