#include "protocol/driver_registry.h"

#include <array>

#include "protocol/sample_bridge.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

namespace {

std::unique_ptr<ChargerDriver> makeTkrx(DriverContext& context, DriverSink& sink,
                                        const DriverOptions& options) {
    return std::make_unique<TkrxDriver>(context, sink, options);
}

const std::array<DriverEntry, 1>& entries() {
    static const std::array<DriverEntry, 1> list = {
        DriverEntry{kFirstDriverId, kFirstDriverMaker, TkrxDriver::modelList(), LineSettings{},
                    &makeTkrx},
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
