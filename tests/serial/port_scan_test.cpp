#include "serial/port_scan.h"

#include <gtest/gtest.h>

namespace cellwatch {
namespace {

TEST(PortScan, EntriesMarkUsbAdapters) {
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"COM1", "Communications Port", false, "COM1"},
        {"COM3", "Prolific usb-to-serial", false, "USB_COM3"},  // USB in the name, any case
        {"ttyUSB0", "FT232R UART FTDI", true, "USB_ttyUSB0"},   // a USB vendor identifier
        {"ttyS0", "", false, "ttyS0"},
    };
    for (const auto& [id, name, usb, entry] : cases) {
        EXPECT_EQ(portEntry({QString::fromLatin1(id), QString::fromLatin1(name), usb}),
                  QString::fromLatin1(entry));
    }
}

TEST(PortScan, PortNumbersAndDevices) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"USB_COM3", 3, "COM3"},         {"COM 3", 3, "COM3"},
        {"COM12", 12, "COM12"},          {"USB_ttyUSB0", 0, "ttyUSB0"},
        {"/dev/pts/4", 4, "/dev/pts/4"}, {"cu.usbserial-1410", 1410, "cu.usbserial-1410"},
    };
    for (const auto& [text, number, device] : cases) {
        EXPECT_EQ(portNumber(QString::fromLatin1(text)), number) << text;
        EXPECT_EQ(portDevice(QString::fromLatin1(text)), QString::fromLatin1(device)) << text;
    }
    for (const char* none : {"", "COM", "/tmp/charger", "USB_", "COM 3 "}) {
        EXPECT_FALSE(portNumber(QString::fromLatin1(none)).has_value()) << none;
    }
}

}  // namespace
}  // namespace cellwatch
