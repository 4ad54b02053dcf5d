// The broker connection's failures in words, and its login and TLS set up.
#pragma once

#include <QString>

struct mosquitto;

namespace cellwatch::net {

struct MqttOptions;

// The library's words for `rc`, without a closing full stop.
QString libraryError(int rc);

// What the library logs when the certificate is for another host name.
inline constexpr const char* kHostNameRefused = "host name verification failed";

// Why the broker's certificate was refused on the connection of `mosq` to
// `host` (an unknown authority, another host name, expired), in words;
// empty when it was not refused or there is no TLS. `tlsLog` is what the
// library logged of TLS.
QString verifyFailure(mosquitto* mosq, const QString& host, const QString& tlsLog = {});

// Why a call of the library on `mosq` failed with `rc`: for a TLS failure
// the certificate's refusal, else the TLS lines the library logged
// (`tlsLog`), else the library's words.
QString failureText(mosquitto* mosq, int rc, const QString& host, const QString& tlsLog);

// Sets the user, the password and TLS of `options` on `mosq`. Throws
// MqttError when the certificate file cannot be used.
void setUpLogin(mosquitto* mosq, const MqttOptions& options);

}  // namespace cellwatch::net
