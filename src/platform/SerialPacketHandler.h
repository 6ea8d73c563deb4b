#pragma once

#include <memory>

#include "core/link/Frame.h"
#include "platform/TimedPacketHandler.h"
#include "platform/XComm.h"

namespace tervis {

// The device link over a serial port: frames on the wire, a 50 ms timer driving Tick, received bytes
// decoded on the thread that owns it. An open failure is told to the operator once; a port that
// vanishes later (an adapter pulled out) is closed and reopened silently when it is back, while the
// link goes down by the no-answer rule.
class TSerialPacketHandler : public TTimedPacketHandler {
    Q_OBJECT
public:
    explicit TSerialPacketHandler(TMux& owner, QObject* parent = nullptr);
    ~TSerialPacketHandler() override;

    void Connect() override;
    void Disconnect() override;
    void SendPacket(const TPacket& packet) override;

    bool PortOpen() const { return port_ && port_->IsOpen(); }

private:
    void OnBytes(const QByteArray& bytes);
    void OnPortLost();
    void OnTimer() override;
    bool TryOpen();

    std::unique_ptr<TXComm> port_;
    TFrameDecoder decoder_;
    std::vector<std::uint8_t> frame_;
    bool wanted_ = false;      // Connect was called and Disconnect was not
    int reopenCountdown_ = 0;  // ticks until the next silent attempt to reopen a closed port
};

}  // namespace tervis
