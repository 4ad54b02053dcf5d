#include "app/broker_notice_texts.h"

#include <QCoreApplication>

namespace cellwatch {

QString brokerFailureText(const net::BrokerFailure& f) {
    using Kind = net::BrokerFailure::Kind;
    switch (f.kind) {
        case Kind::Other:
            //: %1 the system's or the MQTT library's own words
            return QCoreApplication::translate("BrokerFailure", "the connection failed: %1")
                .arg(f.detail);
        case Kind::ConnectionFailed:
            return QCoreApplication::translate("BrokerFailure", "the connection failed");
        case Kind::PortClosed:
            return QCoreApplication::translate(
                "BrokerFailure",
                "nothing takes connections at the broker's port (is the broker running?)");
        case Kind::HostNotFound:
            //: %1 the name resolver's own words
            return QCoreApplication::translate("BrokerFailure", "cannot find the host: %1")
                .arg(f.detail);
        case Kind::KeepAlive:
            return QCoreApplication::translate("BrokerFailure", "no answer to the keep-alive");
        case Kind::TimedOut:
            return QCoreApplication::translate("BrokerFailure", "timed out");
        case Kind::Administrator:
            return QCoreApplication::translate("BrokerFailure",
                                               "disconnected by the broker's administrator");
        case Kind::LibraryCode:
            return QCoreApplication::translate("BrokerFailure", "error %1 of the MQTT library")
                .arg(f.number);
        case Kind::Refused:
            switch (f.number) {
                case 1:
                    return QCoreApplication::translate(
                        "BrokerFailure",
                        "the broker refused the connection: it does not speak this "
                        "version of MQTT");
                case 2:
                    return QCoreApplication::translate(
                        "BrokerFailure",
                        "the broker refused the connection: it does not take this "
                        "client's identifier");
                case 3:
                    return QCoreApplication::translate(
                        "BrokerFailure", "the broker refused the connection: it is unavailable");
                case 4:
                    return QCoreApplication::translate(
                        "BrokerFailure",
                        "the broker refused the connection: wrong user name or password");
                case 5:
                    return QCoreApplication::translate(
                        "BrokerFailure", "the broker refused the connection: not authorised");
                default:
                    //: %1 the MQTT library's own words
                    return QCoreApplication::translate("BrokerFailure",
                                                       "the broker refused the connection: %1")
                        .arg(f.detail);
            }
        case Kind::NoAnswer:
            return QCoreApplication::translate("BrokerFailure", "no answer within %1 s")
                .arg(f.seconds);
        case Kind::AcceptedNoAnswer:
            //: %1 the broker ("127.0.0.1:1883"), %2 seconds
            return QCoreApplication::translate(
                       "BrokerFailure",
                       "the broker at %1 accepted the connection but did not answer within %2 s")
                .arg(f.detail, QString::number(f.seconds));
        case Kind::Disconnected:
            return QCoreApplication::translate("BrokerFailure", "disconnected");
        case Kind::NotReading:
            return QCoreApplication::translate("BrokerFailure",
                                               "the broker is not reading (%1 kB waiting)")
                .arg(f.kilobytes);
        case Kind::StoppedAnswering:
            return f.kilobytes > 0
                       ? QCoreApplication::translate(
                             "BrokerFailure",
                             "the broker stopped answering (nothing from it for %1 s; %2 kB wait "
                             "for its acknowledgement)")
                             .arg(QString::number(f.seconds), QString::number(f.kilobytes))
                       : QCoreApplication::translate(
                             "BrokerFailure",
                             "the broker stopped answering (nothing from it for %1 s)")
                             .arg(f.seconds);
        case Kind::UnknownAuthority:
            return QCoreApplication::translate(
                "BrokerFailure",
                "the broker's certificate is signed by an unknown authority (not one "
                "trusted here)");
        case Kind::Expired:
            return QCoreApplication::translate("BrokerFailure",
                                               "the broker's certificate has expired");
        case Kind::NotYetValid:
            return QCoreApplication::translate("BrokerFailure",
                                               "the broker's certificate is not valid yet");
        case Kind::OtherHost:
            return QCoreApplication::translate(
                       "BrokerFailure", "the broker's certificate is for another host name than %1")
                .arg(f.detail);
        case Kind::CertificateRefused:
            //: %1 the TLS library's own words
            return QCoreApplication::translate("BrokerFailure",
                                               "the broker's certificate was refused: %1")
                .arg(f.detail);
        case Kind::TlsFailed:
            //: %1 the TLS library's own words
            return QCoreApplication::translate("BrokerFailure", "TLS failed: %1").arg(f.detail);
    }
    return QCoreApplication::translate("BrokerFailure", "the connection failed: %1")
        .arg(net::brokerFailureLine(f));
}

QString brokerNoticeText(const net::BrokerNotice& n) {
    using Kind = net::BrokerNotice::Kind;
    const QString seconds = QString::number(n.seconds);
    const QString waiting = QString::number(n.waiting);
    switch (n.kind) {
        case Kind::Connected:
            return QCoreApplication::translate("BrokerNotice", "connected to the broker %1")
                .arg(n.broker);
        case Kind::Silent:
            return QCoreApplication::translate(
                       "BrokerNotice",
                       "the broker %1 has acknowledged nothing for %2 s (%3 messages wait); what "
                       "waits is bounded, the oldest raw records give way first")
                .arg(n.broker, seconds, waiting);
        case Kind::Lost:
            return QCoreApplication::translate("BrokerNotice",
                                               "lost the broker %1: %2; trying again in %3 s")
                .arg(n.broker, brokerFailureText(n.failure), seconds);
        case Kind::Unreachable:
            return QCoreApplication::translate(
                       "BrokerNotice", "cannot reach the broker %1: %2; trying again in %3 s")
                .arg(n.broker, brokerFailureText(n.failure), seconds);
        case Kind::NotTaking:
            return QCoreApplication::translate(
                       "BrokerNotice",
                       "the broker %1 is not taking messages (%2 wait for its acknowledgement); "
                       "the oldest raw records give way")
                .arg(n.broker, waiting);
        case Kind::TakingAgain:
            if (n.othersDropped > 0) {
                return QCoreApplication::translate(
                           "BrokerNotice",
                           "the broker %1 takes messages again; %2 raw records and %3 rows or "
                           "events were dropped meanwhile")
                    .arg(n.broker, QString::number(n.rawDropped), QString::number(n.othersDropped));
            }
            return QCoreApplication::translate(
                       "BrokerNotice",
                       "the broker %1 takes messages again; %2 raw records were dropped meanwhile")
                .arg(n.broker, QString::number(n.rawDropped));
        case Kind::Oversized:
            return QCoreApplication::translate(
                       "BrokerNotice",
                       "dropped %1 message(s) from the broker %2 larger than %3 bytes (%4 in all)")
                .arg(QString::number(n.rawDropped), n.broker, QString::number(n.bytes),
                     QString::number(n.othersDropped));
    }
    return net::brokerNoticeLine(n);
}

}  // namespace cellwatch
