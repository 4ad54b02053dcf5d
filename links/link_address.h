// The names of chargers reached other than over a serial line, as the port
// box and --port take them:
//   hid:VID:PID[:SERIAL]   a USB HID device, ids in hex ("hid:0483:5751")
//   ble:ADDRESS            a Bluetooth LE device ("ble:C8:47:8C:00:11:22")
//   emulator:CHARGER[:MODEL]
//                          a charger played by cellwatch-emulator
//                          ("emulator:isdt:C4 Air")
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace cellwatch {

struct LinkAddress {
    enum class Kind { Hid, Ble, Emulator };
    Kind kind = Kind::Hid;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    QString serial;      // HID: empty for any
    QString bleAddress;  // BLE: six hex pairs, upper case
    QString charger;     // emulator: the charger's driver id
    QString model;       // emulator: the model it plays; empty for its default
};

// Whether `text` names a HID, BLE or emulator link (by its prefix), well-formed or not.
bool isLinkAddress(const QString& text);
// The address `text` names; nullopt with `error` set when it is malformed.
std::optional<LinkAddress> parseLinkAddress(const QString& text, QString* error = nullptr);
// "hid:0483:5751", "hid:0483:5751:SN", "ble:C8:47:8C:00:11:22".
QString linkAddressText(const LinkAddress& address);

}  // namespace cellwatch
