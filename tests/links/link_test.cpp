#include <gtest/gtest.h>

#include <stdexcept>

#include "links/ble_link.h"
#include "links/hid_link.h"
#include "links/link_address.h"

namespace cellwatch {
namespace {

TEST(LinkAddress, NamesAreReadOrRefusedWithTheirForm) {
    struct Case {
        const char* text;
        const char* readBack;  // nullptr: refused
    };
    const Case cases[] = {
        {"hid:0483:5751", "hid:0483:5751"},
        {" HID:0483:5751 ", "hid:0483:5751"},
        {"hid:0000:0001:ABC123", "hid:0000:0001:ABC123"},
        {"ble:c8:47:8c:00:11:22", "ble:C8:47:8C:00:11:22"},
        {"hid:483:5751", nullptr},
        {"hid:0483", nullptr},
        {"hid:0483:5751:", nullptr},
        {"hid:04g3:5751", nullptr},
        {"ble:C8:47:8C:00:11", nullptr},
        {"ble:", nullptr},
        {"/dev/ttyUSB0", nullptr},
        {"emulator:skyrc:T1000", "emulator:skyrc:T1000"},
        {"emulator:ISDT:C4 Air", "emulator:isdt:C4 Air"},
        // A polled charger's emulator makes a pseudo-terminal instead.
        {"emulator:icharger:4010 DUO", nullptr},
        {"emulator:tkrx", nullptr},
    };
    for (const Case& c : cases) {
        QString error;
        const std::optional<LinkAddress> a = parseLinkAddress(QString::fromUtf8(c.text), &error);
        if (c.readBack == nullptr) {
            EXPECT_FALSE(a) << c.text;
            EXPECT_FALSE(error.isEmpty()) << c.text;
        } else {
            ASSERT_TRUE(a) << c.text << ": " << error.toStdString();
            EXPECT_EQ(linkAddressText(*a).toStdString(), c.readBack);
        }
    }
    QString why;
    parseLinkAddress(QStringLiteral("emulator:icharger"), &why);
    EXPECT_TRUE(why.contains(QStringLiteral("pseudo-terminal"))) << why.toStdString();
    EXPECT_TRUE(isLinkAddress(QStringLiteral("hid:zz")));
    EXPECT_FALSE(isLinkAddress(QStringLiteral("ttyUSB0")));
}

std::string openError(MessageLink& link) {
    try {
        link.open();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

// No charger is plugged in here: the link says so and stays closed.
TEST(HidLink, AnAbsentDeviceIsSaidPlainly) {
    HidLink link(*parseLinkAddress(QStringLiteral("hid:0483:5751")));
    const std::string error = openError(link);
    EXPECT_NE(error.find("no USB device 0483:5751"), std::string::npos) << error;
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.write(std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(listHidDevices({UsbId{0x0483, 0x5751}}).empty());
}

// No Bluetooth adapter here either; a driver without a Bluetooth service is
// refused before any adapter is looked for.
TEST(BleLink, NoAdapterAndNoServiceAreSaidPlainly) {
    const LinkAddress address = *parseLinkAddress(QStringLiteral("ble:C8:47:8C:00:11:22"));
    BleLink withoutService(address, LinkHints{});
    EXPECT_NE(openError(withoutService).find("does not speak Bluetooth LE"), std::string::npos);
    if (haveBluetoothAdapter()) {
        GTEST_SKIP() << "this machine has a Bluetooth adapter";
    }
    LinkHints hints;
    hints.bleService = "0000ffe0-0000-1000-8000-00805f9b34fb";
    hints.bleNotify = hints.bleWrite = "0000ffe1-0000-1000-8000-00805f9b34fb";
    BleLink link(address, hints);
    EXPECT_NE(openError(link).find("no Bluetooth adapter"), std::string::npos);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.write(std::vector<std::uint8_t>{1}));
}

}  // namespace
}  // namespace cellwatch
