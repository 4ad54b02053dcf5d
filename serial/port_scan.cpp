#include "serial/port_scan.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace cellwatch {

namespace {

// The /dev/serial/by-path name of a device (Linux); "" elsewhere.
QString byPathName(const QString& systemLocation) {
    const QString device = QFileInfo(systemLocation).canonicalFilePath();
    QDirIterator links(QStringLiteral("/dev/serial/by-path"), QDir::Files | QDir::System);
    while (!device.isEmpty() && links.hasNext()) {
        const QString link = links.next();
        if (QFileInfo(link).canonicalFilePath() == device) {
            return QFileInfo(link).fileName();
        }
    }
    return {};
}

// A typed path rather than a port name.
bool isPath(const QString& text) {
#ifdef Q_OS_WIN
    return text.startsWith(QLatin1String("\\\\.\\"));
#else
    return text.startsWith(u'/');
#endif
}

// Why the path names no device that exists; nothing when it names one.
std::optional<std::string> whyNoDevice(const QString& path) {
#ifdef Q_OS_WIN
    if (QSerialPortInfo(path).isNull()) {
        return path.toStdString() + ": no such serial port";
    }
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return path.toStdString() + ": " + std::strerror(errno);
    }
    if (!S_ISCHR(st.st_mode)) {
        return path.toStdString() + " is not a device";
    }
#endif
    return std::nullopt;
}

}  // namespace

std::vector<PortInfo> SystemPortLister::ports() const {
    std::vector<PortInfo> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.deviceId = info.portName();
        p.name = (info.description() + u' ' + info.manufacturer()).trimmed();
        p.usbAdapter = info.hasVendorIdentifier();
        p.vendorId = info.vendorIdentifier();
        p.productId = info.productIdentifier();
        p.serialNumber = info.serialNumber();
        p.location = byPathName(info.systemLocation());
        out.push_back(p);
    }
    return out;
}

std::optional<PortInfo> findSameAdapter(const PortInfo& known, const std::vector<PortInfo>& ports,
                                        bool namesAreStable) {
    const bool usb = known.vendorId != 0 || known.productId != 0;
    const auto same = [&](const PortInfo& p) {
        if (!usb) {
            return p.vendorId == 0 && p.productId == 0 && p.deviceId == known.deviceId;
        }
        if (p.vendorId != known.vendorId || p.productId != known.productId) {
            return false;
        }
        if (!known.serialNumber.isEmpty()) {
            return p.serialNumber == known.serialNumber;  // in any socket
        }
        if (!known.location.isEmpty()) {
            return p.serialNumber.isEmpty() && p.location == known.location;
        }
        return namesAreStable && p.serialNumber.isEmpty() && p.deviceId == known.deviceId;
    };
    std::optional<PortInfo> found;
    for (const PortInfo& p : ports) {
        if (same(p)) {
            if (found) {
                return std::nullopt;
            }
            found = p;
        }
    }
    return found;
}

QString portEntry(const PortInfo& port) {
    if (port.deviceId.startsWith(QLatin1String("hid:")) ||
        port.deviceId.startsWith(QLatin1String("ble:"))) {
        return port.deviceId;  // a charger's own USB HID or Bluetooth link, named as it is opened
    }
    const bool usb = port.usbAdapter || port.name.toUpper().contains(QLatin1String("USB"));
    return usb ? QStringLiteral("USB_") + port.deviceId : port.deviceId;
}

std::optional<int> portNumber(const QString& portText) {
    qsizetype start = portText.size();
    while (start > 0 && portText[start - 1].isDigit() && portText[start - 1].unicode() < 128) {
        --start;
    }
    if (start == portText.size()) {
        return std::nullopt;
    }
    bool ok = false;
    const int n = portText.mid(start).right(9).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

QString portDevice(const QString& portText) {
    QString text = portText.trimmed();
    if (text.startsWith(QLatin1String("USB_"))) {
        text = text.mid(4);
    }
    static const QRegularExpression com(QStringLiteral("^COM\\s+(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(text);
    if (m.hasMatch()) {
        return QStringLiteral("COM") + m.captured(1);
    }
    return text;
}

QString portToOpen(const QString& portText) {
    if (isPath(portText)) {
        const std::optional<std::string> why = whyNoDevice(portText);
        if (!why) {
            return portText;
        }
        if (!portNumber(portText)) {
            throw std::runtime_error(*why);
        }
        // A path that ends in a number goes to the serial layer, which says why it fails.
    } else if (!portNumber(portText)) {
        throw std::runtime_error("\"" + portText.toStdString() +
                                 "\" does not name a serial port: a port name ends in its "
                                 "number, a path names a device.");
    }
    return portDevice(portText);
}

}  // namespace cellwatch
