#include "tools/log/log_signals.h"

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace cellwatch::logger {
namespace {

#ifdef Q_OS_UNIX

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

int readEnd(LogSignal which) {
    return which == LogSignal::Stop ? stopPipe[0] : renewPipe[0];
}

// Reads all that waits in `fd` (a read end above).
void drain(int fd) {
    std::array<char, 16> bytes{};
    while (::read(fd, bytes.data(), bytes.size()) > 0) {
    }
}

#else

std::atomic<bool> stopCame{false};

void onStopSignal(int sig) {
    stopCame = true;
    std::signal(sig, onStopSignal);  // the handler is reset on each signal here
}

#endif

}  // namespace

bool catchSignals() {
#ifdef Q_OS_UNIX
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
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit makes a write fail (EFBIG), as a full disk does,
    // instead of killing the log mid-row.
    std::signal(SIGXFSZ, SIG_IGN);
#else
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#ifdef SIGBREAK
    std::signal(SIGBREAK, onStopSignal);
#endif
#endif
    return true;
}

int stopSignalFd() {
#ifdef Q_OS_UNIX
    return stopPipe[0];
#else
    return -1;
#endif
}

SignalWatch::SignalWatch(LogSignal which, std::function<void()> handler, QObject* parent)
    : QObject(parent), which_(which), handler_(std::move(handler)) {
#ifdef Q_OS_UNIX
    if (const int fd = readEnd(which_); fd >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalWatch::came);
    }
#else
    if (which_ == LogSignal::Stop) {  // no SIGUSR1 here
        poll_.setInterval(200);
        connect(&poll_, &QTimer::timeout, this, &SignalWatch::came);
        poll_.start();
    }
#endif
}

SignalWatch::~SignalWatch() = default;

void SignalWatch::came() {
#ifdef Q_OS_UNIX
    drain(readEnd(which_));
#else
    if (!stopCame.exchange(false)) {
        return;
    }
#endif
    handler_();
}

}  // namespace cellwatch::logger
