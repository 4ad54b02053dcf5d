#include "serial/port_receiver.h"

namespace cellwatch {

PortReceiver::PortReceiver(QSerialPort& port, ReceiveAssembler& assembler, QObject* parent)
    : QObject(parent), port_(port), source_(port), assembler_(assembler) {
    connect(&port, &QSerialPort::readyRead, this, &PortReceiver::receive);
}

void PortReceiver::receive() {
    takeAllWaiting(port_);
    assembler_.serviceReceived(source_);
    setReadWakeThreshold(port_, assembler_.bytesBeforeWork(source_));
}

}  // namespace cellwatch
