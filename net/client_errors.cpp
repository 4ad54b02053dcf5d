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

BrokerFailure libraryFailure(int rc) {
    using Kind = BrokerFailure::Kind;
    if (rc == MOSQ_ERR_ERRNO && errno == 0) {
        return {Kind::ConnectionFailed};  // not "Success"
    }
    if (rc == MOSQ_ERR_ERRNO) {
        return socketFailure(errno, QString::fromLocal8Bit(std::strerror(errno)));
    }
    QString text = QString::fromUtf8(mosquitto_strerror(rc));
    if (text.startsWith(QLatin1String("Unknown error"))) {
        // Codes this version of the library has no words for.
        switch (rc) {
            case MOSQ_ERR_KEEPALIVE:
                return {Kind::KeepAlive};
            case MOSQ_ERR_TIMEOUT:
                return {Kind::TimedOut};
            case MOSQ_ERR_ADMINISTRATIVE_ACTION:
                return {Kind::Administrator};
            default:
                return {Kind::LibraryCode, {}, rc};
        }
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return {Kind::Other, text};
}

QString libraryError(int rc) {
    return brokerFailureLine(libraryFailure(rc));
}

BrokerFailure socketFailure(int error, const QString& words) {
    return {error == ECONNREFUSED ? BrokerFailure::Kind::PortClosed : BrokerFailure::Kind::Other,
            words};
}

void* holdTls(mosquitto* mosq) {
    auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq));
    return ssl != nullptr && SSL_up_ref(ssl) == 1 ? ssl : nullptr;
}

void releaseTls(void* held) {
    SSL_free(static_cast<SSL*>(held));
}

// Why the broker's certificate was refused; none when it was not.
std::optional<BrokerFailure> verifyFailure(mosquitto* mosq, const QString& host,
                                           const QString& tlsLog, void* held) {
    using Kind = BrokerFailure::Kind;
    auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq));
    if (ssl == nullptr) {
        ssl = static_cast<SSL*>(held);
    }
    if (ssl == nullptr) {
        // Nothing of the connection is left but what the library logged.
        if (tlsLog.contains(QLatin1String(kHostNameRefused))) {
            return BrokerFailure{Kind::OtherHost, host};
        }
        return std::nullopt;
    }
    const long result = SSL_get_verify_result(ssl);
    switch (result) {
        case X509_V_OK:
            return std::nullopt;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return BrokerFailure{Kind::UnknownAuthority};
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return BrokerFailure{Kind::Expired};
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return BrokerFailure{Kind::NotYetValid};
        case X509_V_ERR_UNSPECIFIED:
            // The library checks the host name itself: it says so in its
            // log, and OpenSSL knows no more than that it was refused.
            if (!tlsLog.contains(QLatin1String(kHostNameRefused))) {
                break;
            }
            [[fallthrough]];
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return BrokerFailure{Kind::OtherHost, host};
        default:
            break;
    }
    return BrokerFailure{Kind::CertificateRefused,
                         QString::fromUtf8(X509_verify_cert_error_string(result))};
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

BrokerFailure connectionFailure(mosquitto* mosq, int rc, const QString& host, const QString& tlsLog,
                                void* held) {
    if (rc != MOSQ_ERR_TLS) {
        return libraryFailure(rc);
    }
    if (std::optional<BrokerFailure> refused = verifyFailure(mosq, host, tlsLog, held)) {
        return *refused;
    }
    return tlsLog.isEmpty() ? libraryFailure(rc)
                            : BrokerFailure{BrokerFailure::Kind::TlsFailed, tlsLog};
}

}  // namespace cellwatch::net
