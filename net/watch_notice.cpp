#include "net/watch_notice.h"

namespace cellwatch::net {

QString watchNoticeLine(const WatchNotice& n) {
    using Kind = WatchNotice::Kind;
    switch (n.kind) {
        case Kind::Offline:
            return QStringLiteral("the charger went offline");
        case Kind::BeganAnew:
            return QStringLiteral("the charger's connection began anew");
        case Kind::LineLost:
            return QStringLiteral("the charger's line was lost at the publisher");
        case Kind::BrokerGone:
            return QStringLiteral("the broker went away: ") + n.why;
        case Kind::NoStart:
            return QStringLiteral("skipped a start message that is no capture header");
        case Kind::NoRecord:
            return QStringLiteral("skipped a raw record of %1 bytes that is no capture record")
                .arg(n.count);
        case Kind::RecordNoDate:
            return QStringLiteral("skipped a raw record whose time is no date");
        case Kind::NoResume:
            return QStringLiteral("skipped a resume message that is none");
        case Kind::OtherKey:
            return QStringLiteral(
                "the charger is there, but its messages are signed with another key than the "
                "one given");
        case Kind::NeedsKey:
            return QStringLiteral(
                "the charger is there, but its messages are signed: give its key file to watch "
                "it");
        case Kind::StaleRun:
            return QStringLiteral(
                       "the charger's newest signed messages were sent at %1, %2 min from this "
                       "computer's clock: an earlier run, not taken as live; waiting for a live "
                       "one")
                .arg(n.sent.isValid() ? n.sent.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                      : QStringLiteral("an unknown time"))
                .arg(n.count);
        case Kind::Unverified:
            return QStringLiteral(
                       "dropped %1 message(s) under %2 that are not signed with the charger's key "
                       "or were published before (%3 in all)")
                .arg(n.count)
                .arg(n.topic)
                .arg(n.total);
    }
    return {};
}

}  // namespace cellwatch::net
