#include "net/broker_notice.h"

namespace cellwatch::net {

QString brokerNoticeLine(const BrokerNotice& n) {
    switch (n.kind) {
        case BrokerNotice::Kind::Connected:
            return QStringLiteral("connected to the broker %1").arg(n.broker);
        case BrokerNotice::Kind::Silent:
            return QStringLiteral(
                       "the broker %1 has acknowledged nothing for %2 s (%3 messages wait); "
                       "what waits is bounded, the oldest raw records give way first")
                .arg(n.broker)
                .arg(n.seconds)
                .arg(n.waiting);
        case BrokerNotice::Kind::Lost:
        case BrokerNotice::Kind::Unreachable:
            return QStringLiteral("%1 the broker %2: %3; trying again in %4 s")
                .arg(n.kind == BrokerNotice::Kind::Lost ? QStringLiteral("lost")
                                                        : QStringLiteral("cannot reach"),
                     n.broker, n.why)
                .arg(n.seconds);
        case BrokerNotice::Kind::NotTaking:
            return QStringLiteral(
                       "the broker %1 is not taking messages (%2 wait for its "
                       "acknowledgement); the oldest raw records give way")
                .arg(n.broker)
                .arg(n.waiting);
        case BrokerNotice::Kind::TakingAgain:
            return QStringLiteral(
                       "the broker %1 takes messages again; %2 raw records%3 were "
                       "dropped meanwhile")
                .arg(n.broker)
                .arg(n.rawDropped)
                .arg(n.othersDropped > 0
                         ? QStringLiteral(" and %1 rows or events").arg(n.othersDropped)
                         : QString());
        case BrokerNotice::Kind::Oversized:
            return QStringLiteral(
                       "dropped %1 message(s) from the broker %2 larger than %3 bytes (%4 in all)")
                .arg(n.rawDropped)
                .arg(n.broker)
                .arg(n.bytes)
                .arg(n.othersDropped);
    }
    return {};
}

}  // namespace cellwatch::net
