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

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (port_.isOpen()) {
            receive();
        }
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() = default;

void SerialLink::open(const QString& device, const LineSettings& line) {
    if (port_.isOpen()) {
        port_.close();
    }
    lost_ = false;
    loss_ = LinkLoss::None;
    port_.setPortName(device);
    applyLineSettings(port_, line);
    if (!port_.open(line.writes ? QIODevice::ReadWrite : QIODevice::ReadOnly)) {
        const QString reason = port_.errorString();
        port_.clearError();
        throw std::runtime_error(reason.toStdString());
    }
    if (!applyLineSettings(port_, line)) {
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
}

bool SerialLink::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen() || !port_.isWritable()) {
        return false;
    }
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    return port_.write(data, static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

void SerialLink::receive() {
    takeAllWaiting(port_);
    const QByteArray all = port_.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(all.constData());
    const std::span<const std::uint8_t> bytes(data, static_cast<std::size_t>(all.size()));
    if (tap_ != nullptr && !bytes.empty()) {
        tap_->received(bytes);
    }
    if (receiver_) {
        receiver_(bytes);
    }
    setReadWakeThreshold(port_, wanted_ ? wanted_() : 1);
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
    emit linkLost(linkLossText(loss_));
}

}  // namespace cellwatch
