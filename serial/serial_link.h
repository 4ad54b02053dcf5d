// The open serial port to the charger: opens it with the charger's line
// settings, hands every receive event to the receive path, and notices when
// the line is gone.
//
// A USB adapter that is pulled makes the port report an error (a resource
// error on a real adapter; a pseudo-terminal whose other side closed reports
// read errors many thousands of times a second). Any error other than
// "no error" and a time-out counts as the link being lost: the port is
// closed at once, which stops the flood, and linkLost is emitted once with
// what happened in plain words. The system's error text is not used: after
// such an error it is often left over from an earlier call ("File exists",
// "Inappropriate ioctl for device") and says nothing about the loss.
//
// A receive tap (for a capture) sees the bytes of every receive event before
// the receive path works them off, and hears when it has.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <cstdint>
#include <memory>
#include <span>

#include "protocol/receive_assembler.h"
#include "serial/serial_port_source.h"

namespace cellwatch {

// Why an open link was lost.
enum class LinkLoss {
    None,          // not lost
    DeviceGone,    // the device went away: unplugged, or the far side closed
    DeviceFailed,  // the device reported another error and was closed
};

// The loss in plain English words, as linkLost gives it: "the device went
// away", "the device stopped working"; "" for None.
QString linkLossText(LinkLoss loss);

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

    // Why the link was last lost; None from open() until it is.
    LinkLoss lossReason() const { return loss_; }

    // `tap` (or nothing) sees every receive event from now on; it stays the caller's.
    void setReceiveTap(ReceiveTap* tap) { tap_ = tap; }

signals:
    // The open port was lost and is closed; `reason` is linkLossText(lossReason()).
    void linkLost(const QString& reason);

private:
    void onError(QSerialPort::SerialPortError error);
    void receive();

    ReceiveAssembler& assembler_;
    QSerialPort port_;
    SerialPortByteSource source_{port_};
    bool lost_ = false;
    LinkLoss loss_ = LinkLoss::None;
    ReceiveTap* tap_ = nullptr;
    // Bytes left waiting in the port after the last receive event: a tap
    // is shown only what came after them.
    qint64 seen_ = 0;
};

}  // namespace cellwatch
