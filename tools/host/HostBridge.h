#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/HostFrame.h"
#include "platform/XComm.h"

namespace tervis {

// A host for configurators in hosted mode: listens as host N on its local socket and carries every
// data-copy packet onto a serial line as a frame, and every good frame from the line back as a data copy
// to the configurator that sent the last request (to all of them while none has). It also relays the
// activation message.
class THostBridge : public QObject {
    Q_OBJECT
public:
    THostBridge(long long number, const QString& device, bool verbose);
    ~THostBridge() override;

    // Opens the line and starts listening; on failure returns false with the reason.
    bool Start(QString& error);
    const QString& ServerName() const { return serverName_; }
    // Sends the activation message to every connected configurator except `except`.
    void Activate(const QLocalSocket* except = nullptr);

private:
    struct TClient {
        QLocalSocket* Socket = nullptr;  // owned by the server's children; deleted when it goes away
        std::unique_ptr<THostMessageReader> Reader;
    };

    void OnNewConnection();
    void OnClientData(TClient& client);
    void OnClientGone(QLocalSocket* socket);
    void OnClientMessage(QLocalSocket* from, std::uint8_t kind, std::span<const std::uint8_t> body);
    void OnLineBytes(const QByteArray& bytes);
    void OnLineFrame(const TFrameDecoder::TBuffer& buffer, std::size_t length);
    void OnLineLost(const QString& reason);
    void Send(QLocalSocket* socket, const std::vector<std::uint8_t>& message);
    void Log(const char* direction, std::span<const std::uint8_t> packet) const;

    QString device_;
    QString serverName_;
    bool verbose_;
    QLocalServer server_;
    TXComm line_;
    TFrameDecoder decoder_;
    QTimer reopen_;
    std::vector<std::unique_ptr<TClient>> clients_;
    QLocalSocket* replyTo_ = nullptr;
    std::vector<std::uint8_t> scratch_;
};

// Asks the running host N to bring its configurators to the front; false with the reason when no host N
// is listening.
bool SendActivation(long long number, QString& error);

}  // namespace tervis
