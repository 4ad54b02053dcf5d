#include "serial/file_open.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <filesystem>
#include <system_error>
#endif

namespace cellwatch {

#ifndef _WIN32

namespace {

// What a file that is not a regular file is, as the reason it is refused.
std::string whatItIs(const struct stat& st) {
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
    return "it is not a regular file";
}

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

// Opens without waiting (O_NONBLOCK: a FIFO that appeared after the check
// fails at once instead), checks what was opened, then lets reads and
// writes wait as usual.
std::FILE* openChecked(const std::string& path, int flags, const char* mode, bool output,
                       std::string& why) {
    const auto allowed = [output](const struct stat& st) {
        return S_ISREG(st.st_mode) || (output && isStandardStreamOrNull(st));
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !allowed(st)) {
        why = whatItIs(st);
        return nullptr;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = errno == ENXIO ? "it is a FIFO, not a regular file" : std::strerror(errno);
        return nullptr;
    }
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    if (!allowed(st)) {
        why = whatItIs(st);
        ::close(fd);
        return nullptr;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        why = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        why = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

}  // namespace

std::FILE* openFileForReading(const std::string& path, std::string& why) {
    return openChecked(path, O_RDONLY, "rb", false, why);
}

std::FILE* openFileForWriting(const std::string& path, std::string& why) {
    return openChecked(path, O_WRONLY | O_CREAT | O_TRUNC, "wb", true, why);
}

#else

// Windows has no FIFOs that wait when opened; a directory is refused by name.
std::FILE* openFileForReading(const std::string& path, std::string& why) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        why = "it is a directory";
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
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
