// What the MQTT client tells the user of its broker connection, as a kind
// with its figures: a window words it in its language, the log and the
// journal keep the English line (brokerNoticeLine).
#pragma once

#include <QString>
#include <cstdint>

#include "net/broker_failure.h"

namespace cellwatch::net {

struct BrokerNotice {
    enum class Kind {
        Connected,    // "connected to the broker B" (again, or after failures)
        Silent,       // nothing acknowledged for `seconds`; `waiting` messages wait
        Lost,         // the connection was lost (`why`); tried again in `seconds`
        Unreachable,  // no connection could be made (`why`); tried again in `seconds`
        NotTaking,    // the broker takes no messages; `waiting` wait
        TakingAgain,  // it takes them again; `rawDropped` and `othersDropped` were dropped
        Oversized,    // `rawDropped` messages larger than `bytes` came (`othersDropped` in all)
    };
    Kind kind = Kind::Connected;
    QString broker{};  // as BrokerAddress::brokerText() tells it
    QString why{};     // the English line of `failure`
    int seconds = 0;
    int waiting = 0;
    std::uint64_t rawDropped = 0;
    std::uint64_t othersDropped = 0;
    std::int64_t bytes = 0;
    BrokerFailure failure{};  // Lost and Unreachable: why

    bool operator==(const BrokerNotice&) const = default;
};

// The English line of a notice.
QString brokerNoticeLine(const BrokerNotice& notice);

}  // namespace cellwatch::net
