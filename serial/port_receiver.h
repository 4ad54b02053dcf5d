// Drives the receive path from a real serial port: every readyRead of the
// port is a receive event, and the assembler is called again while bytes
// it could use remain waiting. After each event the port is asked to wake
// the receive path only when enough bytes for its next step can be there.
#pragma once

#include <QObject>
#include <QSerialPort>

#include "protocol/receive_assembler.h"
#include "serial/serial_port_source.h"

namespace cellwatch {

class PortReceiver final : public QObject {
    Q_OBJECT
public:
    PortReceiver(QSerialPort& port, ReceiveAssembler& assembler, QObject* parent = nullptr);

    // Works off whatever is waiting now (also called on every readyRead).
    void receive();

private:
    QSerialPort& port_;
    SerialPortByteSource source_;
    ReceiveAssembler& assembler_;
};

}  // namespace cellwatch
