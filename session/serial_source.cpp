#include "session/serial_source.h"

#include <QObject>
#include <stdexcept>

namespace cellwatch::session {

SerialSource::SerialSource(SourceEvents events, QString device, QString name, LineSettings line)
    : events_(std::move(events)),
      device_(std::move(device)),
      name_(name.isEmpty() ? device_ : std::move(name)),
      line_(line) {
    link_.setReceiveTap(this);
    link_.setReceiver(events_.take, events_.wanted);
    QObject::connect(&link_, &SerialLink::linkLost, &link_,
                     [this](const QString& reason) { events_.lost(reason); });
}

SerialSource::~SerialSource() {
    link_.setReceiveTap(nullptr);
    link_.close();
}

void SerialSource::open() {
    if (!link_.isOpen()) {
        link_.open(device_, line_);
    }
}

}  // namespace cellwatch::session
