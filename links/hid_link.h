// A charger on USB HID, through hidapi (Linux: its hidraw backend): one
// input report is one message, one output report one request.
//
// Reports are read on a thread of the link's own, waiting at most
// kReadWaitMs at a time so that close() never waits long; each report is
// handed to the program's thread as received(). Reports have no report id
// (the chargers' devices use unnumbered reports): a request is written with
// the id 0 in front, as hidapi asks, and padded to kReportBytes.
//
// Errors are told in plain words: no such device ("is it plugged in?"), a
// device the user may not open (the udev rule the package installs gives
// the logged-in user these devices), a device that vanishes while open
// (lost(), once).
#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "links/link_address.h"
#include "links/message_link.h"
#include "protocol/charger_driver.h"

struct hid_device_;

namespace cellwatch {

// A USB HID device the system has, of the ids asked for.
struct HidDevice {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    QString serial;
    QString productName;  // the device's own product string
    QString path;         // /dev/hidraw3
};

// Every HID device whose vendor and product are among `ids` (empty: none);
// an empty list when hidapi cannot start.
std::vector<HidDevice> listHidDevices(const std::vector<UsbId>& ids);

class HidLink final : public MessageLink {
    Q_OBJECT
public:
    static constexpr int kReportBytes = 64;
    static constexpr int kReadWaitMs = 100;

    // `modbusFrames`: the driver writes Modbus RTU frames and reads them
    // back; the link carries them as MODBUS-HID reports.
    explicit HidLink(LinkAddress address, bool modbusFrames = false, QObject* parent = nullptr);
    ~HidLink() override;

    QString name() const override { return linkAddressText(address_); }
    void open() override;
    void close() override;
    bool isOpen() const override { return device_ != nullptr; }
    bool write(std::span<const std::uint8_t> message, std::string_view target = {}) override;

private:
    void readLoop();
    void deviceGone();

    void deliver(const QByteArray& report);

    LinkAddress address_;
    bool modbusFrames_ = false;
    std::uint8_t modbusUnit_ = 1;  // of the last request written
    hid_device_* device_ = nullptr;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    bool lostTold_ = false;
};

}  // namespace cellwatch
