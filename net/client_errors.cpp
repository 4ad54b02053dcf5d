#include "net/client_errors.h"

#include <mosquitto.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <string>

#include "net/mqtt_client.h"
#include "serial/file_open.h"

namespace cellwatch::net {

// The library's words for `rc`, without a closing full stop.
QString libraryError(int rc) {
    if (rc == MOSQ_ERR_ERRNO && errno == 0) {
        return QStringLiteral("the connection failed");  // not "Success"
    }
    QString text = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                        : QString::fromUtf8(mosquitto_strerror(rc));
    if (rc != MOSQ_ERR_ERRNO && text.startsWith(QLatin1String("Unknown error"))) {
        // Codes this version of the library has no words for.
        switch (rc) {
            case MOSQ_ERR_KEEPALIVE:
                return QStringLiteral("no answer to the keep-alive");
            case MOSQ_ERR_TIMEOUT:
                return QStringLiteral("timed out");
            case MOSQ_ERR_ADMINISTRATIVE_ACTION:
                return QStringLiteral("disconnected by the broker's administrator");
            default:
                return QStringLiteral("error %1 of the MQTT library").arg(rc);
        }
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

void* holdTls(mosquitto* mosq) {
    auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq));
    return ssl != nullptr && SSL_up_ref(ssl) == 1 ? ssl : nullptr;
}

void releaseTls(void* held) {
    SSL_free(static_cast<SSL*>(held));
}

// Why the broker's certificate was refused, in words; empty when it was not.
QString verifyFailure(mosquitto* mosq, const QString& host, const QString& tlsLog, void* held) {
    auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq));
    if (ssl == nullptr) {
        ssl = static_cast<SSL*>(held);
    }
    if (ssl == nullptr) {
        // Nothing of the connection is left but what the library logged.
        return tlsLog.contains(QLatin1String(kHostNameRefused))
                   ? QStringLiteral("the broker's certificate is for another host name than %1")
                         .arg(host)
                   : QString();
    }
    const long result = SSL_get_verify_result(ssl);
    switch (result) {
        case X509_V_OK:
            return {};
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return QStringLiteral(
                "the broker's certificate is signed by an unknown authority "
                "(not one trusted here; see --ca)");
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return QStringLiteral("the broker's certificate has expired");
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return QStringLiteral("the broker's certificate is not valid yet");
        case X509_V_ERR_UNSPECIFIED:
            // The library checks the host name itself: it says so in its
            // log, and OpenSSL knows no more than that it was refused.
            if (!tlsLog.contains(QLatin1String(kHostNameRefused))) {
                break;
            }
            [[fallthrough]];
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return QStringLiteral("the broker's certificate is for another host name than %1")
                .arg(host);
        default:
            break;
    }
    return QStringLiteral("the broker's certificate was refused: ") +
           QString::fromUtf8(X509_verify_cert_error_string(result));
}

void setUpLogin(mosquitto* mosq, const MqttOptions& options) {
    const BrokerAddress& a = options.address;
    if (!a.user.isEmpty()) {
        const QByteArray user = a.user.toUtf8();
        const QByteArray password = options.password.toUtf8();
        mosquitto_username_pw_set(mosq, user.constData(),
                                  options.password.isEmpty() ? nullptr : password.constData());
    }
    if (a.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (!options.caFile.isEmpty()) {
            // The library opens the file itself (with fopen, which would wait
            // on a FIFO): it is looked at through the same opener first, so
            // that a FIFO, a device or a directory is refused at once. What
            // could still slip in is a FIFO put in its place in the moment
            // between the two openings.
            std::string why;
            const int fd = openRegularFile(QFile::encodeName(options.caFile).toStdString(), why);
            if (fd < 0) {
                throw MqttError(QStringLiteral("cannot read the certificate file %1: %2")
                                    .arg(options.caFile, QString::fromStdString(why))
                                    .toStdString());
            }
            QFile opened;  // closes it, as the system has it
            opened.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
            checkCertificateFile(options.caFile);
            rc = mosquitto_tls_set(mosq, QFile::encodeName(options.caFile).constData(), nullptr,
                                   nullptr, nullptr, nullptr);
        } else {
            mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            rc = mosquitto_tls_set(mosq, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            throw MqttError("cannot set up TLS: " + libraryError(rc).toStdString());
        }
    }
}

QString failureText(mosquitto* mosq, int rc, const QString& host, const QString& tlsLog,
                    void* held) {
    if (rc != MOSQ_ERR_TLS) {
        return libraryError(rc);
    }
    QString why = verifyFailure(mosq, host, tlsLog, held);
    if (why.isEmpty() && !tlsLog.isEmpty()) {
        why = QStringLiteral("TLS failed: ") + tlsLog;
    }
    return why.isEmpty() ? libraryError(rc) : why;
}

}  // namespace cellwatch::net
