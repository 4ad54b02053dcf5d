#include "protocol/driver_registry.h"

#include <array>

#include "protocol/icharger_driver.h"
#include "protocol/isdt_driver.h"
#include "protocol/skyrc_driver.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

namespace {

std::unique_ptr<ChargerDriver> makeTkrx(DriverContext& context, DriverSink& sink,
                                        const DriverOptions& options) {
    return std::make_unique<TkrxDriver>(context, sink, options);
}

std::unique_ptr<ChargerDriver> makeIcharger(DriverContext& context, DriverSink& sink,
                                            const DriverOptions& options) {
    return std::make_unique<IchargerDriver>(context, sink, options);
}

std::unique_ptr<ChargerDriver> makeSkyrc(DriverContext& context, DriverSink& sink,
                                         const DriverOptions& options) {
    return std::make_unique<SkyrcDriver>(context, sink, options);
}

std::unique_ptr<ChargerDriver> makeIsdt(DriverContext& context, DriverSink& sink,
                                        const DriverOptions& options) {
    return std::make_unique<IsdtDriver>(context, sink, options);
}

const std::array<DriverEntry, 4>& entries() {
    static const std::array<DriverEntry, 4> list = {
        DriverEntry{kFirstDriverId, kFirstDriverMaker, TkrxDriver::modelList(), LineSettings{},
                    &makeTkrx},
        // Over its serial port (Modbus RTU), or its own USB HID link.
        DriverEntry{kIchargerDriverId, "Junsi", IchargerDriver::modelList(),
                    IchargerDriver::lineSettings(), &makeIcharger,
                    LinkHints{{UsbId{0x0483, 0x5751}}, {}, {}, {}, true}},
        // The family's USB chargers all show 0000:0001; over Bluetooth LE one
        // characteristic of service ffe0 notifies and takes the requests.
        DriverEntry{kSkyrcDriverId, "SkyRC", SkyrcDriver::modelList(), LineSettings{.writes = true},
                    &makeSkyrc,
                    LinkHints{{UsbId{0x0000, 0x0001}},
                              "0000ffe0-0000-1000-8000-00805f9b34fb",
                              std::string(kSkyrcWriteCharacteristic),
                              std::string(kSkyrcWriteCharacteristic)}},
        // Bluetooth LE only: service af00, answers notified on af01 and af02.
        DriverEntry{kIsdtDriverId, "ISDT", IsdtDriver::modelList(), LineSettings{.writes = true},
                    &makeIsdt,
                    LinkHints{{},
                              "0000af00-0000-1000-8000-00805f9b34fb",
                              std::string(isdt::kPollCharacteristic),
                              std::string(isdt::kPollCharacteristic)}},
    };
    return list;
}

// The built-in drivers, then those added at run time.
std::vector<DriverEntry>& table() {
    static std::vector<DriverEntry> list(entries().begin(), entries().end());
    return list;
}

}  // namespace

bool addDriver(DriverEntry entry) {
    if (findDriver(entry.id) != nullptr) {
        return false;
    }
    table().push_back(std::move(entry));
    return true;
}

std::string lineSettingsText(const LineSettings& line) {
    const char parity = line.parity == Parity::Even ? 'E' : line.parity == Parity::Odd ? 'O' : 'N';
    return std::to_string(line.baud) + ' ' + std::to_string(line.dataBits) + parity +
           std::to_string(line.stopBits);
}

std::span<const DriverEntry> chargerDrivers() {
    return table();
}

const DriverEntry* findDriver(std::string_view id) {
    for (const DriverEntry& e : table()) {
        if (e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

const DriverEntry* driverForUsb(UsbId id) {
    for (const DriverEntry& e : chargerDrivers()) {
        for (const UsbId& u : e.links.usb) {
            if (u == id) {
                return &e;
            }
        }
    }
    return nullptr;
}

std::unique_ptr<ChargerDriver> makeDriver(std::string_view id, DriverContext& context,
                                          DriverSink& sink, const DriverOptions& options) {
    const DriverEntry* entry = findDriver(id);
    return entry != nullptr ? entry->make(context, sink, options) : nullptr;
}

std::string driverListText() {
    std::string text;
    for (const DriverEntry& e : table()) {
        text += e.id;
        text += '\t';
        text += e.maker;
        text += '\t';
        for (std::size_t k = 0; k < e.models.size(); ++k) {
            text += k > 0 ? ", " : "";
            text += e.models[k];
        }
        text += '\n';
    }
    return text;
}

std::string driverIdsText() {
    std::string text;
    for (const DriverEntry& e : table()) {
        text += text.empty() ? "" : ", ";
        text += e.id;
    }
    return text;
}

}  // namespace cellwatch
