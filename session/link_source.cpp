#include "session/link_source.h"

#include <stdexcept>

#include "links/ble_link.h"
#include "links/emulator_link.h"
#include "links/hid_link.h"
#include "serial/port_scan.h"
#include "session/serial_source.h"

namespace cellwatch::session {

LinkSource::LinkSource(SourceEvents events, std::unique_ptr<MessageLink> link)
    : events_(std::move(events)), link_(std::move(link)) {
    QObject::connect(link_.get(), &MessageLink::received, link_.get(),
                     [this](const QByteArray& message) {
                         const std::span<const std::uint8_t> bytes(
                             reinterpret_cast<const std::uint8_t*>(message.constData()),
                             static_cast<std::size_t>(message.size()));
                         events_.received(bytes);
                         events_.take(bytes);
                         events_.serviced();
                     });
    QObject::connect(link_.get(), &MessageLink::lost, link_.get(),
                     [this](const QString& why) { events_.lost(why); });
    QObject::connect(link_.get(), &MessageLink::notice, link_.get(),
                     [this](const QString& text) { events_.notice(text); });
}

LinkSource::~LinkSource() {
    link_->close();
}

std::string chargerOfPort(const QString& portText) {
    const std::optional<LinkAddress> a =
        isLinkAddress(portText) ? parseLinkAddress(portText) : std::nullopt;
    return a && a->kind == LinkAddress::Kind::Emulator ? a->charger.toStdString() : std::string();
}

std::vector<PortInfo> ChargerPortLister::ports() const {
    std::vector<PortInfo> all = serial_.ports();
    std::vector<UsbId> ids;
    for (const DriverEntry& d : chargerDrivers()) {
        ids.insert(ids.end(), d.links.usb.begin(), d.links.usb.end());
    }
    for (const HidDevice& d : listHidDevices(ids)) {
        LinkAddress address;
        address.vendor = d.vendor;
        address.product = d.product;
        address.serial = d.serial;
        PortInfo port;
        port.deviceId = linkAddressText(address);
        port.name = d.productName;
        port.vendorId = d.vendor;
        port.productId = d.product;
        port.serialNumber = d.serial;
        port.location = d.path;
        all.push_back(std::move(port));
    }
    return all;
}

std::unique_ptr<SessionSource> makePortSource(SourceEvents events, const QString& portText,
                                              const DriverEntry& driver) {
    if (!isLinkAddress(portText)) {
        const QString device = portToOpen(portText);
        return std::make_unique<SerialSource>(std::move(events), device, device, driver.line);
    }
    QString error;
    const std::optional<LinkAddress> address = parseLinkAddress(portText, &error);
    if (!address) {
        throw std::runtime_error(error.toStdString());
    }
    if (address->kind == LinkAddress::Kind::Ble) {
        if (driver.links.bleService.empty()) {
            throw std::runtime_error("the " + std::string(driver.id) +
                                     " charger has no Bluetooth LE link");
        }
        return std::make_unique<LinkSource>(std::move(events),
                                            std::make_unique<BleLink>(*address, driver.links));
    }
    if (address->kind == LinkAddress::Kind::Emulator) {
        return std::make_unique<LinkSource>(
            std::move(events), std::make_unique<EmulatorLink>(address->charger, address->model));
    }
    return std::make_unique<LinkSource>(std::move(events), std::make_unique<HidLink>(*address, driver.links.hidModbus));
}

}  // namespace cellwatch::session
