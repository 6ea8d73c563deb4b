#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tervis {

// A serial port failure, with the component's code.
class EDeviceError : public std::runtime_error {
public:
    EDeviceError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// The operator's port names "COM1".."COM4" are the first four serial ports; any other name is a
// device path (a USB adapter, a pseudo-terminal) and is opened as given.
QString SystemPortName(const QString& device);

class TNetPort;

// The serial port of the device link: 57600 baud, 8 data bits, no parity, one stop bit, no flow control.
// Received bytes arrive through bytesReceived on the thread that owns the object.
// A name "tcp://HOST:PORT" or "rfc2217://HOST:PORT" is a line on a terminal server instead (TNetPort):
// Open then only starts connecting, IsConnecting is true until it is open or has failed, and a failure
// arrives as portLost with the reason. Every program opens its line here, so all of them take both kinds.
class TXComm : public QObject {
    Q_OBJECT
public:
    explicit TXComm(QObject* parent = nullptr);
    ~TXComm() override;

    void SetDeviceName(const QString& name) { deviceName_ = name; }
    const QString& DeviceName() const { return deviceName_; }
    // Raises EDeviceError ("Cannot open device %s", code 65535) when the device cannot be opened (for a
    // network port: when its name is malformed).
    void Open();
    void Close();
    bool IsOpen() const;
    bool IsConnecting() const;
    bool IsNetwork() const;
    // Writes the bytes; false when the port is closed or refused them.
    bool Write(const char* data, qint64 size);
    // Bytes written but not yet taken by the device.
    qint64 BytesToWrite() const { return port_.bytesToWrite(); }

signals:
    void bytesReceived(const QByteArray& bytes);
    // A network port is connected (a serial port is open when Open returns).
    void opened();
    // The device went away (an adapter pulled out) or failed; the port has been closed.
    void portLost(const QString& reason);

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    std::unique_ptr<TNetPort> net_;
    QString deviceName_ = "COM2";
};

}  // namespace tervis
