#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <optional>
#include <vector>

#include "core/link/NetworkPort.h"
#include "core/link/Telnet.h"

namespace tervis {

// The multiplexer's line on a terminal server: a TCP connection carrying the raw bytes, or Telnet with
// the com port option that sets the server's line to 57600 8N1. Connecting never blocks: the name is
// looked up and the connection made in the background, and a server that does not answer within
// kConnectTimeoutMs is given up. Every failure is told once through `failed` with a reason in Russian
// that the operator can act on; the socket is closed by then.
class TNetPort : public QObject {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 5000;

    explicit TNetPort(TNetworkPort address, QObject* parent = nullptr);
    ~TNetPort() override;

    // Starts connecting; a port already open or connecting is left alone.
    void Open();
    void Close();
    bool IsOpen() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    bool IsConnecting() const;
    // Writes the bytes (escaped for Telnet); false when the port is not open or the server has stopped
    // taking them.
    bool Write(const char* data, qint64 size);

    // For tests: the connection deadline.
    void SetConnectTimeout(int milliseconds) { connectTimer_.setInterval(milliseconds); }

signals:
    void bytesReceived(const QByteArray& bytes);
    void opened();
    void failed(const QString& reason);

private:
    void OnConnected();
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void OnConnectTimeout();
    void Fail(const QString& reason);
    void SendRaw(const std::vector<std::uint8_t>& bytes);
    void AckAtOnce();

    TNetworkPort address_;
    QTcpSocket socket_;
    QTimer connectTimer_;
    std::optional<TTelnetClient> telnet_;
    std::vector<std::uint8_t> data_;
    std::vector<std::uint8_t> reply_;
};

// The operator's text for what a terminal server refused.
QString TelnetRefusalText(TTelnetRefusal refusal);

}  // namespace tervis
