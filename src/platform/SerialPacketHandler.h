#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

#include "core/link/Frame.h"
#include "core/link/PacketHandler.h"
#include "platform/XComm.h"

namespace tervis {

// The device link over a serial port: frames on the wire, a 50 ms timer driving Tick, received bytes
// decoded on the thread that owns it. An open failure is told to the operator once; a port that
// vanishes later (an adapter pulled out) is closed and reopened silently when it is back, while the
// link goes down by the no-answer rule.
class TSerialPacketHandler : public QObject, public TCustomPacketHandler {
    Q_OBJECT
public:
    explicit TSerialPacketHandler(TMux& owner, QObject* parent = nullptr);
    ~TSerialPacketHandler() override;

    void Connect() override;
    void Disconnect() override;
    void SendPacket(const TPacket& packet) override;

    bool PortOpen() const { return port_ && port_->IsOpen(); }
    // Stops or restarts the 50 ms timer (tests drive Tick themselves).
    void SetTimerRunning(bool running);

private:
    void OnBytes(const QByteArray& bytes);
    void OnPortLost();
    void OnTimer();
    bool TryOpen();

    std::unique_ptr<TXComm> port_;
    TFrameDecoder decoder_;
    QTimer timer_;
    std::vector<std::uint8_t> frame_;
    bool wanted_ = false;      // Connect was called and Disconnect was not
    int reopenCountdown_ = 0;  // ticks until the next silent attempt to reopen a closed port
};

}  // namespace tervis
