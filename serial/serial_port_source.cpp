#include "serial/serial_port_source.h"

namespace cellwatch {

bool applyChargerLineSettings(QSerialPort& port) {
    return port.setBaudRate(QSerialPort::Baud9600) && port.setDataBits(QSerialPort::Data8) &&
           port.setParity(QSerialPort::NoParity) && port.setStopBits(QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

std::size_t SerialPortByteSource::bytesWaiting() const {
    if (!port_.isOpen()) {
        return 0;
    }
    qint64 n = port_.bytesAvailable();
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t SerialPortByteSource::read(std::span<std::uint8_t> dest) {
    if (!port_.isOpen() || dest.empty()) {
        return 0;
    }
    qint64 n = port_.read(reinterpret_cast<char*>(dest.data()), static_cast<qint64>(dest.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace cellwatch
