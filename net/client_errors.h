// The broker connection's failures in words.
#pragma once

#include <QString>

struct mosquitto;

namespace cellwatch::net {

// The library's words for `rc`, without a closing full stop.
QString libraryError(int rc);

// Why the broker's certificate was refused on the connection of `mosq` to
// `host` (an unknown authority, another host name, expired), in words;
// empty when it was not refused or there is no TLS.
QString verifyFailure(mosquitto* mosq, const QString& host);

}  // namespace cellwatch::net
