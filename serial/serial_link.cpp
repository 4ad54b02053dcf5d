#include "serial/serial_link.h"

#include <algorithm>
#include <stdexcept>

namespace cellwatch {

QString linkLossText(LinkLoss loss) {
    switch (loss) {
        case LinkLoss::DeviceGone:
            return QStringLiteral("the device went away");
        case LinkLoss::DeviceFailed:
            return QStringLiteral("the device stopped working");
        case LinkLoss::None:
            break;
    }
    return {};
}

SerialLink::SerialLink(ReceiveAssembler& assembler, QObject* parent)
    : QObject(parent), assembler_(assembler) {
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (port_.isOpen()) {
            receive();
        }
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() = default;

void SerialLink::open(const QString& device) {
    if (port_.isOpen()) {
        port_.close();
    }
    lost_ = false;
    loss_ = LinkLoss::None;
    seen_ = 0;
    port_.setPortName(device);
    applyChargerLineSettings(port_);
    if (!port_.open(QIODevice::ReadOnly)) {
        const QString reason = port_.errorString();
        port_.clearError();
        throw std::runtime_error(reason.toStdString());
    }
    if (!applyChargerLineSettings(port_)) {
        const QString reason = port_.errorString();
        port_.close();
        port_.clearError();
        throw std::runtime_error(reason.toStdString());
    }
#ifdef Q_OS_WIN
    port_.setDataTerminalReady(true);  // some USB adapters send nothing without it
#endif
}

void SerialLink::close() {
    if (port_.isOpen()) {
        port_.close();
    }
    port_.clearError();
    seen_ = 0;
}

void SerialLink::receive() {
    takeAllWaiting(port_);
    if (tap_ != nullptr) {
        // The new bytes are the tail of what waits; the receive path reads
        // from the port itself, so they stay there until it does.
        const qint64 waiting = port_.bytesAvailable();
        if (waiting > seen_) {
            const QByteArray all = port_.peek(waiting);
            const auto* data = reinterpret_cast<const std::uint8_t*>(all.constData());
            const std::span<const std::uint8_t> bytes(data, static_cast<std::size_t>(all.size()));
            tap_->received(bytes.subspan(std::min(bytes.size(), static_cast<std::size_t>(seen_))));
        }
    }
    assembler_.serviceReceived(source_);
    setReadWakeThreshold(port_, assembler_.bytesBeforeWork(source_));
    seen_ = port_.bytesAvailable();
    if (tap_ != nullptr) {
        tap_->serviced();
    }
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen() ||
        lost_) {
        return;
    }
    lost_ = true;
    // A read that fails or finds the line closed, and a device that is no
    // longer there, are the device going away (a pulled adapter, a closed
    // pseudo-terminal); anything else is the device failing.
    const bool gone = error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
                      error == QSerialPort::DeviceNotFoundError;
    loss_ = gone ? LinkLoss::DeviceGone : LinkLoss::DeviceFailed;
    port_.close();  // stops the flood of errors at once
    port_.clearError();
    seen_ = 0;
    emit linkLost(linkLossText(loss_));
}

}  // namespace cellwatch
