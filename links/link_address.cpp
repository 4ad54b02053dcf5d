#include "links/link_address.h"

#include <QRegularExpression>

namespace cellwatch {

bool isLinkAddress(const QString& text) {
    const QString t = text.trimmed();
    return t.startsWith(QLatin1String("hid:"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("ble:"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("emulator:"), Qt::CaseInsensitive);
}

std::optional<LinkAddress> parseLinkAddress(const QString& text, QString* error) {
    const QString t = text.trimmed();
    auto fail = [&](const QString& why) -> std::optional<LinkAddress> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    if (t.startsWith(QLatin1String("hid:"), Qt::CaseInsensitive)) {
        static const QRegularExpression form(
            QStringLiteral("^hid:([0-9A-Fa-f]{4}):([0-9A-Fa-f]{4})(?::(\\S{1,126}))?$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = form.match(t);
        if (!m.hasMatch()) {
            return fail(
                QStringLiteral("a USB HID device is named hid:VID:PID or hid:VID:PID:SERIAL, "
                               "the ids in four hex digits (hid:0483:5751)"));
        }
        LinkAddress a;
        a.kind = LinkAddress::Kind::Hid;
        a.vendor = static_cast<std::uint16_t>(m.captured(1).toUInt(nullptr, 16));
        a.product = static_cast<std::uint16_t>(m.captured(2).toUInt(nullptr, 16));
        a.serial = m.captured(3);
        return a;
    }
    if (t.startsWith(QLatin1String("ble:"), Qt::CaseInsensitive)) {
        static const QRegularExpression form(
            QStringLiteral("^ble:((?:[0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2})$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = form.match(t);
        if (!m.hasMatch()) {
            return fail(
                QStringLiteral("a Bluetooth device is named ble:ADDRESS, six hex pairs "
                               "(ble:C8:47:8C:00:11:22)"));
        }
        LinkAddress a;
        a.kind = LinkAddress::Kind::Ble;
        a.bleAddress = m.captured(1).toUpper();
        return a;
    }
    if (t.startsWith(QLatin1String("emulator:"), Qt::CaseInsensitive)) {
        static const QRegularExpression form(
            QStringLiteral("^emulator:([a-z0-9_-]{1,40})(?::([^:]{1,40}))?$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = form.match(t);
        if (!m.hasMatch()) {
            return fail(QStringLiteral(
                "an emulated charger is named emulator:CHARGER or emulator:CHARGER:MODEL "
                "(emulator:skyrc:T1000)"));
        }
        // The emulator answers requests on its standard streams only as the
        // chargers that are asked over USB HID or Bluetooth LE.
        const QString charger = m.captured(1).toLower();
        if (charger != QLatin1String("skyrc") && charger != QLatin1String("isdt")) {
            return fail(
                QStringLiteral("the emulator plays %1 on a pseudo-terminal, not as emulator:%1: "
                               "start cellwatch-emulator --charger %1 and connect to the path it "
                               "prints (emulator: names skyrc and isdt only)")
                    .arg(charger));
        }
        LinkAddress a;
        a.kind = LinkAddress::Kind::Emulator;
        a.charger = charger;
        a.model = m.captured(2).trimmed();
        return a;
    }
    return fail(QStringLiteral("not a hid:, ble: or emulator: name"));
}

QString linkAddressText(const LinkAddress& a) {
    if (a.kind == LinkAddress::Kind::Ble) {
        return QStringLiteral("ble:") + a.bleAddress;
    }
    if (a.kind == LinkAddress::Kind::Emulator) {
        return QStringLiteral("emulator:") + a.charger +
               (a.model.isEmpty() ? QString() : u':' + a.model);
    }
    QString text = QStringLiteral("hid:%1:%2")
                       .arg(a.vendor, 4, 16, QLatin1Char('0'))
                       .arg(a.product, 4, 16, QLatin1Char('0'));
    if (!a.serial.isEmpty()) {
        text += u':' + a.serial;
    }
    return text;
}

}  // namespace cellwatch
