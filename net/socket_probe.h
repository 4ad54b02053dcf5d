// What the MQTT client asks of the library's socket beyond what the library
// tells: how much waits to be read, and how a connect in the background
// ended. On Unix and on Windows (Winsock); elsewhere nothing is known (0),
// and the client reads once per notice and takes a connect as made until the
// library finds otherwise.
#pragma once

#include <QString>

namespace cellwatch::net {

// Bytes waiting to be read on socket `fd`; 0 when none or not known.
int bytesWaiting(int fd);

// The error a non-blocking connect on `fd` ended with; 0 for none.
int connectError(int fd);

// The system's words for a socket error (errno, or a Winsock code).
QString socketErrorText(int error);

}  // namespace cellwatch::net
