// The open serial port to the charger: a Link that carries bytes both ways
// and knows no protocol. It opens the port with the line settings the
// charger's driver gives (read-write only for a driver that writes), hands
// the bytes of every receive event on, writes what it is given, and notices
// when the line is gone.
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
// the receiver takes them, and hears when it has.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "protocol/charger_driver.h"
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
    // receiver takes them; not called when none did.
    virtual void received(std::span<const std::uint8_t> bytes) = 0;
    // The receiver has taken this event's bytes (called after every event).
    virtual void serviced() {}
};

class SerialLink final : public QObject {
    Q_OBJECT
public:
    // The bytes of one receive event (possibly none).
    using Receiver = std::function<void(std::span<const std::uint8_t>)>;
    // How many more bytes the receiver needs before it can do anything;
    // the port wakes the program only then.
    using Wanted = std::function<std::size_t()>;

    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    void setReceiver(Receiver receiver, Wanted wanted = {}) {
        receiver_ = std::move(receiver);
        wanted_ = std::move(wanted);
    }

    // Opens `device` (a port name or a path) with `line`. Throws
    // std::runtime_error with the serial layer's own text when it cannot be
    // opened.
    void open(const QString& device, const LineSettings& line = {});
    void close();
    bool isOpen() const { return port_.isOpen(); }
    QString device() const { return port_.portName(); }
    QSerialPort& port() { return port_; }
    // Writes to the charger; false when the port is not open for writing.
    bool write(std::span<const std::uint8_t> bytes);

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

    Receiver receiver_;
    Wanted wanted_;
    QSerialPort port_;
    bool lost_ = false;
    LinkLoss loss_ = LinkLoss::None;
    ReceiveTap* tap_ = nullptr;
};

}  // namespace cellwatch
