#include "net/broker_address.h"

#include <QRegularExpression>
#include <algorithm>

namespace cellwatch::net {
namespace {

// The address as it may be shown: a password put in it is hidden, in any
// form ("USER:PASSWORD@", with '/', '@' or ':' in the password, ":PASSWORD@",
// a query such as "?password=..."): everything from the first ':' after the
// scheme to the last '@', and everything after a '?' or '#'. (A name or a
// host holds no '@', '?' or '#'.)
QString shown(const QString& text) {
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    const qsizetype start = scheme < 0 ? 0 : scheme + 3;
    QString out = text;
    const qsizetype query = out.indexOf(QRegularExpression(QStringLiteral("[?#]")), start);
    if (query >= 0) {
        out = out.left(query + 1) + QStringLiteral("***");
    }
    const qsizetype at = out.lastIndexOf(u'@');
    if (at >= start) {
        const qsizetype colon = out.indexOf(u':', start);
        if (colon >= 0 && colon < at) {
            out = out.left(colon + 1) + QStringLiteral("***") + out.mid(at);
        }
        return out;
    }
    // "USER:PASSWORD" without its '@' reads as a host and a port: a port
    // that is no number is hidden, with what follows it.
    if (!out.mid(start).startsWith(u'[')) {
        const qsizetype colon = out.indexOf(u':', start);
        if (colon >= 0) {
            qsizetype end = colon + 1;
            while (end < out.size() && out[end].isDigit()) {
                ++end;
            }
            if (end < out.size() && out[end] != u'/') {
                out = out.left(colon + 1) + QStringLiteral("***");
            }
        }
    }
    return out;
}

[[noreturn]] void refuse(const QString& text, const QString& why) {
    throw AddressError(QStringLiteral("bad address %1: %2").arg(shown(text), why).toStdString());
}

bool isHostChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'.' || c == u'_';
}

bool isUserChar(QChar c) {
    return c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'@' && c != u':' && c != u'/' &&
           c != u'#' && c != u'+' && c != u'?';
}

}  // namespace

QString BrokerAddress::text() const {
    QString out = tls ? QStringLiteral("mqtts://") : QStringLiteral("mqtt://");
    if (!user.isEmpty()) {
        out += user + u'@';
    }
    out += host.contains(u':') ? u'[' + host + u']' : host;
    if (port != (tls ? kMqttsPort : kMqttPort)) {
        out += u':' + QString::number(port);
    }
    if (!name.isEmpty()) {
        out += u'/' + name;
    }
    if (!name.isEmpty() && channel > 0) {
        out += u'/' + QString::number(channel);
    }
    return out;
}

QString BrokerAddress::brokerText() const {
    const QString h = host.contains(u':') ? u'[' + host + u']' : host;
    return h + u':' + QString::number(port);
}

QString BrokerAddress::topic(const QString& leaf) const {
    return QString::fromLatin1(kTopicRoot) + u'/' + name + u'/' + leaf;
}

QString BrokerAddress::channelTopic(const QString& leaf) const {
    return topic(QString::number(std::max(channel, 1)) + u'/' + leaf);
}

