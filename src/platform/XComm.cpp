#include "platform/XComm.h"

#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "core/link/NetworkPort.h"
#include "platform/NetPort.h"

namespace tervis {

namespace {
constexpr qint32 kBaudRate = 57600;
}  // namespace

QString SystemPortName(const QString& device) {
    static const QRegularExpression comName("^COM([1-4])$");
    const QRegularExpressionMatch match = comName.match(device);
    if (match.hasMatch()) {
        return QString("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    }
    return device;
}

TXComm::TXComm(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &TXComm::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &TXComm::OnError);
}

TXComm::~TXComm() {
    net_.reset();
    Close();
}

bool TXComm::IsOpen() const {
    return net_ ? net_->IsOpen() : port_.isOpen();
}

bool TXComm::IsConnecting() const {
    return net_ && net_->IsConnecting();
}

bool TXComm::IsNetwork() const {
    return IsNetworkPortName(deviceName_.toStdString());
}

void TXComm::Open() {
    if (IsOpen() || IsConnecting()) {
        throw EDeviceError("Device is allready opened.", 2);
    }
    if (IsNetwork()) {
        const std::optional<TNetworkPort> address = ParseNetworkPort(deviceName_.toStdString());
        if (!address) {
            throw EDeviceError("Cannot open device " + deviceName_.toStdString(), 65535);
        }
        Close();  // the object of an earlier attempt
        net_ = std::make_unique<TNetPort>(*address);
        connect(net_.get(), &TNetPort::bytesReceived, this, &TXComm::bytesReceived);
        connect(net_.get(), &TNetPort::opened, this, &TXComm::opened);
        connect(net_.get(), &TNetPort::failed, this, &TXComm::portLost);
        net_->Open();
        return;
    }
    port_.setPortName(SystemPortName(deviceName_));
    if (!port_.open(QIODevice::ReadWrite)) {
        throw EDeviceError("Cannot open device " + deviceName_.toStdString(), 65535);
    }
    const bool configured = port_.setBaudRate(kBaudRate) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        port_.close();
        throw EDeviceError("Unable to update device control block.", 3);
    }
    port_.clear(QSerialPort::AllDirections);
}

void TXComm::Close() {
    if (net_) {
        net_->disconnect(this);
        net_->Close();
        // Close may come from a handler of the port's own signal: the object goes once that returns.
        net_.release()->deleteLater();
    }
    if (port_.isOpen()) {
        port_.clear(QSerialPort::AllDirections);
        port_.close();
    }
}

bool TXComm::Write(const char* data, qint64 size) {
    if (net_) {
        return net_->Write(data, size);
    }
    if (!port_.isOpen()) {
        return false;
    }
    qint64 written = 0;
#ifdef Q_OS_UNIX
    // Out now rather than on the event loop's next turn (with one packet in flight, that turn is time
    // lost on every exchange), when nothing waits before it. Not through QSerialPort::flush(): it takes a
    // full line (EAGAIN) for a write error and the port would be closed. What the line does not take now
    // waits in the port's buffer, as before.
    if (port_.bytesToWrite() == 0) {
        const ssize_t n = ::write(port_.handle(), data, static_cast<std::size_t>(size));
        written = n > 0 ? n : 0;
    }
#endif
    return written == size || port_.write(data + written, size - written) == size - written;
}

void TXComm::OnReadyRead() {
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty()) {
        emit bytesReceived(bytes);
    }
}

void TXComm::OnError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
            return;
        case QSerialPort::OpenError:
        case QSerialPort::DeviceNotFoundError:
        case QSerialPort::PermissionError:
            return;  // reported by Open itself
        default:
            break;
    }
    if (!port_.isOpen()) {
        return;
    }
    const QString reason = port_.errorString();
    port_.clearError();
    // A removed device keeps failing; close it and let the owner reopen it when it is back.
    port_.close();
    emit portLost(reason);
}

}  // namespace tervis
