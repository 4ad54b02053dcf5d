// cellwatch-log: the live recording of a charger without a window.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "protocol/tick_clock.h"
#include "readout/recording.h"
#include "tools/log/command_line.h"
#include "tools/log/log_session.h"

namespace {

using namespace cellwatch;
using namespace cellwatch::logger;

// Ctrl-C and SIGTERM reach the event loop through a pipe: the handler only
// writes one byte.
std::array<int, 2> signalPipe{-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool catchSignals() {
    if (::pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away makes writes fail with EPIPE, reported as such.
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// One line on standard error.
void complain(const QString& text) {
    QString line = text;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "cellwatch-log: %s\n", line.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    LogOptions options;
    try {
        options = parseArguments(arguments);
    } catch (const UsageError& e) {
        complain(QString::fromUtf8(e.what()) + QStringLiteral(" (try --help)"));
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return kExitOk;
    }

    QCoreApplication app(argc, argv);
    if (!catchSignals()) {
        complain(QStringLiteral("cannot catch signals: ") +
                 QString::fromLocal8Bit(std::strerror(errno)));
        return kExitFailure;
    }

    SystemTickClock ticks;
    SystemWallClock wall;
    LogSession session(ticks, wall);
    try {
        session.openPort(options.port);
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return kExitFailure;
    }

    // The file is replaced only once the port is open.
    std::FILE* out = stdout;
    std::FILE* file = nullptr;
    if (!options.out.isEmpty()) {
        file = std::fopen(QFile::encodeName(options.out).constData(), "w");
        if (file == nullptr) {
            complain(QStringLiteral("cannot write %1: %2")
                         .arg(options.out, QString::fromLocal8Bit(std::strerror(errno))));
            return kExitFailure;
        }
        out = file;
    }

    QSocketNotifier interrupts(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupts, &QSocketNotifier::activated, &app, [&] {
        std::array<char, 16> drain{};
        while (::read(signalPipe[0], drain.data(), drain.size()) > 0) {
        }
        session.stop();
        app.exit(kExitOk);
    });
    QObject::connect(&session, &LogSession::finished, &app, [&](int status) {
        complain(session.failure());
        app.exit(status);
    });

    int status = kExitFailure;
    if (session.start(out)) {
        status = app.exec();
    } else {
        complain(session.failure());
    }
    session.stop();
    if (file != nullptr && std::fclose(file) != 0 && status == kExitOk) {
        complain(QStringLiteral("cannot write %1: %2")
                     .arg(options.out, QString::fromLocal8Bit(std::strerror(errno))));
        status = kExitFailure;
    }
    return status;
}
