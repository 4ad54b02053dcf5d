#include "app/broker_notice_texts.h"

#include <QCoreApplication>

namespace cellwatch {

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
                .arg(n.broker, n.why, seconds);
        case Kind::Unreachable:
            return QCoreApplication::translate(
                       "BrokerNotice", "cannot reach the broker %1: %2; trying again in %3 s")
                .arg(n.broker, n.why, seconds);
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
