#include "net/broker_failure.h"

namespace cellwatch::net {

QString brokerFailureLine(const BrokerFailure& f) {
    using Kind = BrokerFailure::Kind;
    switch (f.kind) {
        case Kind::Other:
        case Kind::PortClosed:
        case Kind::Refused:
            return f.detail;
        case Kind::ConnectionFailed:
            return QStringLiteral("the connection failed");
        case Kind::HostNotFound:
            return QStringLiteral("cannot find the host: ") + f.detail;
        case Kind::KeepAlive:
            return QStringLiteral("no answer to the keep-alive");
        case Kind::TimedOut:
            return QStringLiteral("timed out");
        case Kind::Administrator:
            return QStringLiteral("disconnected by the broker's administrator");
        case Kind::LibraryCode:
            return QStringLiteral("error %1 of the MQTT library").arg(f.number);
        case Kind::NoAnswer:
            return QStringLiteral("no answer within %1 s").arg(f.seconds);
        case Kind::AcceptedNoAnswer:
            return QStringLiteral(
                       "the broker at %1 accepted the connection but did not answer "
                       "within %2 s")
                .arg(f.detail, QString::number(f.seconds));
        case Kind::Disconnected:
            return QStringLiteral("disconnected");
        case Kind::NotReading:
            return QStringLiteral("the broker is not reading (%1 kB waiting)").arg(f.kilobytes);
        case Kind::StoppedAnswering:
            return f.kilobytes > 0
                       ? QStringLiteral(
                             "the broker stopped answering (nothing from it for %1 s; "
                             "%2 kB wait for its acknowledgement)")
                             .arg(QString::number(f.seconds), QString::number(f.kilobytes))
                       : QStringLiteral("the broker stopped answering (nothing from it for %1 s)")
                             .arg(f.seconds);
        case Kind::UnknownAuthority:
            return QStringLiteral(
                "the broker's certificate is signed by an unknown authority "
                "(not one trusted here; see --ca)");
        case Kind::Expired:
            return QStringLiteral("the broker's certificate has expired");
        case Kind::NotYetValid:
            return QStringLiteral("the broker's certificate is not valid yet");
        case Kind::OtherHost:
            return QStringLiteral("the broker's certificate is for another host name than %1")
                .arg(f.detail);
        case Kind::CertificateRefused:
            return QStringLiteral("the broker's certificate was refused: ") + f.detail;
        case Kind::TlsFailed:
            return QStringLiteral("TLS failed: ") + f.detail;
    }
    return f.detail;
}

}  // namespace cellwatch::net
