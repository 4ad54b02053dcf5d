// Where rows go in a time-series database, and how the writer signs in.
//
// A write address is one of
//   http[s]://HOST[:PORT]/write?db=NAME                    (1.x)
//   http[s]://HOST[:PORT]/api/v2/write?org=O&bucket=B      (2.x)
//   http[s]://HOST[:PORT]/influx/write?db=NAME             (and /influx/api/v2/write)
// the last form a server that takes the protocol under a prefix. The
// address's query is kept as given; the time precision is set to
// nanoseconds. A user name or password in the address is refused: secrets
// come from a file.
//
// The sign-in file's first line is either a token (sent as
// "Authorization: Token TOKEN") or USER:PASSWORD (sent as basic
// authentication).
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <stdexcept>

namespace cellwatch::net {

class InfluxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The request address of `text` (see above). Throws InfluxError saying
// what is wrong in one line.
QUrl parseInfluxAddress(const QString& text);
// The address as shown to the user: scheme, host, port and path.
QString influxAddressText(const QUrl& url);

// The Authorization header's value of the sign-in file `path`. Throws
// InfluxError naming the file (never what it holds).
QByteArray readInfluxAuthFile(const QString& path);

}  // namespace cellwatch::net
