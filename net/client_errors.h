// The broker connection's failures in words, and its login and TLS set up.
#pragma once

#include <QString>
#include <optional>

#include "net/broker_failure.h"

struct mosquitto;

namespace cellwatch::net {

struct MqttOptions;

// The library's failure `rc` (MOSQ_ERR_ERRNO: the system's errno).
BrokerFailure libraryFailure(int rc);
// Its English words, without a closing full stop.
QString libraryError(int rc);
// A failure of the socket with the system's error `error`.
BrokerFailure socketFailure(int error, const QString& words);

// What the library logs when the certificate is for another host name.
inline constexpr const char* kHostNameRefused = "host name verification failed";

// The connection's TLS state with a reference of the caller's, so that the
// certificate's refusal can still be read after the library dropped it (it
// does so in the same call that fails, or not, as the timing has it);
// nullptr without TLS. Let go of it with releaseTls.
void* holdTls(mosquitto* mosq);
void releaseTls(void* held);

// Why the broker's certificate was refused on the connection of `mosq` to
// `host` (an unknown authority, another host name, expired); none when it
// was not refused or there is no TLS. `tlsLog` is what the
// library logged of TLS.
// `held` (from holdTls) is read when the library has dropped its own.
std::optional<BrokerFailure> verifyFailure(mosquitto* mosq, const QString& host,
                                           const QString& tlsLog = {}, void* held = nullptr);

// Why a call of the library on `mosq` failed with `rc`: for a TLS failure
// the certificate's refusal, else the TLS lines the library logged
// (`tlsLog`), else the library's failure.
BrokerFailure connectionFailure(mosquitto* mosq, int rc, const QString& host, const QString& tlsLog,
                                void* held = nullptr);

// Sets the user, the password and TLS of `options` on `mosq`. Throws
// MqttError when the certificate file cannot be used.
void setUpLogin(mosquitto* mosq, const MqttOptions& options);

}  // namespace cellwatch::net
