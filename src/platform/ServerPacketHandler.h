#pragma once

#include <QLocalSocket>

#include <memory>
#include <vector>

#include "core/link/HostFrame.h"
#include "platform/TimedPacketHandler.h"

namespace tervis {

// The device link in hosted mode: a host application carries the packets. We connect to the host's local
// socket (its number comes from "-h") and exchange packets without frame or checksum as data-copy
// messages; the host may also ask us to come to the front. With no host listening, or after it went
// away, packets are silently not sent and the link goes down by the no-answer rule; the connection is
// tried again every second without a word, so a host that comes back is picked up. A host folder that is
// not safe, or a host of another user, is refused and the operator told once.
class TServerPacketHandler : public TTimedPacketHandler {
    Q_OBJECT
public:
    explicit TServerPacketHandler(TMux& owner, QObject* parent = nullptr);
    ~TServerPacketHandler() override;

    void Connect() override;
    void Disconnect() override;
    void SendPacket(const TPacket& packet) override;

    bool HostConnected() const;
    // Tries to reach the host now instead of at the next retry.
    void RetryNow();

private:
    void OnConnected();
    void OnReadyRead();
    void OnDisconnected();
    void OnTimer() override;
    void OnMessage(std::uint8_t kind, std::span<const std::uint8_t> body);
    void StartConnecting();
    void ReportOnce(const QString& text);

    std::unique_ptr<QLocalSocket> socket_;
    THostMessageReader reader_;
    std::vector<std::uint8_t> message_;
    long long host_ = -1;     // the host number while connected or connecting; -1 when closed
    int retryCountdown_ = 0;  // ticks until the next attempt to reach a host that is not there
    bool verified_ = false;   // the host at the other end runs as our user
    QString reported_;        // the last trouble told to the operator
};

}  // namespace tervis
