#pragma once

#include <memory>

#include "core/link/Frame.h"
#include "platform/TimedPacketHandler.h"
#include "platform/XComm.h"

namespace tervis {

// The device link over a serial port: frames on the wire, a 50 ms timer driving Tick, received bytes
// decoded on the thread that owns it. An open failure is told to the operator once; a port that
// vanishes later (an adapter pulled out) is closed and reopened silently when it is back, while the
// link goes down by the no-answer rule. A port on a terminal server (tcp://, rfc2217://) connects in the
// background; the first failure after Connect is told with its reason, later ones only lengthen the pause
// before the next quiet attempt (1, 2, 4, 8, then every 16 s) until the server answers again.
class TSerialPacketHandler : public TTimedPacketHandler {
    Q_OBJECT
public:
    explicit TSerialPacketHandler(TMux& owner, QObject* parent = nullptr);
    ~TSerialPacketHandler() override;

    void Connect() override;
    void Disconnect() override;
    void SendPacket(const TPacket& packet) override;

    bool PortOpen() const { return port_ && port_->IsOpen(); }
    // A network port is still being connected.
    bool PortConnecting() const { return port_ && port_->IsConnecting(); }

private:
    void OnBytes(const QByteArray& bytes);
    void OnPortLost(const QString& reason);
    void OnPortOpened();
    void TellOpenFailure(const std::string& reason);
    void OnTimer() override;
    bool TryOpen();
    int ReopenTicks() const;

    std::unique_ptr<TXComm> port_;
    TFrameDecoder decoder_;
    std::vector<std::uint8_t> frame_;
    bool wanted_ = false;       // Connect was called and Disconnect was not
    int reopenCountdown_ = 0;   // ticks until the next silent attempt to reopen a closed port
    int failures_ = 0;          // failed attempts to reach a network port since it was last open
    bool tellFailure_ = false;  // the next failure is the first since Connect: the operator hears of it
};

}  // namespace tervis
