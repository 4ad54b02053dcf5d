#include "session/serial_source.h"

#include <QObject>
#include <stdexcept>

namespace cellwatch::session {

SerialSource::SerialSource(ReceiveAssembler& path, SourceEvents events, QString device,
                           QString name)
    : events_(std::move(events)),
      device_(std::move(device)),
      name_(name.isEmpty() ? device_ : std::move(name)),
      link_(path) {
    link_.setReceiveTap(this);
    QObject::connect(&link_, &SerialLink::linkLost, &link_,
                     [this](const QString& reason) { events_.lost(reason); });
}

SerialSource::~SerialSource() {
    link_.setReceiveTap(nullptr);
    link_.close();
}

void SerialSource::open() {
    if (!link_.isOpen()) {
        link_.open(device_);
    }
}

}  // namespace cellwatch::session
