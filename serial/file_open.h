// Opening the files the program reads and writes, without ever waiting and
// without reading more than a file of its kind can hold.
//
// Opening a FIFO (a named pipe) waits until another program opens its other
// end, which may never happen, and reading a device such as /dev/zero never
// ends. So a file to read must be a regular file (a symbolic link is
// followed, to a regular file only), and a file to write must be a regular
// file (created when missing), or one of the program's own standard output
// and error, or the null device: names such as /dev/stdout, /dev/fd/2 and
// /dev/null, which are open already or never wait. Anything else (a FIFO, a
// directory, a device, a socket) is refused, saying what it is.
//
// What is checked is the file that was opened, not the name before opening:
// the name is opened without waiting (O_NONBLOCK), the open descriptor is
// examined (fstat), and only then are reads allowed to wait as usual. A
// FIFO or device put in a file's place between a look at the name and the
// opening is refused all the same.
//
// Every file the program reads goes through here: recordings, pack files,
// the settings, password and certificate files, captures, the help page.
//
// Elsewhere than on Linux and the BSDs (macOS is one of them, with the same
// calls): on Windows there are no FIFOs that wait when opened and no device
// names in the file system besides reserved names such as NUL and COM1,
// which the checks below see as "not a regular file" (_fstat reports them as
// character devices). The Windows branch opens with _open and checks with
// _fstat; paths are in the narrow (ANSI) encoding there, as std::fopen takes
// them.
#pragma once

#include <cstddef>
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

// Opens a regular file for reading as openFileForReading does, giving the
// descriptor itself (close-on-exec, reads wait as usual): for a reader that
// streams, or that hands it on (QFile::open(fd, ..., AutoCloseHandle)).
// -1, with `why` set, when it cannot be opened or is no regular file. The
// caller closes it.
int openRegularFile(const std::string& path, std::string& why);

// A whole file's bytes, or why there are none.
struct FileContents {
    std::string bytes;
    // Empty when the file was read whole; else why not: "it is a FIFO, not
    // a regular file", "it is a directory", "it is a device, not a regular
    // file", "it is larger than 1 MiB", or the system's text.
    std::string why;
    // There is no file at that name (nor one a symbolic link leads to).
    bool missing = false;
    // The file got shorter while it was read (what was there is given).
    bool shrank = false;

    bool ok() const { return why.empty(); }
};

// Reads a regular file whole, when it holds `maxBytes` bytes at most. A
// larger one is refused at once from its size, and one that grows past the
// bound while it is read when the byte after the bound arrives: no more than
// maxBytes + 1 bytes are ever held.
FileContents readRegularFile(const std::string& path, std::size_t maxBytes);

// The bound as a refusal says it: "64 KiB", "1 MiB", "1024 MiB", "100 bytes".
std::string byteCountText(std::size_t bytes);

}  // namespace cellwatch
