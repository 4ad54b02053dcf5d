// The receive path's byte source over a real serial port (QSerialPort), and
// the line settings of the charger: 9600 baud, 8 data bits, no parity, one
// stop bit, no flow control, raw bytes.
#pragma once

#include <QSerialPort>

#include "serial/byte_source.h"

namespace cellwatch {

// Applies the charger's fixed line settings to an open or closed port.
// Returns false (with the port's own error) if the driver refuses one.
bool applyChargerLineSettings(QSerialPort& port);

class SerialPortByteSource final : public ByteSource {
public:
    explicit SerialPortByteSource(QSerialPort& port) : port_(port) {}

    std::size_t bytesWaiting() const override;
    std::size_t read(std::span<std::uint8_t> dest) override;

private:
    QSerialPort& port_;
};

}  // namespace cellwatch
