#include "serial/file_open.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <sys/stat.h>
#include <sys/types.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#else
#include <fcntl.h>
#include <io.h>

#include <filesystem>
#include <system_error>
#endif

namespace cellwatch {
namespace {

#ifndef _WIN32
using FileStatus = struct stat;
long readSome(int fd, char* into, std::size_t count) {
    return static_cast<long>(::read(fd, into, count));
}
void closeFile(int fd) {
    ::close(fd);
}
#else
using FileStatus = struct _stat64;
bool isRegular(const FileStatus& st) {
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
long readSome(int fd, char* into, std::size_t count) {
    return ::_read(fd, into, static_cast<unsigned>(std::min<std::size_t>(count, 1U << 30)));
}
void closeFile(int fd) {
    ::_close(fd);
}
#endif

// What a file that is not a regular file is, as the reason it is refused.
std::string whatItIs(const FileStatus& st) {
#ifndef _WIN32
    if (S_ISFIFO(st.st_mode)) {
        return "it is a FIFO, not a regular file";
    }
    if (S_ISDIR(st.st_mode)) {
        return "it is a directory";
    }
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        return "it is a device, not a regular file";
    }
    if (S_ISSOCK(st.st_mode)) {
        return "it is a socket, not a regular file";
    }
#else
    if ((st.st_mode & _S_IFMT) == _S_IFDIR) {
        return "it is a directory";
    }
    if ((st.st_mode & _S_IFMT) == _S_IFCHR) {
        return "it is a device, not a regular file";
    }
#endif
    return "it is not a regular file";
}

#ifndef _WIN32

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where an output may go besides a regular file: the program's standard
// output or error (open already), or the null device.
bool isStandardStreamOrNull(const struct stat& st) {
    struct stat other {};
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        if (::fstat(fd, &other) == 0 && sameFile(st, other)) {
            return true;
        }
    }
    return ::stat("/dev/null", &other) == 0 && sameFile(st, other);
}

// Opens without waiting (O_NONBLOCK: a FIFO opens at once, or fails at once
// for writing), checks what was opened, then lets reads and writes wait as
// usual. The look at the name before opening only spares a device the
// opening (which a serial port, say, answers by changing its lines); the
// check that counts is the one of the open descriptor. -1 with `why` set, and
// `missing` when there is no such file.
int openChecked(const std::string& path, int flags, bool output, std::string& why, FileStatus& st,
                bool* missing = nullptr) {
    const auto allowed = [output](const struct stat& s) {
        return S_ISREG(s.st_mode) || (output && isStandardStreamOrNull(s));
    };
    if (::stat(path.c_str(), &st) == 0 && !allowed(st)) {
        why = whatItIs(st);
        return -1;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        if (missing != nullptr) {
            *missing = errno == ENOENT;
        }
        why = errno == ENXIO ? "it is a FIFO, not a regular file" : std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!allowed(st)) {
        why = whatItIs(st);
        ::close(fd);
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        why = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

int openForReading(const std::string& path, std::string& why, FileStatus& st, bool* missing) {
    return openChecked(path, O_RDONLY, false, why, st, missing);
}

#else

// Windows has no FIFOs that wait when opened; a directory is refused by name
// (opening one fails with a less helpful text), a device such as NUL or COM1
// by what _fstat says of the open file.
int openForReading(const std::string& path, std::string& why, FileStatus& st, bool* missing) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        why = "it is a directory";
        return -1;
    }
    const int fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        if (missing != nullptr) {
            *missing = errno == ENOENT;
        }
        why = std::strerror(errno);
        return -1;
    }
    if (::_fstat64(fd, &st) != 0 || !isRegular(st)) {
        why = isRegular(st) ? std::strerror(errno) : whatItIs(st);
        ::_close(fd);
        return -1;
    }
    return fd;
}

#endif

}  // namespace

std::string byteCountText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    if (bytes >= kKiB * kKiB && bytes % (kKiB * kKiB) == 0) {
        return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
    }
    if (bytes >= kKiB && bytes % kKiB == 0) {
        return std::to_string(bytes / kKiB) + " KiB";
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

int openRegularFile(const std::string& path, std::string& why) {
    FileStatus st{};
    return openForReading(path, why, st, nullptr);
}

FileContents readRegularFile(const std::string& path, std::size_t maxBytes) {
    FileContents contents;
    FileStatus st{};
    const int fd = openForReading(path, contents.why, st, &contents.missing);
    if (fd < 0) {
        return contents;
    }
    const std::string tooLarge = "it is larger than " + byteCountText(maxBytes);
    const auto size = static_cast<std::uint64_t>(std::max<decltype(st.st_size)>(st.st_size, 0));
    if (size > maxBytes) {
        contents.why = tooLarge;
        closeFile(fd);
        return contents;
    }
    // Room for the size the file has and one byte more, which tells whether
    // it grew meanwhile (a journal being recorded does); past that it grows
    // in steps of an eighth, 64 KiB at least, to the bound's next byte at
    // most: a large file that grew by a row costs no second copy of itself.
    // A file whose size says nothing (those of /proc read as empty) is read
    // the same way.
    const std::size_t limit = maxBytes == static_cast<std::size_t>(-1) ? maxBytes : maxBytes + 1;
    std::string& bytes = contents.bytes;
    bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got == limit) {
                break;
            }
            constexpr std::size_t kStep = 64 * 1024;
            bytes.resize(std::min(limit, got + std::max(kStep, got / 8)));
        }
        const long n = readSome(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            contents.why = std::strerror(errno);
            break;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    closeFile(fd);
    if (contents.why.empty() && got > maxBytes) {
        contents.why = tooLarge;
    }
    if (!contents.why.empty()) {
        bytes.clear();
        bytes.shrink_to_fit();
        return contents;
    }
    bytes.resize(got);
    contents.shrank = got < size;
    return contents;
}

#ifndef _WIN32

std::FILE* openFileForReading(const std::string& path, std::string& why) {
    const int fd = openRegularFile(path, why);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

std::FILE* openFileForWriting(const std::string& path, std::string& why) {
    FileStatus st{};
    const int fd = openChecked(path, O_WRONLY | O_CREAT | O_TRUNC, true, why, st);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        why = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

#else

std::FILE* openFileForReading(const std::string& path, std::string& why) {
    const int fd = openRegularFile(path, why);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        ::_close(fd);
    }
    return file;
}

std::FILE* openFileForWriting(const std::string& path, std::string& why) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        why = std::strerror(errno);
    }
    return file;
}

#endif

}  // namespace cellwatch
