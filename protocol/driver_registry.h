// The chargers the program knows: each driver's id, maker and models, and
// a way to make one by its id.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/charger_driver.h"

namespace cellwatch {

struct DriverEntry {
    std::string_view id;
    std::string_view maker;
    std::span<const std::string_view> models;
    LineSettings line;
    std::function<std::unique_ptr<ChargerDriver>(DriverContext& context, DriverSink& sink,
                                                 const DriverOptions& options)>
        make;
    // USB HID and Bluetooth LE: how the charger is reached there, if it is.
    LinkHints links{};
};

// Adds a driver known only at run time (a charger described in a file),
// after the built-in ones. Its texts must live as long as the program (its
// factory may own them). False when a driver of that id is already known.
bool addDriver(DriverEntry entry);
// Every driver, the first family's first.
std::span<const DriverEntry> chargerDrivers();
// The driver of `id`; nullptr when there is none.
const DriverEntry* findDriver(std::string_view id);
// A new driver of `id`; nullptr when there is none.
std::unique_ptr<ChargerDriver> makeDriver(std::string_view id, DriverContext& context,
                                          DriverSink& sink, const DriverOptions& options = {});
// The driver whose USB HID ids include `id`; nullptr when none.
const DriverEntry* driverForUsb(UsbId id);
// "tkrx\tMAKER\tMODEL, MODEL" lines, one per driver, each ending in '\n'.
std::string driverListText();
// The ids, comma-separated ("tkrx"), for messages about an unknown name.
std::string driverIdsText();

}  // namespace cellwatch
