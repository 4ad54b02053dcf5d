#include "net/client_errors.h"

#include <mosquitto.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <cstring>

namespace cellwatch::net {

// The library's words for `rc`, without a closing full stop.
QString libraryError(int rc) {
    QString text = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                        : QString::fromUtf8(mosquitto_strerror(rc));
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

// Why the broker's certificate was refused, in words; empty when it was not.
QString verifyFailure(mosquitto* mosq, const QString& host) {
    auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(mosq));
    if (ssl == nullptr) {
        return {};
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
        case X509_V_ERR_HOSTNAME_MISMATCH:
            return QStringLiteral("the broker's certificate is for another host name than %1")
                .arg(host);
        default:
            return QStringLiteral("the broker's certificate was refused: ") +
                   QString::fromUtf8(X509_verify_cert_error_string(result));
    }
}

}  // namespace cellwatch::net
