#include "app/watch_notice_texts.h"

#include <QCoreApplication>

#include "app/broker_notice_texts.h"

namespace cellwatch {

QString watchNoticeText(const net::WatchNotice& n) {
    using Kind = net::WatchNotice::Kind;
    switch (n.kind) {
        case Kind::Offline:
            return QCoreApplication::translate("WatchNotice", "the charger went offline");
        case Kind::BeganAnew:
            return QCoreApplication::translate("WatchNotice",
                                               "the charger's connection began anew");
        case Kind::LineLost:
            return QCoreApplication::translate("WatchNotice",
                                               "the charger's line was lost at the publisher");
        case Kind::BrokerGone: {
            // A translation may leave out why.
            const QString text =
                n.wasConnected
                    ? QCoreApplication::translate("WatchNotice", "the broker went away: %1", "lost")
                    : QCoreApplication::translate("WatchNotice", "the broker went away: %1",
                                                  "unreachable");
            return text.contains(QLatin1String("%1")) ? text.arg(brokerFailureText(n.failure))
                                                      : text;
        }
        case Kind::NoStart:
            return QCoreApplication::translate("WatchNotice",
                                               "skipped a start message that is no capture header");
        case Kind::NoRecord:
            return QCoreApplication::translate(
                       "WatchNotice", "skipped a raw record of %1 bytes that is no capture record")
                .arg(n.count);
        case Kind::RecordNoDate:
            return QCoreApplication::translate("WatchNotice",
                                               "skipped a raw record whose time is no date");
        case Kind::NoResume:
            return QCoreApplication::translate("WatchNotice",
                                               "skipped a resume message that is none");
        case Kind::OtherKey:
            return QCoreApplication::translate(
                "WatchNotice",
                "the charger is there, but its messages are signed with another key than the "
                "one given");
        case Kind::NeedsKey:
            return QCoreApplication::translate(
                "WatchNotice",
                "the charger is there, but its messages are signed: give its key file to watch "
                "it");
        case Kind::StaleRun:
            //: %1 when they were sent, %2 minutes
            return QCoreApplication::translate(
                       "WatchNotice",
                       "the charger's newest signed messages were sent at %1, %2 min from this "
                       "computer's clock: an earlier run, not taken as live; waiting for a live "
                       "one")
                .arg(n.sent.isValid()
                         ? n.sent.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                         : QCoreApplication::translate("WatchNotice", "an unknown time"))
                .arg(n.count);
        case Kind::Unverified:
            //: %1 dropped since the last line, %2 the topics, %3 in all
            return QCoreApplication::translate(
                       "WatchNotice",
                       "dropped %1 message(s) under %2 that are not signed with the charger's key "
                       "or were published before (%3 in all)")
                .arg(QString::number(n.count), n.topic, QString::number(n.total));
    }
    return net::watchNoticeLine(n);
}

}  // namespace cellwatch
