// What the MQTT client tells of its broker connection, as a window shows it
// in the installed language.
#pragma once

#include <QString>

#include "net/broker_notice.h"

namespace cellwatch {

QString brokerNoticeText(const net::BrokerNotice& notice);
// Why a broker connection failed or was lost; another part's own words come
// after a lead in the language.
QString brokerFailureText(const net::BrokerFailure& failure);

}  // namespace cellwatch
