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
    connect(&session_, &session::LiveSession::channelRowAppended, this, &LogSession::writeRow);
    connect(&session_, &session::LiveSession::channelIdleShown, this,
            [this](int channel) { writeLine(channel, QStringLiteral("# idle")); });
    connect(&session_, &session::LiveSession::channelRestarted, this,
            [this](int channel) { writeLine(channel, QStringLiteral("# restart")); });
    connect(&session_, &session::LiveSession::channelAlarmRaised, this, &LogSession::writeAlarm);
    connect(&session_, &session::LiveSession::channelsChanged, this, &LogSession::checkChannel);
    // A watch learns its charger from the publisher's start, which may come
    // after the header: lines of several channels then get a header saying so.
    connect(&session_, &session::LiveSession::recordingBegun, this, [this] {
        if (main_.file != nullptr && prefixed() != headerPrefixed_ &&
            dynamic_cast<const session::WatchSource*>(session_.source()) != nullptr) {
            headerPrefixed_ = prefixed();
            put(main_, headerLine(headerPrefixed_));
        }
    });
    // The `lost` alarm's line came first: "# lost" is the last line.
    connect(&session_, &session::LiveSession::lost, this, [this](const QString& why) {
        writeLine(0, QStringLiteral("# lost"));
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
    connect(&session_, &session::LiveSession::chargerAbsent, this,
            [this](const QString& name, const QString& broker) {
                emit notice(QStringLiteral("no charger %1 on %2: waiting").arg(name, broker));
            });
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

QString LogSession::headerLine(bool prefixed) const {
    QStringList headers;
    if (prefixed) {
        headers << QStringLiteral("Channel");
    }
    for (int column = 1; column < kTableColumnCount; ++column) {
        headers << RowStore::headerText(column);
    }
    return headers.join(u'\t');
}

bool LogSession::start(std::FILE* out) {
    failure_ = channelProblem();
    if (!failure_.isEmpty()) {
        return false;
    }
    rowsWritten_ = 0;
    main_.file = out;
    // A capture names its charger: the header says whether lines carry their
    // channel, so it takes that charger now rather than when the replay starts.
    if (pending_) {
        const std::string named = pending_->chargerDriver();
        if (!named.empty() && named != session_.driver().id() && findDriver(named) != nullptr) {
            session_.setCharger(named);
        }
    }
    // A watch of one channel (an address naming it) writes as a charger of one.
    const auto* watch = dynamic_cast<const session::WatchSource*>(pending_.get());
    headerPrefixed_ = prefixed() && (watch == nullptr || watch->namedChannel() == 0);
    if (!put(main_, headerLine(headerPrefixed_))) {
        main_.file = nullptr;
        return false;
    }
    if (pending_) {
        try {
            session_.open(std::move(pending_));
        } catch (const std::exception& e) {
            failure_ = QString::fromLocal8Bit(e.what());
            main_.file = nullptr;
            return false;
        }
    }
    return true;
}

QString LogSession::channelProblem() {
    if (only_ <= session_.channelCount()) {
        return {};
    }
    const std::string_view id = session_.driver().id();
    return QStringLiteral("--channel %1: the charger %2 has %3 channel(s)")
        .arg(only_)
        .arg(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())))
        .arg(session_.channelCount());
}

void LogSession::checkChannel() {
    if (main_.file != nullptr && !channelProblem().isEmpty()) {
        finish(kExitUsage, channelProblem());
    }
}

void LogSession::stop() {
    session_.stop();
    if (main_.file != nullptr) {
        std::fflush(main_.file);
        main_.file = nullptr;
    }
    for (auto& [channel, output] : channelOutputs_) {
        if (output.file != nullptr) {
            std::fflush(output.file);
            output.file = nullptr;
        }
    }
}

std::size_t LogSession::owedLines() const {
    std::size_t lines = main_.owed.size();
    for (const auto& [channel, output] : channelOutputs_) {
        lines += output.owed.size();
    }
    return lines;
}

QString LogSession::owedWhy() const {
    for (const auto& [channel, output] : channelOutputs_) {
        if (!output.owed.empty()) {
            return output.owedWhy;
        }
    }
    return main_.owedWhy;
}

void LogSession::tagJournal(int channel, int row) {
    Journal* journal = session_.journal(channel);
    session::JournalPack& journalPack = journalPacks_[channel];
    if (journal == nullptr || pack_.isEmpty() || row < 1 || !journalPack.pending(journal->path())) {
        return;
    }
    TableRangeRows rows(session_.rows(channel));
    const auto index = static_cast<std::size_t>(row - 1);
    const int cells = index < rows.rowCount() ? session::cellsInUse(rows.numbers(index).cells) : 0;
    const std::optional<session::JournalPack::Tagged> told =
        journalPack.tag(journal->path(), pack_, cells);
    if (told && told->mismatch) {
        emit notice(cellCountMismatchText(pack_, cells));
    }
    if (told && !told->writeError.isEmpty()) {
        emit notice(QStringLiteral("the pack file could not be written: %1").arg(told->writeError));
    }
}

