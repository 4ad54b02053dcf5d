// Ctrl-C and SIGTERM (stop) and SIGUSR1 (a new address for the page) reach
// the log's event loop. On Unix through pipes of their own: the handlers
// only write one byte, the loop watches the pipes' read ends (and a line
// that waits for its output watches the stop pipe too). Elsewhere (Windows:
// Ctrl-C, Ctrl-Break and SIGTERM; no SIGUSR1) the handlers set a flag that
// the loop looks at five times a second.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace cellwatch::logger {

// Installs the handlers and ignores SIGPIPE (a reader that goes away makes
// writes fail with EPIPE, reported as such) and SIGXFSZ (a file-size limit
// makes a write fail, as a full disk does). False when the pipes cannot be
// made.
bool catchSignals();

enum class LogSignal { Stop, Renew };

// Calls `handler` on the event loop each time `which` came.
class SignalWatch final : public QObject {
public:
    SignalWatch(LogSignal which, std::function<void()> handler, QObject* parent = nullptr);
    ~SignalWatch() override;

private:
    void came();

    LogSignal which_;
    std::function<void()> handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer poll_;
};

// The stop pipe's read end, readable once the stop signal came (until a
// SignalWatch of it drained it); -1 where there is none (not Unix).
int stopSignalFd();

}  // namespace cellwatch::logger
