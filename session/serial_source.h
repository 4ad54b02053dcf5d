// A charger on a serial port (or a USB adapter's): the bytes arrive on the
// session's own clocks, and a recording begins when the port opens.
#pragma once

#include <memory>

#include "serial/serial_link.h"
#include "session/session_source.h"

namespace cellwatch::session {

class SerialSource final : public SessionSource, private ReceiveTap {
public:
    // `device` as portToOpen() gives it; `name` as the user gave it; `line`
    // as the charger's driver gives it.
    SerialSource(SourceEvents events, QString device, QString name = {}, LineSettings line = {});
    ~SerialSource() override;

    QString name() const override { return name_; }
    // Throws std::runtime_error: "/dev/ttyUSB0: No such file or directory".
    void open() override;
    void close() override { link_.close(); }
    bool isOpen() const override { return link_.isOpen(); }
    LinkLoss loss() const override { return link_.lossReason(); }
    bool carriesRequests() const override { return true; }
    bool send(std::span<const std::uint8_t> bytes, std::string_view /*target*/ = {}) override {
        return link_.write(bytes);
    }
    SerialLink& link() { return link_; }

private:
    void received(std::span<const std::uint8_t> bytes) override { events_.received(bytes); }
    void serviced() override { events_.serviced(); }

    SourceEvents events_;
    QString device_;
    QString name_;
    LineSettings line_;
    SerialLink link_;
};

}  // namespace cellwatch::session
