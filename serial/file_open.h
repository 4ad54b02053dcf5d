// Opening the files that captures and logs are read from and written to,
// without ever waiting.
//
// Opening a FIFO (a named pipe) waits until another program opens its other
// end, which may never happen. So a file to read must be a regular file, and
// a file to write must be a regular file (created when missing), or one of
// the program's own standard output and error, or the null device: names
// such as /dev/stdout, /dev/fd/2 and /dev/null, which are open already or
// never wait. Anything else (a FIFO, a directory, a device, a socket) is
// refused before it is opened, saying what it is.
#pragma once

#include <cstdio>
#include <string>

namespace cellwatch {

// Opens `path` (native encoding) for reading in binary mode. Nothing, with
// `why` set to a short reason ("it is a FIFO, not a regular file", or the
// system's text), when it cannot be opened or is no regular file.
std::FILE* openFileForReading(const std::string& path, std::string& why);

// Creates `path` or empties it, for writing in binary mode. Nothing, with
// `why` set, when it cannot be created or is neither a regular file nor a
// standard stream nor the null device.
std::FILE* openFileForWriting(const std::string& path, std::string& why);

}  // namespace cellwatch
