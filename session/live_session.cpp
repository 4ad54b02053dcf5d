#include "session/live_session.h"

#include "net/publisher.h"
#include "protocol/driver_registry.h"
#include "protocol/tkrx_driver.h"
#include "readout/journal.h"
#include "readout/row_store.h"
#include "serial/capture.h"

namespace cellwatch::session {

const char* linkStateName(LinkState state) {
    switch (state) {
        case LinkState::Disconnected:
            return "disconnected";
        case LinkState::Connecting:
            return "connecting";
        case LinkState::Connected:
            return "connected";
        case LinkState::Replaying:
            return "replaying";
        case LinkState::Lost:
            return "lost";
        case LinkState::WaitingForAdapter:
            return "waiting for the same adapter";
    }
    return "";
}

LiveSession::LiveSession(SessionParts parts, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      clocks_(parts_.ticks, parts_.wall),
      recording_(parts_.rows, clocks_, clocks_),
      alarms_(recording_, parts_.rows, clocks_, clocks_,
              [this](const alarms::Alarm& a) { onAlarm(a); }),
      driver_(makeDriver(kFirstDriverId, gate_, gate_)) {
    Recording::Events& events = recording_.events();
    events.rowAppended = [this](int row) {
        if (journal_ != nullptr && journaling_) {
            journal_->appendRow(parts_.rows, row);
            followJournal();
        }
        lastRowTicks_ = clocks_.tickCount();
        lastRowMs_ = clocks_.now().toMSecsSinceEpoch();
        publishRow(row);
        publishResume(row);
        emit rowAppended(row);
    };
    events.idleShown = [this] {
        publishEvent(QStringLiteral("idle"));
        emit idleShown();
    };
    // Whatever the journal still owes is written while the table holds it;
    // the next rows go to a new file.
    // A junk recording of a Connect is removed instead (its row goes into
    // a line of the next journal).
    events.restarting = [this] {
        if (journal_ != nullptr && journaling_) {
            if (junkAtConnect()) {
                QStringList texts;
                for (int column = 1; column < kTableColumnCount; ++column) {
                    texts << parts_.rows.gridText(1, column);
                }
                const qint64 after = ticksBetween(recording_.startTicks(), clocks_.tickCount());
                dropped_ = QStringLiteral(
                               "dropped: a recording of one row, begun %1, that the pause rule "
                               "ended %2 s after it began: %3")
                               .arg(isoTimeWithOffset(recording_.recordingStart()))
                               .arg(after / 1000)
                               .arg(texts.join(u','));
                journal_->discard();
            } else {
                journal_->end();
            }
        }
        firstRecording_ = false;
        emit restarting();
    };
    events.restarted = [this] {
        if (journal_ != nullptr && journaling_) {
            beginJournal(clocks_.now());
            if (!dropped_.isEmpty()) {
                journal_->noteAtStart(dropped_);
            }
        }
        dropped_.clear();
        publishEvent(QStringLiteral("restart"));
        publishResume(0);
        emit restarted();
    };
    alarms_.listen(recording_);  // after the handlers above: a row first, then its alarms
    alarmClock_.setInterval(kAlarmClockMs);
    journalRetry_.setInterval(static_cast<int>(Journal::kRetryMs));
}

LiveSession::~LiveSession() {
    closeSource();
    retired_.clear();
    if (journal_ != nullptr) {
        journal_->end();  // whatever it owes, while the table is there
    }
}

SourceEvents LiveSession::sourceEvents() {
    SourceEvents e;
    e.received = [this](std::span<const std::uint8_t> bytes) { received(bytes); };
    e.take = [this](std::span<const std::uint8_t> bytes) { take(bytes); };
    e.wanted = [this] { return driver_->bytesWanted(); };
    e.serviced = [this] { clocks_.release(); };
    e.started = [this] {
        clocks_.release();
        // The bytes are decoded by the driver the source names.
        const std::string id = source_ ? source_->chargerDriver() : std::string();
        if (!id.empty() && id != driver_->id() && !setCharger(id)) {
            stop();
            emit failed(
                QStringLiteral("no driver for the charger %1 (the chargers are: %2)")
                    .arg(QString::fromStdString(id), QString::fromStdString(driverIdsText())));
            return;
        }
        beginRecording();
        setState(source_ && source_->isReplay() ? LinkState::Replaying : LinkState::Connected);
    };
    e.lost = [this](const QString& why) { onLost(why); };
    e.ended = [this] {
        stop();
        emit ended();
    };
    e.failed = [this](const QString& why) {
        stop();
        emit failed(why);
    };
    e.notice = [this](const QString& text) { emit notice(text); };
    return e;
}

void LiveSession::open(std::unique_ptr<SessionSource> source, bool continuing) {
    const LinkState before = state_;
    const bool interrupted = state_ == LinkState::Lost || state_ == LinkState::WaitingForAdapter;
    if (source_) {
        closeSource();
    }
    clocks_.follow(source->ticks(), source->wall());
    source_ = std::move(source);
    loss_ = LinkLoss::None;
    if (!source_->beginsAtOpen()) {
        if (journal_ != nullptr) {
            journal_->end();
        }
        // The recording begins at the source's start, which may be told
        // while it opens (a start that came before).
        setState(LinkState::Connecting);
    }
    try {
        source_->open();
    } catch (...) {
        source_.reset();
        clocks_.follow(nullptr, nullptr);
        setState(interrupted ? before : LinkState::Disconnected);
        throw;
    }
    if (driver_->line().writes) {
        sendDue();  // its handshake
    }
    if (!source_->beginsAtOpen()) {
        return;
    }
    if (continuing && interrupted) {
        recording_.resume(interruptedTicks_);
        alarms_.linkOpened();
        alarmClock_.start();
        setState(LinkState::Connected);
        publishMidway();  // a publisher given while the link was lost
        return;
    }
    beginRecording();
    setState(source_->isReplay() ? LinkState::Replaying : LinkState::Connected);
}

void LiveSession::beginRecording() {
    if (journal_ != nullptr) {
        journal_->end();
    }
    recording_.resetAxes();
    recording_.begin();
    lastRowMs_ = 0;
    const std::optional<SessionSource::Resume> resume = source_ ? source_->resume() : std::nullopt;
    if (resume) {
        recording_.continueFrom(resume->connectTicks, resume->began, resume->beganTicks,
                                resume->lastRow);
    }
    alarms_.connected();
    if (resume && !resume->lastRow.isEmpty()) {
        // The rules go on from the last row as if it had come here: what it
        // raised was raised where it came (not again), and stalled is
        // measured from when it came.
        alarms_.monitor().row(alarms::rowValues(resume->lastRow.split(u'\t')),
                              resume->lastRowTicks);
        lastRowTicks_ = resume->lastRowTicks;
        lastRowMs_ = resume->lastRowMs;
    }
    alarmClock_.start();
    journaling_ = journal_ != nullptr && source_ && (journalReplays_ || !source_->isReplay());
    firstRecording_ = true;
    if (journaling_) {
        beginJournal(recording_.recordingStart());
    }
    const QDateTime begun = recording_.recordingStart();
    const CaptureStart start{begun.toMSecsSinceEpoch(), begun.offsetFromUtc(),
                             recording_.connectTicks(), std::string(driver_->id())};
    if (capture_ != nullptr) {
        try {
            capture_->writeStart(start);
        } catch (const CaptureError& e) {
            capture_ = nullptr;
            emit captureFailed(QString::fromLocal8Bit(e.what()));
        }
    }
    if (publisher_ != nullptr) {
        connectionTicks_ = start.ticks;
        startPublished_ = true;
        publisher_->setStart(start);
        publishResume(0);
    }
    emit recordingBegun();
}

void LiveSession::beginJournal(const QDateTime& start) {
    // A watcher's recording is the publisher's, begun at the same moment.
    const QString charger = source_ ? source_->chargerName() : QString();
    journal_->begin(start, sourceName(), charger, charger.isEmpty() ? QDateTime() : start);
}

bool LiveSession::junkAtConnect() const {
    return firstRecording_ && journal_ != nullptr && journal_->rowsShown() == 1 &&
           ticksBetween(recording_.startTicks(), clocks_.tickCount()) <= kJunkWithinMs;
}

void LiveSession::received(std::span<const std::uint8_t> bytes) {
    clocks_.hold();
    if (!recordingNow()) {
        return;
    }
    alarms_.tick();  // what came due before these bytes
    const std::int64_t wallMs = clocks_.now().toMSecsSinceEpoch();
    if (publisher_ != nullptr) {
        publisher_->raw(wallMs, clocks_.tickCount(), bytes);
    }
    if (capture_ != nullptr) {
        try {
            capture_->writeRecord(wallMs, clocks_.tickCount(), bytes);
        } catch (const CaptureError& e) {
            capture_ = nullptr;
            emit captureFailed(QString::fromLocal8Bit(e.what()));
        }
    }
}

bool LiveSession::setCharger(std::string_view id) {
    if (id == driver_->id()) {
        return true;  // the same driver goes on, with what it holds
    }
    std::unique_ptr<ChargerDriver> driver = makeDriver(id, gate_, gate_);
    if (!driver) {
        return false;
    }
    driver_ = std::move(driver);
    return true;
}

void LiveSession::take(std::span<const std::uint8_t> bytes) {
    // One receive event: the lamp flips once, however many messages it brings.
    if (parts_.flipReceiveLamp) {
        parts_.flipReceiveLamp();
    }
    driver_->feed(bytes, clocks_.tickCount());
    if (driver_->line().writes) {
        sendDue();
    }
}

void LiveSession::take(ByteSource& line) {
    std::vector<std::uint8_t> bytes(line.bytesWaiting());
    bytes.resize(line.read(bytes));
    take(bytes);
}

void LiveSession::sendDue() {
    if (!source_ || !source_->isOpen()) {
        return;
    }
    const std::uint32_t now = clocks_.tickCount();
    for (const DriverRequest& request : driver_->due(now)) {
        source_->send(request.bytes, request.target);
        if (capture_ != nullptr && recordingNow()) {
            try {
                capture_->writeRecord(clocks_.now().toMSecsSinceEpoch(), now, request.bytes,
                                      CaptureDirection::Sent);
            } catch (const CaptureError& e) {
                capture_ = nullptr;
                emit captureFailed(QString::fromLocal8Bit(e.what()));
            }
        }
    }
    if (const std::optional<std::uint32_t> next = driver_->nextDueMs()) {
        pollClock_.start(static_cast<int>(ticksBetween(now, *next)));
    }
}

void LiveSession::Gate::reading(const Reading& reading, std::span<const std::uint8_t> message) {
    if (!session_.recordingNow()) {
        return;
    }
    host_.readingDecoded(reading, layoutOfMessage(message));
    if (!reading.isIdle()) {
        Reading taken = reading;  // the recording sets the first row's time
        host_.acceptReading(taken);
    }
}

void LiveSession::Gate::event(DriverEvent event, int /*channel*/) {
    if (!session_.recordingNow()) {
        return;
    }
    if (event == DriverEvent::Late) {
        host_.showIdle();
    } else if (event == DriverEvent::Silent) {
        session_.onLost(QStringLiteral("the charger stopped answering"));
    }
}

void LiveSession::tickAlarms() {
    if (recordingNow()) {
        alarms_.tick();
    }
}

void LiveSession::onLost(const QString& why) {
    if (state_ == LinkState::Disconnected || state_ == LinkState::Lost ||
        state_ == LinkState::WaitingForAdapter) {
        return;
    }
    clocks_.release();
    loss_ = source_ ? source_->loss() : LinkLoss::None;
    // The alarm first, while the recording and its journal are open: it is
    // the journal's last line.
    alarms_.linkLost(why);
    alarmClock_.stop();
    interruptedTicks_ = recording_.connectTicks();
    publishEvent(QStringLiteral("lost"));
    if (source_) {
        source_->close();
    }
    clocks_.follow(nullptr, nullptr);
    alarms_.disconnected();
    recording_.end();
    setState(LinkState::Lost);
    emit lost(why);
}

void LiveSession::awaitSameAdapter() {
    if (state_ == LinkState::Lost) {
        setState(LinkState::WaitingForAdapter);
    }
}

void LiveSession::giveUp() {
    if (journal_ != nullptr) {
        journal_->end();
    }
    journaling_ = false;
    if (state_ == LinkState::Lost || state_ == LinkState::WaitingForAdapter) {
        setState(LinkState::Disconnected);
    }
}

void LiveSession::stop() {
    const bool wasOpen = state_ != LinkState::Disconnected && state_ != LinkState::Lost &&
                         state_ != LinkState::WaitingForAdapter;
    closeSource();
    alarmClock_.stop();
    if (wasOpen) {
        alarms_.disconnected();
        recording_.end();
    }
    if (journal_ != nullptr) {
        journal_->end();
    }
    journaling_ = false;
    setState(LinkState::Disconnected);
}

void LiveSession::closeSource() {
    pollClock_.stop();
    if (source_) {
        source_->close();
        retired_.push_back(std::move(source_));
        QMetaObject::invokeMethod(
            this, [this] { retired_.clear(); }, Qt::QueuedConnection);
    }
    clocks_.release();
    clocks_.follow(nullptr, nullptr);
}

void LiveSession::setJournal(Journal* journal) {
    if (journal_ != nullptr && journal_ != journal) {
        journal_->end();
    }
    journal_ = journal;
    journaling_ = false;
}

void LiveSession::setPublisher(net::Publisher* publisher) {
    if (publisher != publisher_) {
        startPublished_ = false;
    }
    publisher_ = publisher;
    publishMidway();
}

// A publisher given while a recording goes on (or one that came back after
// a lost link) publishes a start of now, and where the recording stands
// first, so that a watcher takes it up with its own elapsed times.
void LiveSession::publishMidway() {
    if (publisher_ == nullptr || startPublished_ || !recordingNow()) {
        return;
    }
    startPublished_ = true;
    const QDateTime now = clocks_.now();
    const CaptureStart start{now.toMSecsSinceEpoch(), now.offsetFromUtc(), clocks_.tickCount(),
                             std::string(driver_->id())};
    connectionTicks_ = start.ticks;
    publishResume(parts_.rows.gridRowCount() - 1);
    publisher_->setStart(start);
}

void LiveSession::followJournal() {
    const bool owed = journal_ != nullptr && journaling_ && journal_->rowsOwed() > 0;
    if (owed && !journalRetry_.isActive()) {
        journalRetry_.start();
    } else if (!owed) {
        journalRetry_.stop();
    }
}

void LiveSession::retryJournal() {
    if (journal_ != nullptr && journaling_) {
        journal_->retry();
    }
    followJournal();
}

void LiveSession::setState(LinkState state) {
    if (state != state_) {
        state_ = state;
        emit stateChanged(state);
    }
}

void LiveSession::onAlarm(const alarms::Alarm& alarm) {
    const QString kind = QString::fromUtf8(alarms::kindName(alarm.kind));
    const QString text = QString::fromStdString(alarm.text);
    if (journal_ != nullptr && journaling_) {
        journal_->appendComment(QStringLiteral("alarm %1: %2").arg(kind, text));
        followJournal();
    }
    publishEvent(QStringLiteral("alarm"), kind, text);
    emit alarmRaised(alarm);
}

void LiveSession::publishRow(int row) {
    if (publisher_ == nullptr) {
        return;
    }
    const RowStore& rows = parts_.rows;
    // Each field as stored; 0 for one that is empty or no number.
    const auto number = [&](int field) { return rows.number(row, field).value_or(0); };
    net::RowValues values;
    values.wall = clocks_.now();
    values.time = rows.gridText(row, kFieldElapsed + 1);
    values.battery = rows.gridText(row, kFieldBatteryType + 1);
    values.state = rows.gridText(row, kFieldState + 1);
    values.extC = number(kFieldExtTemperature);
    values.intC = number(kFieldIntTemperature);
    values.inputV = number(kFieldInputVoltage);
    values.voltageV = number(kFieldVoltage);
    values.currentA = number(kFieldCurrent);
    values.capacityMah = number(kFieldCapacity);
    values.powerW = number(kFieldPower);
    for (int cell = 0; cell < kCellCount; ++cell) {
        values.cellsV[static_cast<std::size_t>(cell)] = number(kFieldCell1 + cell);
    }
    publisher_->row(values);
}

void LiveSession::publishResume(int row) {
    if (publisher_ == nullptr) {
        return;
    }
    net::ResumeState state;
    state.connectionTicks = connectionTicks_;
    state.connectTicks = recording_.connectTicks();
    const QDateTime began = recording_.recordingStart();
    state.beganMs = began.toMSecsSinceEpoch();
    state.utcOffsetSeconds = began.offsetFromUtc();
    state.beganTicks = recording_.startTicks();
    if (row > 0) {
        QStringList texts;
        for (int column = 1; column < kTableColumnCount; ++column) {
            texts << parts_.rows.gridText(row, column);
        }
        state.lastRow = texts.join(u'\t');
        state.rowTicks = lastRowTicks_;
        state.rowMs = lastRowMs_;
    }
    publisher_->resume(state);
}

void LiveSession::publishEvent(const QString& name, const QString& kind, const QString& text) {
    if (publisher_ != nullptr) {
        publisher_->event(clocks_.now(), name, kind, text);
    }
}

}  // namespace cellwatch::session
