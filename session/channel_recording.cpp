#include "session/channel_recording.h"

#include <QStringList>

#include "readout/journal.h"
#include "readout/row_store.h"

namespace cellwatch::session {

ChannelRecording::ChannelRecording(int channel, RowStore* rows, const SessionClocks& clocks,
                                   Hooks hooks)
    : channel_(channel),
      ownRows_(rows == nullptr ? std::make_unique<RowStore>() : nullptr),
      rows_(rows != nullptr ? rows : ownRows_.get()),
      clocks_(clocks),
      hooks_(std::move(hooks)),
      recording_(*rows_, clocks_, clocks_),
      alarms_(recording_, *rows_, clocks_, clocks_, [this](const alarms::Alarm& alarm) {
          if (journaling()) {
              journal_->appendComment(QStringLiteral("alarm %1: %2")
                                          .arg(QString::fromUtf8(alarms::kindName(alarm.kind)),
                                               QString::fromStdString(alarm.text)));
              hooks_.journalChanged();
          }
          hooks_.alarm(alarm);
      }) {
    Recording::Events& events = recording_.events();
    // The charger's per-cell resistance of a phase goes after its last row,
    // before the row that begins the next.
    events.readingAccepted = [this](const Reading& reading) {
        reportedCells_ = reading.cellResistance;
        noteResistance(phaseResistance_.add(reading));
    };
    events.rowAppended = [this](int row) {
        if (journaling()) {
            journal_->appendRow(*rows_, row);
            hooks_.journalChanged();
        }
        lastRowTicks_ = clocks_.tickCount();
        lastRowMs_ = clocks_.now().toMSecsSinceEpoch();
        hooks_.rowAppended(row);
    };
    events.idleShown = [this] { hooks_.idleShown(); };
    // Whatever the journal still owes is written while the table holds it;
    // the next rows go to a new file.
    // A junk recording of a Connect is removed instead (its row goes into
    // a line of the next journal).
    events.restarting = [this] {
        noteResistance(phaseResistance_.finish());
        if (journaling()) {
            if (junkAtConnect()) {
                QStringList texts;
                for (int column = 1; column < kTableColumnCount; ++column) {
                    texts << rows_->gridText(1, column);
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
        hooks_.restarting();
    };
    events.restarted = [this] {
        if (journaling()) {
            beginJournal(clocks_.now());
            if (!dropped_.isEmpty()) {
                journal_->noteAtStart(dropped_);
            }
        }
        dropped_.clear();
        hooks_.restarted();
    };
    alarms_.listen(recording_);  // after the handlers above: a row first, then its alarms
}

ChannelRecording::~ChannelRecording() {
    if (ownJournal_) {
        if (const QString note = phaseResistance_.finish(); !note.isEmpty() && journaling()) {
            ownJournal_->appendComment(note);
        }
        ownJournal_->end();  // whatever it owes, while the table is there
    }
}

void ChannelRecording::ownJournal(std::unique_ptr<Journal> journal) {
    if (ownJournal_) {
        ownJournal_->end();
    }
    ownJournal_ = std::move(journal);
    journal_ = ownJournal_.get();
    journaling_ = false;
}

void ChannelRecording::startRecording() {
    endJournal();
    recording_.resetAxes();
    recording_.begin();
    lastRowMs_ = 0;
}

void ChannelRecording::beginJournaling(bool journaled, const QString& port,
                                       const QString& watched) {
    port_ = port;
    watched_ = watched;
    journaling_ = journaled && journal_ != nullptr;
    firstRecording_ = true;
    if (journaling_) {
        beginJournal(recording_.recordingStart());
    }
}

void ChannelRecording::beginJournal(const QDateTime& start) {
    // A watcher's recording is the publisher's, begun at the same moment.
    journal_->begin(start, port_, watched_, watched_.isEmpty() ? QDateTime() : start);
}

void ChannelRecording::noteResistance(const QString& note) {
    if (!note.isEmpty() && journaling()) {
        journal_->appendComment(note);
        hooks_.journalChanged();
    }
}

void ChannelRecording::endJournal() {
    noteResistance(phaseResistance_.finish());
    if (journal_ != nullptr) {
        journal_->end();
    }
}

void ChannelRecording::retryJournal() {
    if (journaling()) {
        journal_->retry();
    }
}

bool ChannelRecording::journalOwes() const {
    return journaling() && journal_->rowsOwed() > 0;
}

net::RowValues ChannelRecording::publishedRow(int row) const {
    const RowStore& rows = *rows_;
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
    return values;
}

net::ResumeState ChannelRecording::resumeState(int row) const {
    net::ResumeState state;
    state.connectTicks = recording_.connectTicks();
    const QDateTime began = recording_.recordingStart();
    state.beganMs = began.toMSecsSinceEpoch();
    state.utcOffsetSeconds = began.offsetFromUtc();
    state.beganTicks = recording_.startTicks();
    if (row > 0) {
        QStringList texts;
        for (int column = 1; column < kTableColumnCount; ++column) {
            texts << rows_->gridText(row, column);
        }
        state.lastRow = texts.join(u'\t');
        state.rowTicks = lastRowTicks_;
        state.rowMs = lastRowMs_;
    }
    return state;
}

bool ChannelRecording::junkAtConnect() const {
    return firstRecording_ && journal_ != nullptr && journal_->rowsShown() == 1 &&
           ticksBetween(recording_.startTicks(), clocks_.tickCount()) <= kJunkWithinMs;
}

}  // namespace cellwatch::session