bool isBrokerAddress(const QString& text) {
    return text.startsWith(QLatin1String("mqtt://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("mqtts://"), Qt::CaseInsensitive);
}

bool isChargerName(const QString& name) {
    if (name.isEmpty() || name.size() > 64) {
        return false;
    }
    for (const QChar c : name) {
        if (!isHostChar(c)) {
            return false;
        }
    }
    return true;
}

BrokerAddress parseBrokerAddress(const QString& text, NamePart namePart) {
    BrokerAddress address;
    QString rest;
    if (text.startsWith(QLatin1String("mqtts://"), Qt::CaseInsensitive)) {
        address.tls = true;
        address.port = kMqttsPort;
        rest = text.mid(8);
    } else if (text.startsWith(QLatin1String("mqtt://"), Qt::CaseInsensitive)) {
        rest = text.mid(7);
    } else {
        refuse(text, QStringLiteral("it starts with neither mqtt:// nor mqtts://"));
    }
    for (const QChar c : rest) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F) {
            refuse(text, QStringLiteral("it holds a space, a control character or a non-ASCII "
                                        "character"));
        }
    }

    // A user and password ("alice:pa/ss@host"): the password may hold '/',
    // so this is looked for before the authority is split off.
    if (const qsizetype lastAt = rest.lastIndexOf(u'@'); lastAt >= 0) {
        const qsizetype colon = rest.indexOf(u':');
        const qsizetype firstSlash = rest.indexOf(u'/');
        if (colon >= 0 && colon < lastAt && (firstSlash < 0 || colon < firstSlash)) {
            refuse(text, QStringLiteral("a password never goes in the address (use a password "
                                        "file or the prompt)"));
        }
    }

    // Authority up to the first '/', then the name.
    const qsizetype slash = rest.indexOf(u'/');
    QString authority = slash < 0 ? rest : rest.left(slash);
    QString path = slash < 0 ? QString() : rest.mid(slash + 1);

    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QString user = authority.left(at);
        if (user.contains(u':')) {
            refuse(text, QStringLiteral("a password never goes in the address (use a password "
                                        "file or the prompt)"));
        }
        if (user.isEmpty()) {
            refuse(text, QStringLiteral("the user name before '@' is empty"));
        }
        for (const QChar c : user) {
            if (!isUserChar(c)) {
                refuse(text, QStringLiteral("the user name holds '%1'").arg(c));
            }
        }
        address.user = user;
        authority = authority.mid(at + 1);
    }

    QString portText;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0) {
            refuse(text, QStringLiteral("the IPv6 address has no closing ']'"));
        }
        address.host = authority.mid(1, close - 1);
        const QString after = authority.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':')) {
                refuse(text, QStringLiteral("unexpected text after ']'"));
            }
            portText = after.mid(1);
            if (portText.isEmpty()) {
                refuse(text, QStringLiteral("the port after ':' is missing"));
            }
        }
        for (const QChar c : address.host) {
            if (!(c.isDigit() || c == u':' || (c.toLower() >= u'a' && c.toLower() <= u'f') ||
                  c == u'.')) {
                refuse(text, QStringLiteral("the IPv6 address holds '%1'").arg(c));
            }
        }
    } else {
        const qsizetype colon = authority.indexOf(u':');
        address.host = colon < 0 ? authority : authority.left(colon);
        if (colon >= 0) {
            portText = authority.mid(colon + 1);
            if (portText.isEmpty()) {
                refuse(text, QStringLiteral("the port after ':' is missing"));
            }
        }
        for (const QChar c : address.host) {
            if (!isHostChar(c)) {
                refuse(text, QStringLiteral("the host name holds '%1'").arg(c));
            }
        }
    }
    if (address.host.isEmpty()) {
        refuse(text, QStringLiteral("the host is missing"));
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok, 10);
        const bool digits = std::all_of(portText.begin(), portText.end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!ok || !digits || port == 0 || port > 65535) {
            // Not echoed: "USER:PASSWORD" without the '@' reads as host and port.
            refuse(text, QStringLiteral("the port after ':' is no number from 1 to 65535"));
        }
        address.port = static_cast<std::uint16_t>(port);
    }

    if (namePart == NamePart::None) {
        if (!path.isEmpty()) {
            refuse(text, QStringLiteral("a broker address ends after the host and port"));
        }
        return address;
    }
    if (path.isEmpty()) {
        refuse(text, QStringLiteral("the charger's name after the host is missing "
                                    "(mqtt://HOST/NAME)"));
    }
    // NAME/CHANNEL: one channel of a charger of several.
    const qsizetype cut = path.lastIndexOf(u'/');
    const QString channel = cut > 0 ? path.mid(cut + 1) : QString();
    if (!channel.isEmpty() &&
        std::all_of(channel.begin(), channel.end(), [](QChar c) { return c.isDigit(); })) {
        if (channel.size() != 1 || channel[0] < u'1' ||
            channel[0] > QChar(u'0' + kMostAddressChannels)) {
            refuse(text, QStringLiteral("the channel after the name is no number from 1 to %1")
                             .arg(kMostAddressChannels));
        }
        address.channel = channel[0].unicode() - u'0';
        path.truncate(cut);
    }
    if (!isChargerName(path)) {
        refuse(text, QStringLiteral("the name %1 is not one level of letters, digits, '-', '_' "
                                    "and '.' (at most 64)")
                         .arg(shown(QStringLiteral("//") + path).mid(2)));
    }
    address.name = path;
    return address;
}

}  // namespace cellwatch::net
