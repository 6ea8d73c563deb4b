#include "platform/SerialPacketHandler.h"

#include "core/link/NetworkPort.h"
#include "core/model/BoardTypes.h"
#include "core/model/Mux.h"

namespace tervis {

namespace {
constexpr int kTickMs = 50;
constexpr int kFirstReopenMs = 1000;            // a closed port is tried again after a second
constexpr int kLongestNetworkReopenMs = 16000;  // a terminal server that stays away: every 16 s
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
    failures_ = 0;
    tellFailure_ = port_->IsNetwork();  // a network port fails later, from the background
    if (!TryOpen()) {
        reopenCountdown_ = ReopenTicks();
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
    reopenCountdown_ = ReopenTicks();
    if (port_ && port_->IsNetwork()) {
        ++failures_;
    }
}

void TSerialPacketHandler::OnPortOpened() {
    tellFailure_ = false;
    failures_ = 0;
}

// A serial device costs nothing to try and is back within a second of being replugged; a network port
// waits longer after each failure.
int TSerialPacketHandler::ReopenTicks() const {
    const bool network = port_ && port_->IsNetwork();
    return (network ? ReopenDelayMs(failures_, kFirstReopenMs, kLongestNetworkReopenMs) : kFirstReopenMs) /
           kTickMs;
}

void TSerialPacketHandler::OnTimer() {
    if (wanted_ && port_ && !port_->IsOpen() && !port_->IsConnecting() && --reopenCountdown_ <= 0) {
        reopenCountdown_ = ReopenTicks();
        TryOpen();  // silently: the operator was told once, and the link state shows the rest
    }
    Tick();
}

}  // namespace tervis
