#include "serial/port_scan.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/emulator/pseudo_terminal.h"

namespace cellwatch {
namespace {

TEST(PortScan, EntriesMarkUsbAdapters) {
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"COM1", "Communications Port", false, "COM1"},
        {"ttyUSB0", "FT232R UART FTDI", true, "USB_ttyUSB0"},  // a USB vendor identifier
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

// A path that names an existing device opens as it stands, whatever its
// name ends in (a udev alias, the emulator's --link); every other text must
// end in its port number. What names no port is refused, saying why (a
// missing path and a bare name through the window and the log tool).
TEST(PortScan, PortToOpenTakesDevicePathsAsTheyStand) {
    namespace fs = std::filesystem;
    const QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    emulator::PseudoTerminal pty;
    const std::string link = (dir / "charger").string();
    fs::create_symlink(pty.slavePath(), link);
    fs::create_directories(dir / "by-id");
    fs::create_symlink(pty.slavePath(), dir / "by-id" / "usb-FTDI_FT232R-if00-port0");
    std::ofstream(dir / "notes") << "not a port\n";

    const std::pair<std::string, std::string> opened[] = {
        {link, link},
        {(dir / "by-id" / "usb-FTDI_FT232R-if00-port0").string(),
         (dir / "by-id" / "usb-FTDI_FT232R-if00-port0").string()},
        {pty.slavePath(), pty.slavePath()},
        {(dir / "ttyUSB9").string(), (dir / "ttyUSB9").string()},  // the serial layer says why
        {"USB_COM3", "COM3"},
        {"COM 3", "COM3"},
        {"ttyUSB0", "ttyUSB0"},
    };
    for (const auto& [text, device] : opened) {
        EXPECT_EQ(portToOpen(QString::fromStdString(text)).toStdString(), device) << text;
    }
    const std::pair<std::string, std::string> refused[] = {
        {(dir / "notes").string(), (dir / "notes").string() + " is not a device"},
        {(dir / "by-id").string(), (dir / "by-id").string() + " is not a device"},
        {"COM 3 ", "\"COM 3 \" does not name a serial port"},
    };
    for (const auto& [text, says] : refused) {
        try {
            portToOpen(QString::fromStdString(text));
            ADD_FAILURE() << text << " accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(says, 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace cellwatch
