#include "tools/log/log_session.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <poll.h>
#include <stdio.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

#include <QStringList>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "analysis/range_stats.h"
#include "readout/journal.h"
#include "serial/port_scan.h"
#include "session/link_source.h"
#include "session/replay_source.h"
#include "session/serial_source.h"
#include "session/watch_source.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {

LogSession::LogSession(const TickClock& ticks, const WallClock& wall, QObject* parent)
    : QObject(parent), session_({table_, ticks, wall}) {
    connect(&session_, &session::LiveSession::rowAppended, this, &LogSession::writeRow);
    connect(&session_, &session::LiveSession::idleShown, this,
            [this] { writeLine(QStringLiteral("# idle")); });
    connect(&session_, &session::LiveSession::restarted, this,
            [this] { writeLine(QStringLiteral("# restart")); });
    connect(&session_, &session::LiveSession::alarmRaised, this, &LogSession::writeAlarm);
    // The `lost` alarm's line came first: "# lost" is the last line.
    connect(&session_, &session::LiveSession::lost, this, [this](const QString& why) {
        writeLine(QStringLiteral("# lost"));
        finish(kExitLost, portText_.isEmpty()
                              ? why
                              : QStringLiteral("lost the port %1: %2").arg(portText_, why));
    });
    connect(&session_, &session::LiveSession::ended, this, [this] { finish(kExitOk, QString()); });
    connect(&session_, &session::LiveSession::failed, this,
            [this](const QString& why) { finish(kExitFailure, why); });
    connect(&session_, &session::LiveSession::captureFailed, this,
            [this](const QString& why) { finish(kExitFailure, why); });
    connect(&session_, &session::LiveSession::notice, this, &LogSession::notice);
}

LogSession::~LogSession() = default;

void LogSession::journalTo(std::unique_ptr<Journal> journal) {
    journal_ = std::move(journal);
    session_.setJournal(journal_.get());
}

void LogSession::openPort(const QString& portText) {
    portText_ = portText;
    std::unique_ptr<session::SessionSource> source;
    try {
        // An emulated charger's port says which charger it plays.
        if (const std::string played = session::chargerOfPort(portText);
            !played.empty() && !session_.setCharger(played)) {
            throw std::runtime_error("no charger " + played + " (" + driverIdsText() + ")");
        }
        const DriverEntry* driver = findDriver(session_.driver().id());
        source = session::makePortSource(session_.sourceEvents(), portText, *driver);
        source->open();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(portText.toStdString() + ": " + e.what());
    }
    pending_ = std::move(source);
}

session::WatchSource& LogSession::watch(const net::MqttOptions& options) {
    auto source = std::make_unique<session::WatchSource>(session_.sourceEvents(), options,
                                                         session_.ownTicks());
    session::WatchSource& watched = *source;
    pending_ = std::move(source);
    return watched;
}

session::ReplaySource& LogSession::replay(const QString& file, double speed) {
    auto source = std::make_unique<session::ReplaySource>(session_.sourceEvents(), file, speed);
    session::ReplaySource& replayed = *source;
    pending_ = std::move(source);
    return replayed;
}

bool LogSession::start(std::FILE* out) {
    QStringList headers;
    for (int column = 1; column < kTableColumnCount; ++column) {
        headers << RowStore::headerText(column);
    }
    failure_.clear();
    rowsWritten_ = 0;
    out_ = out;
    if (!put(headers.join(u'\t'))) {
        out_ = nullptr;
        return false;
    }
    if (pending_) {
        try {
            session_.open(std::move(pending_));
        } catch (const std::exception& e) {
            failure_ = QString::fromLocal8Bit(e.what());
            out_ = nullptr;
            return false;
        }
    }
    return true;
}

void LogSession::stop() {
    session_.stop();
    if (out_ != nullptr) {
        std::fflush(out_);
        out_ = nullptr;
    }
}

void LogSession::tagJournal(int row) {
    if (journal_ == nullptr || pack_.isEmpty() || row < 1 ||
        !journalPack_.pending(journal_->path())) {
        return;
    }
    TableRangeRows rows(table_);
    const auto index = static_cast<std::size_t>(row - 1);
    const int cells = index < rows.rowCount() ? session::cellsInUse(rows.numbers(index).cells) : 0;
    const std::optional<session::JournalPack::Tagged> told =
        journalPack_.tag(journal_->path(), pack_, cells);
    if (told && told->mismatch) {
        emit notice(cellCountMismatchText(pack_, cells, false));
    }
    if (told && !told->writeError.isEmpty()) {
        emit notice(QStringLiteral("the pack file could not be written: %1").arg(told->writeError));
    }
}

