#include "serial/port_scan.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

namespace cellwatch {

std::vector<PortInfo> SystemPortLister::ports() const {
    std::vector<PortInfo> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.deviceId = info.portName();
        p.name = (info.description() + u' ' + info.manufacturer()).trimmed();
        p.usbAdapter = info.hasVendorIdentifier();
        out.push_back(p);
    }
    return out;
}

QString portEntry(const PortInfo& port) {
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

}  // namespace cellwatch
