#include "net/secret_files.h"

#include <algorithm>

#include <sys/stat.h>

#include <QFile>
#include <QSslCertificate>
#include <string>

#include "net/message_auth.h"
#include "net/mqtt_client.h"
#include "serial/file_open.h"

namespace cellwatch::net {
namespace {

// A password or key file holds one line; anything much larger is none.
constexpr std::size_t kLargestSecretFile = 64 * 1024;
// A certificate file holds an authority or a few.
constexpr std::size_t kLargestCertificateFile = 1024 * 1024;

// The first line of a secret file; throws naming the file.
QByteArray firstLine(const QString& what, const QString& path) {
    // Only a regular file, and never waited on: a FIFO or a device in its
    // place is refused at once.
    const FileContents contents =
        readRegularFile(QFile::encodeName(path).toStdString(), kLargestSecretFile);
    if (!contents.ok()) {
        throw MqttError(QStringLiteral("cannot read %1 %2: %3")
                            .arg(what, path, QString::fromStdString(contents.why))
                            .toStdString());
    }
    QByteArray line = QByteArray::fromStdString(contents.bytes);
    const qsizetype end = line.indexOf('\n');
    if (end >= 0) {
        line.truncate(end);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

}  // namespace

QString readPasswordFile(const QString& path) {
    const QByteArray line = firstLine(QStringLiteral("the password file"), path);
    if (line.isEmpty()) {
        throw MqttError(
            QStringLiteral("the password file %1 holds no password").arg(path).toStdString());
    }
    return QString::fromUtf8(line);
}

QByteArray readKeyFile(const QString& path) {
    const QByteArray line = firstLine(QStringLiteral("the key file"), path).trimmed();
    // A key of one byte repeated (NUL bytes, "aaaa…") or of a few guesses
    // no less than too short a key: at least a handful of different bytes.
    QByteArray distinct = line;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (line.size() < MessageAuth::kMinKeyBytes || distinct.size() < MessageAuth::kMinKeyDistinct) {
        throw MqttError(QStringLiteral("the key file %1 holds no key of %2 characters at least, "
                                       "%3 of them different "
                                       "(make one with: head -c 32 /dev/urandom | base64)")
                            .arg(path)
                            .arg(MessageAuth::kMinKeyBytes)
                            .arg(MessageAuth::kMinKeyDistinct)
                            .toStdString());
    }
    return line;
}

QString looseSecretFileMode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {};
    }
    const unsigned mode = st.st_mode & 07777U;
    if ((mode & 077U) == 0) {
        return {};
    }
    return QStringLiteral("0%1").arg(mode, 3, 8, QLatin1Char('0'));
}

QString secretFileWarning(const QString& what, const QString& path) {
    const QString mode = looseSecretFileMode(path);
    if (mode.isEmpty()) {
        return {};
    }
    return QStringLiteral(
               "%1 %2 can be read by others (mode %3); it should be private to you: "
               "chmod 600 %2")
        .arg(what, path, mode);
}

void checkCertificateFile(const QString& path) {
    const FileContents contents =
        readRegularFile(QFile::encodeName(path).toStdString(), kLargestCertificateFile);
    if (!contents.ok()) {
        throw MqttError(QStringLiteral("cannot read the certificate file %1: %2")
                            .arg(path, QString::fromStdString(contents.why))
                            .toStdString());
    }
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromData(QByteArray::fromStdString(contents.bytes), QSsl::Pem);
    if (certificates.isEmpty() || certificates.front().isNull()) {
        throw MqttError(QStringLiteral("the certificate file %1 holds no certificate in PEM form "
                                       "(\"-----BEGIN CERTIFICATE-----\")")
                            .arg(path)
                            .toStdString());
    }
}

QStringList connectionWarnings(const MqttOptions& options) {
    QStringList out;
    if (!options.address.tls && !options.address.user.isEmpty() && !options.password.isEmpty()) {
        out << QStringLiteral(
                   "the password of %1 goes to the broker %2 unencrypted (mqtt://): "
                   "anyone on the way can read it; use mqtts:// to protect it")
                   .arg(options.address.user, options.address.brokerText());
    }
    return out;
}

}  // namespace cellwatch::net
