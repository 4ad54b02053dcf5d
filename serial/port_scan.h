// The serial ports the system knows, and how the port list shows them.
//
// A port's device identifier is its own name (COM3 on Windows, ttyUSB0 on
// Linux, cu.usbserial-1410 on macOS); its descriptive name is the port's
// description and maker. A port behind a USB adapter (one with a USB vendor
// identifier, or USB in its name) is listed as "USB_" + identifier.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace cellwatch {

struct PortInfo {
    QString deviceId;  // ttyUSB0, COM3
    QString name;      // the descriptive name
    bool usbAdapter = false;
    // What tells one adapter from another: its USB vendor and product, its
    // serial number (many adapters have one), and the place it is plugged
    // in where the system names it (Linux: its /dev/serial/by-path name).
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber{};
    QString location{};
};

class PortLister {
public:
    virtual ~PortLister() = default;
    virtual std::vector<PortInfo> ports() const = 0;
};

// The system's ports, through QSerialPortInfo.
class SystemPortLister final : public PortLister {
public:
    std::vector<PortInfo> ports() const override;
};

// A port list given by hand (no ports unless told), for tests and simulations.
class FixedPortLister final : public PortLister {
public:
    std::vector<PortInfo> ports() const override { return list; }
    std::vector<PortInfo> list;
};

// Whether a USB adapter keeps its device name when plugged in again: COM
// numbers (Windows) and cu.usbserial-<location> names (macOS) stay with the
// adapter or its socket; ttyUSB numbers (Linux) follow the order of plugging.
#ifdef Q_OS_LINUX
inline constexpr bool kDeviceNamesAreStable = false;
#else
inline constexpr bool kDeviceNamesAreStable = true;
#endif

// The port in `ports` that is the adapter `known` was: the same USB vendor
// and product, and the same serial number when `known` has one, else the
// same location when the
// system names one, else, where names are stable, the same device name. A
// port without USB identifiers matches by device name only. Nothing when no
// port, or more than one, matches: a different adapter is never taken.
std::optional<PortInfo> findSameAdapter(const PortInfo& known, const std::vector<PortInfo>& ports,
                                        bool namesAreStable = kDeviceNamesAreStable);

// "USB_" + identifier when the port's name holds USB (any case) or it has a
// USB vendor identifier; the identifier alone otherwise.
QString portEntry(const PortInfo& port);

// The decimal digits at the end of a port text: 3 for USB_COM3 and COM 3,
// 12 for COM12; nothing when it does not end in a digit.
std::optional<int> portNumber(const QString& portText);

// The device to open for a port text: a "USB_" entry opens the device after
// the prefix, "COM 3" the port COM3, anything else (a device name or a typed
// path such as /dev/pts/4) as it stands.
QString portDevice(const QString& portText);

// The device that connecting opens for a port text. A path (one starting
// with '/', or "\\.\" on Windows) that names an existing device is opened as
// it stands, whatever its name ends in: udev aliases such as /dev/charger or
// /dev/serial/by-id/usb-...-port0, and symlinks to a pseudo-terminal. Any
// other text must end in its port number (USB_COM3, COM 3, ttyUSB0) and
// opens portDevice(text). Throws std::runtime_error with one sentence saying
// why when the text names no port.
QString portToOpen(const QString& portText);

}  // namespace cellwatch
