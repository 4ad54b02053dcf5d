#include "tools/log/log_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace cellwatch::logger {
namespace {

std::array<int, 2> stopPipe{-1, -1};
std::array<int, 2> renewPipe{-1, -1};

void writeOneByte(int fd) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    errno = saved;
}

void onStopSignal(int) {
    writeOneByte(stopPipe[1]);
}

void onRenewSignal(int) {
    writeOneByte(renewPipe[1]);
}

}  // namespace

bool catchSignals() {
    if (::pipe2(stopPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0 ||
        ::pipe2(renewPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    // No SA_RESTART: a call that waits is to end when a signal comes, not
    // to wait on. Nothing the log does waits for long without also watching
    // the pipe (the output: LogSession::setStopSignal); files are opened
    // without waiting (file_open.h).
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction renewal {};
    renewal.sa_handler = onRenewSignal;
    sigemptyset(&renewal.sa_mask);
    renewal.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &renewal, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // A file-size limit makes a write fail (EFBIG), as a full disk does,
    // instead of killing the log mid-row.
    ::signal(SIGXFSZ, SIG_IGN);
    return true;
}

int stopSignalFd() {
    return stopPipe[0];
}

int renewSignalFd() {
    return renewPipe[0];
}

void drainSignal(int fd) {
    std::array<char, 16> drain{};
    while (::read(fd, drain.data(), drain.size()) > 0) {
    }
}

}  // namespace cellwatch::logger
