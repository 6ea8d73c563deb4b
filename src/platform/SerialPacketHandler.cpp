#include "platform/SerialPacketHandler.h"

#include <algorithm>

#include "core/model/BoardTypes.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {
constexpr int kReopenTicks = 20;             // a closed port is tried again every second
constexpr int kMaxNetworkReopenTicks = 320;  // a terminal server that stays away: every 16 s
}  // namespace

TSerialPacketHandler::TSerialPacketHandler(TMux& owner, QObject* parent)
    : TTimedPacketHandler(owner, parent),
      decoder_([this](const TFrameDecoder::TBuffer& buffer, std::size_t) { PacketReceived(buffer); }) {
    Start();
}

TSerialPacketHandler::~TSerialPacketHandler() {
    SetTimerRunning(false);
    Disconnect();
}

bool TSerialPacketHandler::TryOpen() {
    try {
        port_->Open();
        return true;
    } catch (const EDeviceError&) {
        return false;
    }
}

void TSerialPacketHandler::TellOpenFailure(const std::string& reason) {
    tellFailure_ = false;
    if (Owner().OperatorMessages() != nullptr) {
        const std::string text = Format("Ошибка открытия порта %s", Owner().Settings().device.c_str());
        if (reason.empty()) {
            Owner().OperatorMessages()->ShowMessage(text);
        } else {
            // From inside the socket's own signal: shown once that has returned.
            Owner().OperatorMessages()->ShowError(text + ": " + reason);
        }
    }
}

void TSerialPacketHandler::Connect() {
    wanted_ = true;
    port_ = std::make_unique<TXComm>();
    port_->SetDeviceName(QString::fromStdString(Owner().Settings().device));
    connect(port_.get(), &TXComm::bytesReceived, this, &TSerialPacketHandler::OnBytes);
    connect(port_.get(), &TXComm::portLost, this, &TSerialPacketHandler::OnPortLost);
    connect(port_.get(), &TXComm::opened, this, &TSerialPacketHandler::OnPortOpened);
    reopenTicks_ = kReopenTicks;
    tellFailure_ = port_->IsNetwork();  // a network port fails later, from the background
    if (!TryOpen()) {
        reopenCountdown_ = reopenTicks_;
        TellOpenFailure({});
    }
}

void TSerialPacketHandler::Disconnect() {
    wanted_ = false;
    if (port_) {
        port_->disconnect(this);
        port_->Close();
        port_.reset();
    }
}

void TSerialPacketHandler::SendPacket(const TPacket& packet) {
    if (!PortOpen()) {
        return;  // a closed port sends nothing; the queue keeps the packet
    }
    frame_.clear();
    if (!EncodeFrame(packet, frame_)) {
        return;
    }
    port_->Write(reinterpret_cast<const char*>(frame_.data()), static_cast<qint64>(frame_.size()));
}

void TSerialPacketHandler::OnBytes(const QByteArray& bytes) {
    decoder_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())));
}

void TSerialPacketHandler::OnPortLost(const QString& reason) {
    if (tellFailure_) {
        TellOpenFailure(reason.toStdString());
    }
    reopenCountdown_ = reopenTicks_;
    if (port_ && port_->IsNetwork()) {
        reopenTicks_ = std::min(reopenTicks_ * 2, kMaxNetworkReopenTicks);
    }
}

void TSerialPacketHandler::OnPortOpened() {
    tellFailure_ = false;
    reopenTicks_ = kReopenTicks;
}

void TSerialPacketHandler::OnTimer() {
    if (wanted_ && port_ && !port_->IsOpen() && !port_->IsConnecting() && --reopenCountdown_ <= 0) {
        reopenCountdown_ = reopenTicks_;
        TryOpen();  // silently: the operator was told once, and the link state shows the rest
    }
    Tick();
}

}  // namespace tervis