void LogSession::writeRow(int row) {
    tagJournal(row);
    if (out_ == nullptr) {
        return;
    }
    QString line;
    line.reserve(160);
    for (int column = 1; column < kTableColumnCount; ++column) {
        if (column > 1) {
            line += u'\t';
        }
        line += table_.gridText(row, column);
    }
    writeLine(line);
    if (out_ != nullptr) {
        ++rowsWritten_;
    }
}

void LogSession::writeAlarm(const alarms::Alarm& alarm) {
    if (out_ == nullptr) {
        return;
    }
    const QString kind = QString::fromUtf8(alarms::kindName(alarm.kind));
    const QString text = QString::fromStdString(alarm.text);
    writeLine(QStringLiteral("# alarm %1: %2").arg(kind, text));
    if (out_ != nullptr && alarmHandler_) {
        alarmHandler_(alarm);
    }
}

namespace {

// Cuts the file of `out` to `size` bytes.
bool cutTo(std::FILE* out, long size) {
#if defined(Q_OS_UNIX)
    return ::ftruncate(::fileno(out), size) == 0;
#elif defined(Q_OS_WIN)
    return ::_chsize_s(::_fileno(out), size) == 0;
#else
    Q_UNUSED(out);
    Q_UNUSED(size);
    return false;  // not on this system: the log ends with the failure
#endif
}

}  // namespace

bool LogSession::outputReady() const {
#ifndef Q_OS_UNIX
    return true;  // no stop pipe (log_signals.h): lines are written as they come
#else
    const int fd = stopFd_ < 0 ? -1 : ::fileno(out_);
    if (fd < 0) {
        return true;
    }
    std::array<pollfd, 2> wait{{{fd, POLLOUT, 0}, {stopFd_, POLLIN, 0}}};
    for (;;) {
        if (::poll(wait.data(), wait.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return true;  // the write says what is wrong
        }
        // Room for a line (one free page of a pipe holds any line), or an
        // error the write reports, wins over the stop signal.
        if (wait[0].revents != 0) {
            return true;
        }
        if (wait[1].revents != 0) {
            return false;
        }
    }
#endif
}

bool LogSession::put(const QString& line) {
    if (!outputReady()) {
        failure_.clear();
        return false;
    }
    owed_.push_back(line.toUtf8() + '\n');
    const bool wasOwing = owed_.size() > 1;
    while (!owed_.empty()) {
        const QByteArray& bytes = owed_.front();
        const auto size = static_cast<std::size_t>(bytes.size());
        const long at = std::ftell(out_);  // -1 for a pipe or a terminal
        if (std::fwrite(bytes.constData(), 1, size, out_) == size && std::fflush(out_) == 0) {
            owed_.pop_front();
            continue;
        }
        const int error = errno;
        owedWhy_ = QString::fromLocal8Bit(std::strerror(error));
        if ((error == ENOSPC || error == EFBIG || error == EDQUOT) && at >= 0) {
            // Take the part of the line back: the file ends on a whole line.
            std::clearerr(out_);
            if (cutTo(out_, at) && std::fseek(out_, at, SEEK_SET) == 0) {
                if (!wasOwing) {
                    emit notice(QStringLiteral("cannot write the log: %1; its lines wait and are "
                                               "written when there is room")
                                    .arg(QString::fromLocal8Bit(std::strerror(error))));
                }
                return true;
            }
        }
        failure_ =
            QStringLiteral("cannot write the log: ") + QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    if (wasOwing) {
        emit notice(QStringLiteral("the log caught up"));
    }
    return true;
}

void LogSession::writeLine(const QString& line) {
    if (out_ != nullptr && !put(line)) {
        finish(failure_.isEmpty() ? kExitOk : kExitFailure, failure_);
    }
}

void LogSession::finish(int status, const QString& why) {
    if (out_ == nullptr) {
        return;  // already ended
    }
    std::fflush(out_);
    out_ = nullptr;
    failure_ = why;
    // This may run inside the receive path; the port is closed and the end
    // announced once that call is over.
    QMetaObject::invokeMethod(
        this,
        [this, status] {
            session_.stop();
            emit finished(status);
        },
        Qt::QueuedConnection);
}

}  // namespace cellwatch::logger
