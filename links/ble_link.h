// A charger on Bluetooth LE, through Qt Bluetooth: it connects to the
// device, finds the service the charger's driver names, subscribes to
// every characteristic of it that notifies and writes requests to the one
// the driver names (or to a request's own target). One notification is one
// message.
//
// Connecting happens in the background: open() throws only when there is
// no Bluetooth adapter; what goes wrong later is told by lost() in plain
// words. A Bluetooth LE charger serves one client at a time, so a refused
// connection says so (is a phone app connected to it?). Some chargers drop
// the link after a while (minutes) on their own: the link connects again,
// kReconnectTries times with a growing pause, and tells notice() each
// time; only then is it lost.
#pragma once

#include <QBluetoothUuid>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QPointer>
#include <QTimer>

#include "links/link_address.h"
#include "links/message_link.h"
#include "protocol/charger_driver.h"

class QLowEnergyService;

namespace cellwatch {

// Whether the computer has a Bluetooth adapter Qt can use.
bool haveBluetoothAdapter();

class BleLink final : public MessageLink {
    Q_OBJECT
public:
    static constexpr int kReconnectTries = 5;
    static constexpr int kFirstRetryMs = 1000;

    BleLink(LinkAddress address, LinkHints hints, QObject* parent = nullptr);
    ~BleLink() override;

    QString name() const override { return linkAddressText(address_); }
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> message, std::string_view target = {}) override;
    // Whether notifications are on and requests can be written.
    bool ready() const { return ready_; }

private:
    void connectNow();
    void servicesFound();
    void serviceState(int state);
    void controllerError(QLowEnergyController::Error error);
    void dropped();
    void fail(const QString& why);
    void dropController();

    LinkAddress address_;
    LinkHints hints_;
    QPointer<QLowEnergyController> controller_;
    QPointer<QLowEnergyService> service_;
    QLowEnergyCharacteristic writeTo_;
    QTimer retry_;
    int tries_ = 0;
    bool open_ = false;
    bool ready_ = false;
    bool everReady_ = false;
};

}  // namespace cellwatch