void LogSession::writeRow(int channel, int row) {
    tagJournal(channel, row);
    if (main_.file == nullptr) {
        return;
    }
    const RowStore& table = session_.rows(channel);
    QString line;
    line.reserve(160);
    for (int column = 1; column < kTableColumnCount; ++column) {
        if (column > 1) {
            line += u'\t';
        }
        line += table.gridText(row, column);
    }
    const bool shown = only_ == 0 || only_ == channel;
    writeLine(channel, line);
    if (main_.file != nullptr && shown) {
        ++rowsWritten_;
    }
}

void LogSession::writeAlarm(int channel, const alarms::Alarm& alarm) {
    if (main_.file == nullptr || (only_ != 0 && only_ != channel)) {
        return;
    }
    const QString kind = QString::fromUtf8(alarms::kindName(alarm.kind));
    const QString text = QString::fromStdString(alarm.text);
    writeLine(channel, QStringLiteral("# alarm %1: %2").arg(kind, text));
    if (main_.file != nullptr && only_ == 0 && session_.channelCount() > 1) {
        emit notice(QStringLiteral("channel %1: alarm %2: %3").arg(channel).arg(kind, text));
    }
    if (main_.file != nullptr && alarmHandler_) {
        alarmHandler_(channel, alarm);
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

bool LogSession::outputReady(std::FILE* file) const {
#ifndef Q_OS_UNIX
    Q_UNUSED(file);
    return true;  // no stop pipe (log_signals.h): lines are written as they come
#else
    const int fd = stopFd_ < 0 ? -1 : ::fileno(file);
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

bool LogSession::put(Output& output, const QString& line) {
    if (!outputReady(output.file)) {
        failure_.clear();
        return false;
    }
    output.owed.push_back(line.toUtf8() + '\n');
    const bool wasOwing = output.owed.size() > 1;
    while (!output.owed.empty()) {
        const QByteArray& bytes = output.owed.front();
        const auto size = static_cast<std::size_t>(bytes.size());
        const long at = std::ftell(output.file);  // -1 for a pipe or a terminal
        if (std::fwrite(bytes.constData(), 1, size, output.file) == size &&
            std::fflush(output.file) == 0) {
            output.owed.pop_front();
            continue;
        }
        const int error = errno;
        output.owedWhy = QString::fromLocal8Bit(std::strerror(error));
        if ((error == ENOSPC || error == EFBIG || error == EDQUOT) && at >= 0) {
            // Take the part of the line back: the file ends on a whole line.
            std::clearerr(output.file);
            if (cutTo(output.file, at) && std::fseek(output.file, at, SEEK_SET) == 0) {
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

LogSession::Output* LogSession::outputOf(int channel) {
    if (channel <= 1 || !openChannel_ || only_ != 0) {
        return &main_;
    }
    Output& output = channelOutputs_[channel];
    if (output.file == nullptr) {
        QString why;
        output.file = openChannel_(channel, why);
        if (output.file == nullptr) {
            channelOutputs_.erase(channel);
            finish(kExitFailure, why);
            return nullptr;
        }
        if (!put(output, headerLine(false))) {
            finish(failure_.isEmpty() ? kExitOk : kExitFailure, failure_);
            return nullptr;
        }
    }
    return &output;
}

void LogSession::writeLine(int channel, const QString& line) {
    if (main_.file == nullptr || (only_ != 0 && channel != 0 && channel != only_)) {
        return;
    }
    std::vector<Output*> outputs;
    if (channel == 0) {
        outputs.push_back(&main_);  // the charger's: in every output
        for (auto& [number, output] : channelOutputs_) {
            outputs.push_back(&output);
        }
    } else if (Output* output = outputOf(channel)) {
        outputs.push_back(output);
    }
    const QString text = prefixed() && channel > 0 ? QString::number(channel) + u'\t' + line : line;
    for (Output* output : outputs) {
        if (main_.file != nullptr && !put(*output, text)) {
            finish(failure_.isEmpty() ? kExitOk : kExitFailure, failure_);
        }
    }
}

void LogSession::finish(int status, const QString& why) {
    if (main_.file == nullptr) {
        return;  // already ended
    }
    std::fflush(main_.file);
    main_.file = nullptr;
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
