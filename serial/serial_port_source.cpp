#include "serial/serial_port_source.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace cellwatch {

bool applyLineSettings(QSerialPort& port, const LineSettings& line) {
    const auto parity = line.parity == Parity::Even  ? QSerialPort::EvenParity
                        : line.parity == Parity::Odd ? QSerialPort::OddParity
                                                     : QSerialPort::NoParity;
    return port.setBaudRate(static_cast<qint32>(line.baud)) &&
           port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits)) &&
           port.setParity(parity) &&
           port.setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

bool setReadWakeThreshold(QSerialPort& port, std::size_t bytes) {
#ifdef Q_OS_UNIX
    if (!port.isOpen()) {
        return false;
    }
    const int fd = static_cast<int>(port.handle());
    termios settings{};
    if (fd < 0 || ::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    const auto wanted = static_cast<cc_t>(std::clamp<std::size_t>(bytes, 1, 255));
    if (settings.c_cc[VMIN] == wanted && settings.c_cc[VTIME] == 0) {
        return true;
    }
    settings.c_cc[VMIN] = wanted;
    settings.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
#else
    Q_UNUSED(port);
    Q_UNUSED(bytes);
    return true;
#endif
}

void takeAllWaiting(QSerialPort& port) {
#ifdef Q_OS_UNIX
    // Bounded: a line at full speed cannot keep the driver filled for long.
    for (int round = 0; round < 64 && port.isOpen(); ++round) {
        int inDriver = 0;
        const int fd = static_cast<int>(port.handle());
        if (fd < 0 || ::ioctl(fd, FIONREAD, &inDriver) != 0 || inDriver <= 0) {
            return;
        }
        // Readable at once only below the minimum-read count (set again
        // after the event); inside a readyRead handler this reads without
        // emitting another.
        setReadWakeThreshold(port, 1);
        if (!port.waitForReadyRead(0)) {
            return;
        }
    }
#else
    Q_UNUSED(port);
#endif
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
