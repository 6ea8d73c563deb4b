#include "platform/SerialPacketHandler.h"

#include "core/model/BoardTypes.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {
constexpr int kReopenTicks = 20;  // a closed port is tried again every second
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

void TSerialPacketHandler::Connect() {
    wanted_ = true;
    port_ = std::make_unique<TXComm>();
    port_->SetDeviceName(QString::fromStdString(Owner().Settings().device));
    connect(port_.get(), &TXComm::bytesReceived, this, &TSerialPacketHandler::OnBytes);
    connect(port_.get(), &TXComm::portLost, this, &TSerialPacketHandler::OnPortLost);
    if (!TryOpen()) {
        reopenCountdown_ = kReopenTicks;
        if (Owner().OperatorMessages() != nullptr) {
            Owner().OperatorMessages()->ShowMessage(
                Format("Ошибка открытия порта %s", Owner().Settings().device.c_str()));
        }
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

void TSerialPacketHandler::OnPortLost() {
    reopenCountdown_ = kReopenTicks;
}

void TSerialPacketHandler::OnTimer() {
    if (wanted_ && port_ && !port_->IsOpen() && --reopenCountdown_ <= 0) {
        reopenCountdown_ = kReopenTicks;
        TryOpen();  // silently: the operator was told once, and the link state shows the rest
    }
    Tick();
}

}  // namespace tervis
