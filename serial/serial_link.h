// The open serial port to the charger: opens it with the charger's line
// settings, hands every receive event to the receive path, and notices when
// the line is gone.
//
// A USB adapter that is pulled makes the port report an error (a resource
// error on a real adapter; a pseudo-terminal whose other side closed reports
// read errors many thousands of times a second). Any error other than
// "no error" and a time-out counts as the link being lost: the port is
// closed at once, which stops the flood, and linkLost is emitted once.
//
// A receive tap (for a capture) sees the bytes of every receive event before
// the receive path works them off, and hears when it has.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <cstdint>
#include <memory>
#include <span>

#include "serial/receive_assembler.h"
#include "serial/serial_port_source.h"

namespace cellwatch {

class ReceiveTap {
public:
    virtual ~ReceiveTap() = default;
    // The bytes that arrived since the last receive event, before the
    // receive path is called; not called when none did.
    virtual void received(std::span<const std::uint8_t> bytes) = 0;
    // The receive path has worked off this event (called after every event).
    virtual void serviced() {}
};

class SerialLink final : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(ReceiveAssembler& assembler, QObject* parent = nullptr);
    ~SerialLink() override;

    // Opens `device` (a port name or a path). Throws std::runtime_error with
    // the serial layer's own text when it cannot be opened.
    void open(const QString& device);
    void close();
    bool isOpen() const { return port_.isOpen(); }
    QString device() const { return port_.portName(); }
    QSerialPort& port() { return port_; }

    // `tap` (or nothing) sees every receive event from now on; it stays the caller's.
    void setReceiveTap(ReceiveTap* tap) { tap_ = tap; }

signals:
    void linkLost(const QString& reason);

private:
    void onError(QSerialPort::SerialPortError error);
    void receive();

    ReceiveAssembler& assembler_;
    QSerialPort port_;
    SerialPortByteSource source_{port_};
    bool lost_ = false;
    ReceiveTap* tap_ = nullptr;
    // Bytes left waiting in the port after the last receive event: a tap
    // is shown only what came after them.
    qint64 seen_ = 0;
};

}  // namespace cellwatch
