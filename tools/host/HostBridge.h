#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/HostFrame.h"
#include "platform/XComm.h"

namespace tervis {

// Limits that keep the host's memory and the line's delay bounded whatever its clients do.
struct THostLimits {
    int MaxClients = 16;                   // more configurators are turned away at once
    qint64 MaxLineBacklogBytes = 4096;     // under a second of the line: more requests are dropped
    qint64 MaxClientBacklogBytes = 65536;  // a configurator that does not read its answers is let go
    std::size_t MaxPendingRequests = 256;  // requests remembered for routing their answers
    // A lost line on a terminal server is tried again after FirstReopenMs, then after twice as long each
    // time it fails, up to LongestReopenMs; a serial device every FirstReopenMs.
    int FirstReopenMs = 1000;
    int LongestReopenMs = 30000;
};

// A host for configurators in hosted mode: listens as host N on its local socket and carries every
// data-copy packet onto a serial line as a frame, and every good frame from the line back as a data copy.
// Several configurators may share one host: an answer goes to the configurator whose request it echoes
// (the oldest unanswered request with its control byte), and a packet that answers none (an alarm or a
// trace message the device sends by itself) to all of them. It also relays the activation message.
// Only processes of the host's own user are served, and only while it holds the lock of number N.
class THostBridge : public QObject {
    Q_OBJECT
public:
    THostBridge(long long number, const QString& device, bool verbose, THostLimits limits = {});
    ~THostBridge() override;

    // Takes number N, opens the line and starts listening; on failure returns false with the reason.
    bool Start(QString& error);
    const QString& ServerName() const { return serverName_; }
    // Sends the activation message to every connected configurator except `except`.
    void Activate(const QLocalSocket* except = nullptr);
    std::size_t ClientCount() const { return clients_.size(); }

private:
    struct TClient {
        QLocalSocket* Socket = nullptr;  // owned by the server's children; deleted when it goes away
        std::unique_ptr<THostMessageReader> Reader;
    };
    struct TPending {
        std::uint8_t Control = 0;
        QLocalSocket* From = nullptr;
    };
    // Each kind of trouble is told once, until it has passed.
    enum class TTrouble { Stranger, TooMany, LineFull, SlowReader, Listening, Count };

    bool TakeNumber(QString& error);
    bool Listen(QString& error);
    void OnNewConnection();
    void AcceptClient(QLocalSocket* socket);
    void OnClientData(TClient& client);
    void OnClientGone(QLocalSocket* socket);
    void OnClientMessage(QLocalSocket* from, std::uint8_t kind, std::span<const std::uint8_t> body);
    void OnLineBytes(const QByteArray& bytes);
    void OnLineFrame(const TFrameDecoder::TBuffer& buffer, std::size_t length);
    void Reopen();
    void OnLineBack();
    void OnLineLost(const QString& reason);
    void KeepListening();
    QLocalSocket* TakeRequester(std::uint8_t control);
    void Send(QLocalSocket* socket, const std::vector<std::uint8_t>& message);
    void Warn(TTrouble trouble, const QString& text);
    void Settled(TTrouble trouble) { warned_[static_cast<int>(trouble)] = false; }
    void Log(const char* direction, std::span<const std::uint8_t> packet) const;

    long long number_;
    QString device_;
    QString serverName_;
    QString lockName_;
    int lockFd_ = -1;
    bool verbose_;
    THostLimits limits_;
    QLocalServer server_;
    TXComm line_;
    TFrameDecoder decoder_;
    QTimer reopen_;
    int failures_ = 0;  // attempts to reopen the line that failed since it was last open
    QString toldReason_;
    int toldDelayMs_ = 0;
    QTimer watch_;  // listens again when the server socket was lost (out of file descriptors)
    std::vector<std::unique_ptr<TClient>> clients_;
    std::deque<TPending> pending_;
    std::vector<std::uint8_t> scratch_;
    bool warned_[static_cast<int>(TTrouble::Count)] = {};
};

// Asks the running host N to bring its configurators to the front; false with the reason when no host N
// is listening.
bool SendActivation(long long number, QString& error);

}  // namespace tervis
