// The files a broker connection reads its secrets and its authority from,
// and what is worth a warning about how a connection is set up.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace cellwatch::net {

struct MqttOptions;

// Cannot set up a client (bad CA file, out of memory); what() is one line.
class MqttError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the password from the first line of `path`. Throws MqttError naming
// the file (never the password) when it cannot be read or is empty.
QString readPasswordFile(const QString& path);

// Reads a charger's shared key: the first line of `path`, at least 16
// bytes (e.g. made with `head -c 32 /dev/urandom | base64 > bench1.key`).
// Throws MqttError naming the file (never the key).
QByteArray readKeyFile(const QString& path);

// A warning, as ssh gives one, when the secret file `path` (`what`: "the
// password file", "the key file") can be read or written by its group or
// by others; empty when not (or when it cannot be looked at).
QString secretFileWarning(const QString& what, const QString& path);
// The mode ("0644") of the secret file `path` when its group or others may
// read or write it; empty when not (or when it cannot be looked at).
QString looseSecretFileMode(const QString& path);

// Checks that `path` holds at least one certificate in PEM: a regular file,
// read within a bound. Throws MqttError saying what it is otherwise (a
// folder, a device, no certificate).
void checkCertificateFile(const QString& path);

// What the user should hear once about `options` before connecting: a
// password sent without TLS.
QStringList connectionWarnings(const MqttOptions& options);

}  // namespace cellwatch::net
