#include "tools/log/log_session.h"

#include <poll.h>
#include <stdio.h>

#include <QStringList>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "serial/port_scan.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {

void HeldClocks::hold() {
    held_ = false;
    heldTicks_ = ticks_.tickCount();
    heldWall_ = wall_.now();
    held_ = true;
}

LogSession::LogSession(const TickClock& ticks, const WallClock& wall, QObject* parent)
    : QObject(parent),
      clocks_(ticks, wall),
      recording_(chart_, table_, view_, clocks_, clocks_, [] { return false; }),
      alarms_(recording_, table_, clocks_, [this](const alarms::Alarm& a) { writeAlarm(a); }),
      decoder_(clocks_, alarms_.decoderHost()),
      assembler_(clocks_, decoder_),
      link_(assembler_) {
    link_.setReceiveTap(this);
    Recording::Events& events = recording_.events();
    events.rowAppended = [this](int row) {
        writeRow(row);
        publishRow(row);
    };
    events.idleShown = [this] {
        writeLine(QStringLiteral("# idle"));
        publishEvent(QStringLiteral("idle"));
    };
    events.restarted = [this] {
        writeLine(QStringLiteral("# restart"));
        publishEvent(QStringLiteral("restart"));
    };
    alarms_.listen(recording_);
    alarmClock_.setInterval(kAlarmClockMs);
    connect(&alarmClock_, &QTimer::timeout, this, [this] { alarms_.tick(); });
    connect(&link_, &SerialLink::linkLost, this, [this](const QString& reason) {
        alarms_.linkLost(reason);  // the alarm first: "# lost" is the last line
        writeLine(QStringLiteral("# lost"));
        publishEvent(QStringLiteral("lost"));
        finish(kExitLost, QStringLiteral("lost the port %1: %2").arg(portText_, reason));
    });
}

LogSession::~LogSession() = default;

void LogSession::openPort(const QString& portText) {
    portText_ = portText;
    const QString device = portToOpen(portText);
    try {
        link_.open(device);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(portText.toStdString() + ": " + e.what());
    }
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
    recording_.resetAxes();
    recording_.begin();
    alarms_.connected();
    alarmClock_.start();
    if (capture_ != nullptr) {
        const QDateTime begun = recording_.recordingStart();
        try {
            capture_->writeStart(
                {begun.toMSecsSinceEpoch(), begun.offsetFromUtc(), recording_.connectTicks()});
        } catch (const CaptureError& e) {
            failure_ = QString::fromLocal8Bit(e.what());
            recording_.end();
            out_ = nullptr;
            return false;
        }
    }
    if (publisher_ != nullptr) {
        const QDateTime begun = recording_.recordingStart();
        publisher_->setStart(
            {begun.toMSecsSinceEpoch(), begun.offsetFromUtc(), recording_.connectTicks()});
    }
    return true;
}

void LogSession::received(std::span<const std::uint8_t> bytes) {
    clocks_.hold();
    if (out_ != nullptr) {
        alarms_.tick();  // what came due before these bytes
    }
    if (publisher_ != nullptr && out_ != nullptr) {
        publisher_->raw(clocks_.now().toMSecsSinceEpoch(), clocks_.tickCount(), bytes);
    }
    if (capture_ == nullptr || out_ == nullptr) {
        return;
    }
    try {
        capture_->writeRecord(clocks_.now().toMSecsSinceEpoch(), clocks_.tickCount(), bytes);
    } catch (const CaptureError& e) {
        finish(kExitFailure, QString::fromLocal8Bit(e.what()));
    }
}

void LogSession::stop() {
    alarmClock_.stop();
    alarms_.disconnected();
    link_.close();
    recording_.end();
    if (out_ != nullptr) {
        std::fflush(out_);
        out_ = nullptr;
    }
}

void LogSession::writeRow(int row) {
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
    if (publisher_ != nullptr) {
        publisher_->event(clocks_.now(), QStringLiteral("alarm"), kind, text);
    }
    if (out_ != nullptr && alarmHandler_) {
        alarmHandler_(alarm);
    }
}

bool LogSession::outputReady() const {
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
}

bool LogSession::put(const QString& line) {
    if (!outputReady()) {
        failure_.clear();
        return false;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    const auto size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, out_) == size && std::fflush(out_) == 0) {
        return true;
    }
    failure_ =
        QStringLiteral("cannot write the log: ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
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
            alarmClock_.stop();
            link_.close();
            recording_.end();
            emit finished(status);
        },
        Qt::QueuedConnection);
}

// --- over the network ------------------------------------------------------------------------

void LogSession::beginRemote() {
    recording_.resetAxes();
    recording_.begin();
}

void LogSession::remoteLost(const QString& why) {
    writeLine(QStringLiteral("# lost"));
    finish(kExitLost, why);
}

void LogSession::publishRow(int row) {
    if (publisher_ == nullptr) {
        return;
    }
    // Each field as stored; 0 for one that is empty or no number.
    const auto number = [&](int column) { return table_.number(row, column - 1).value_or(0); };
    net::RowValues values;
    values.wall = clocks_.now();
    values.time = table_.gridText(row, 1);
    values.battery = table_.gridText(row, 2);
    values.state = table_.gridText(row, 3);
    values.extC = number(4);
    values.intC = number(5);
    values.inputV = number(6);
    values.voltageV = number(7);
    values.currentA = number(8);
    values.capacityMah = number(9);
    values.powerW = number(10);
    for (int cell = 0; cell < 12; ++cell) {
        values.cellsV[static_cast<std::size_t>(cell)] = number(11 + cell);
    }
    publisher_->row(values);
}

void LogSession::publishEvent(const QString& name) {
    if (publisher_ != nullptr) {
        publisher_->event(clocks_.now(), name);
    }
}

}  // namespace cellwatch::logger
