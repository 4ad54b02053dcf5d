// A charger on a link that carries whole messages (USB HID, Bluetooth LE):
// each message is one receive event for the driver, on the session's own
// clocks; a recording begins when the link opens. And the one place that
// turns what the user typed as a port into a source, for every front end.
#pragma once

#include <memory>

#include "links/message_link.h"
#include "protocol/driver_registry.h"
#include "serial/port_scan.h"
#include "session/session_source.h"

namespace cellwatch::session {

class LinkSource final : public SessionSource {
public:
    LinkSource(SourceEvents events, std::unique_ptr<MessageLink> link);
    ~LinkSource() override;

    QString name() const override { return link_->name(); }
    void open() override { link_->open(); }
    void close() override { link_->close(); }
    bool isOpen() const override { return link_->isOpen(); }
    bool carriesRequests() const override { return true; }
    bool send(std::span<const std::uint8_t> bytes, std::string_view target = {}) override {
        return link_->write(bytes, target);
    }
    MessageLink& link() { return *link_; }

private:
    SourceEvents events_;
    std::unique_ptr<MessageLink> link_;
};

// The source for what the user gave as a port: "hid:VID:PID[:SERIAL]" and
// "ble:ADDRESS" name a HID or Bluetooth link (throws std::runtime_error
// for a malformed one, or a Bluetooth link to a charger whose driver has no
// Bluetooth service), anything else a serial port (as portToOpen() finds
// it), opened with the driver's line settings. Not opened yet.
std::unique_ptr<SessionSource> makePortSource(SourceEvents events, const QString& portText,
                                              const DriverEntry& driver);

// The charger a port plays when the port says ("skyrc" for
// "emulator:skyrc:T1000"); "" for any other port.
std::string chargerOfPort(const QString& portText);

// The system's serial ports, then the USB HID chargers plugged in (of every
// driver's USB ids), named as they are opened ("hid:0483:5751:SERIAL").
class ChargerPortLister final : public PortLister {
public:
    std::vector<PortInfo> ports() const override;

private:
    SystemPortLister serial_;
};

}  // namespace cellwatch::session
