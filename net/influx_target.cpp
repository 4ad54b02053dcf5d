#include "net/influx_target.h"

#include <QUrlQuery>

#include "net/secret_files.h"

namespace cellwatch::net {
namespace {

const QString kForms = QStringLiteral(
    "http://HOST:PORT/write?db=NAME or http://HOST:PORT/api/v2/write?org=ORG&bucket=BUCKET");

// The text without whatever stands between the scheme and the last '@':
// a password never goes into a message.
QString shown(const QString& text) {
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    const qsizetype at = text.lastIndexOf(u'@');
    return scheme >= 0 && at > scheme ? text.left(scheme + 3) + text.mid(at + 1) : text;
}

[[noreturn]] void refuse(const QString& text, const QString& why) {
    throw InfluxError(QStringLiteral("%1 is no database write address: %2 (%3)")
                          .arg(shown(text), why, kForms)
                          .toStdString());
}

}  // namespace

QUrl parseInfluxAddress(const QString& text) {
    if (shown(text) != text) {
        refuse(text, QStringLiteral("the user and password go in the file of --influx-auth"));
    }
    QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        refuse(text, QStringLiteral("no host"));
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        refuse(text, QStringLiteral("it is neither http:// nor https://"));
    }
    if (!url.userInfo().isEmpty()) {
        refuse(text, QStringLiteral("the user and password go in the file of --influx-auth"));
    }
    QString path = url.path();
    while (path.endsWith(u'/')) {
        path.chop(1);
    }
    if (path.startsWith(QLatin1String("/influx/"))) {
        path = path.mid(7);
    }
    QUrlQuery query(url);
    if (path == QLatin1String("/write")) {
        if (query.queryItemValue(QStringLiteral("db")).isEmpty()) {
            refuse(text, QStringLiteral("no database (db=NAME)"));
        }
    } else if (path == QLatin1String("/api/v2/write")) {
        if (query.queryItemValue(QStringLiteral("bucket")).isEmpty()) {
            refuse(text, QStringLiteral("no bucket (bucket=NAME)"));
        }
    } else {
        refuse(text, QStringLiteral("the path is neither /write nor /api/v2/write"));
    }
    query.removeAllQueryItems(QStringLiteral("precision"));
    query.addQueryItem(QStringLiteral("precision"), QStringLiteral("ns"));
    url.setQuery(query);
    url.setScheme(scheme);
    return url;
}

QString influxAddressText(const QUrl& url) {
    return url.toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo | QUrl::RemoveFragment);
}

QByteArray readInfluxAuthFile(const QString& path) {
    QString line;
    try {
        line = readPasswordFile(path).trimmed();
    } catch (const MqttError& e) {
        throw InfluxError(
            QString::fromUtf8(e.what())
                .replace(QStringLiteral("password file"), QStringLiteral("database sign-in file"))
                .toStdString());
    }
    if (line.startsWith(QLatin1String("Token "), Qt::CaseInsensitive)) {
        line = line.mid(6).trimmed();
    }
    if (line.contains(u':')) {
        return "Basic " + line.toUtf8().toBase64();
    }
    return "Token " + line.toUtf8();
}

}  // namespace cellwatch::net
