// The receive path's byte source over a real serial port (QSerialPort), and
// the line settings of a charger (the first family's: 9600 baud, 8 data
// bits, no parity, one stop bit), without flow control, raw bytes.
#pragma once

#include <QSerialPort>

#include "protocol/byte_source.h"
#include "protocol/charger_driver.h"

namespace cellwatch {

// Applies a charger's line settings to an open or closed port. Returns
// false (with the port's own error) if the driver refuses one.
bool applyLineSettings(QSerialPort& port, const LineSettings& line);
// The first family's: 9600 8N1.
inline bool applyChargerLineSettings(QSerialPort& port) {
    return applyLineSettings(port, LineSettings{});
}

// Asks the system to report the open port readable only once `bytes` bytes
// (clamped to 1..255) wait in its driver. A charger's line brings a message
// a few bytes at a time, each piece a wake-up of the program; the receive
// path can do nothing with a started frame until 111 bytes follow its start
// byte, so it asks to be woken when they can be there, and for every byte
// while it hunts for a start byte. Nothing is delayed: the wake-up comes
// with the byte that completes what the receive path waits for. Reads stay
// non-blocking and take whatever waits. On Unix terminals this is the
// driver's minimum-read count (VMIN, with no inter-byte timer); elsewhere it
// does nothing. Returns false when the driver refused it.
bool setReadWakeThreshold(QSerialPort& port, std::size_t bytes);

// Reads into the port's own buffer whatever its driver already holds. A
// terminal hands one non-blocking read at most 64 bytes, so the bytes of a
// message woken for all at once would otherwise come in two or three
// receive events, each a wake-up of its own; called at the start of a
// receive event, they all belong to it. Unix terminals only; elsewhere it
// does nothing.
void takeAllWaiting(QSerialPort& port);

class SerialPortByteSource final : public ByteSource {
public:
    explicit SerialPortByteSource(QSerialPort& port) : port_(port) {}

    std::size_t bytesWaiting() const override;
    std::size_t read(std::span<std::uint8_t> dest) override;

private:
    QSerialPort& port_;
};

}  // namespace cellwatch
