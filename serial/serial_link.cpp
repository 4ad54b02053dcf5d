#include "serial/serial_link.h"

#include <stdexcept>

namespace cellwatch {

SerialLink::SerialLink(ReceiveAssembler& assembler, QObject* parent)
    : QObject(parent), assembler_(assembler) {
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (port_.isOpen()) {
            assembler_.serviceReceived(source_);
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
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen() ||
        lost_) {
        return;
    }
    lost_ = true;
    const QString reason = port_.errorString();
    port_.close();  // stops the flood of errors at once
    port_.clearError();
    emit linkLost(reason);
}

}  // namespace cellwatch
