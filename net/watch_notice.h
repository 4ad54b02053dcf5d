// What a watch of a charger on a broker tells of the charger's messages, as
// a kind with its figures: a window words it in its language, the log tools
// keep the English line (watchNoticeLine).
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "net/broker_failure.h"

namespace cellwatch::net {

struct WatchNotice {
    enum class Kind {
        // The link is lost: the watch ends.
        Offline,     // the charger went offline
        BeganAnew,   // the charger's connection began anew
        LineLost,    // the charger's line was lost at the publisher
        BrokerGone,  // the broker went away (`failure`, `why` its English); `wasConnected` to it
        // Skipped messages: the watch goes on.
        NoStart,       // a start message that is no capture header
        NoRecord,      // a raw record of `count` bytes that is no capture record
        RecordNoDate,  // a raw record whose time is no date
        NoResume,      // a resume message that is none
        OtherKey,      // signed with another key than the one given
        NeedsKey,      // signed, and no key was given
        StaleRun,      // newest signed messages `sent` (invalid: unknown), `count` min off
        Unverified,    // `count` dropped under `topic` since the last (`total` in all)
    };
    Kind kind = Kind::Offline;
    QString why{};
    QString topic{};
    QDateTime sent{};
    std::int64_t count = 0;
    std::uint64_t total = 0;
    bool wasConnected = false;
    BrokerFailure failure{};

    // Whether the notice is the link lost.
    bool endsWatch() const { return kind <= Kind::BrokerGone; }
    bool operator==(const WatchNotice&) const = default;
};

// The English line of a notice.
QString watchNoticeLine(const WatchNotice& notice);

}  // namespace cellwatch::net
