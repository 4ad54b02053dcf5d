// What the MQTT client tells of its broker connection, as a window shows it
// in the installed language.
#pragma once

#include <QString>

#include "net/broker_notice.h"

namespace cellwatch {

QString brokerNoticeText(const net::BrokerNotice& notice);

}  // namespace cellwatch
