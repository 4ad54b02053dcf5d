// One channel of the charger a live session talks to: its table, its
// recording, its alarms and its journal. A charger of several channels has
// one of these per channel over its one connection; the session routes each
// reading to the channel it names.
//
// A channel keeps what is its own: the junk test of a Connect (the first
// recording of one row that the pause rule ends soon after the start), when
// its last row came, whether its recording is journaled. What a row, a
// restart or an alarm does beyond the journal (publishing it, telling a
// front end) is the session's, through the hooks.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

#include "alarms/recording_alarms.h"
#include "net/messages.h"
#include "readout/recording.h"
#include "readout/resistance_note.h"
#include "session/session_clocks.h"

namespace cellwatch {
class Journal;
class RowStore;
}  // namespace cellwatch

namespace cellwatch::session {

class ChannelRecording {
public:
    // A recording of one row that the pause rule ends this soon after the
    // source began is junk of a Connect (see LiveSession).
    static constexpr std::uint32_t kJunkWithinMs = 30'000;

    // What the session does after the channel's own part (the journal's
    // line). The alarm hook comes after the row that raised it.
    struct Hooks {
        std::function<void(int row)> rowAppended;
        std::function<void()> idleShown;
        std::function<void()> restarting;
        std::function<void()> restarted;
        std::function<void(const alarms::Alarm&)> alarm;
        // The journal may owe rows now (a full disk).
        std::function<void()> journalChanged;
    };

    // A channel recording into `rows`, the caller's (`ownRows` null), or
    // into a table of its own.
    ChannelRecording(int channel, RowStore* rows, const SessionClocks& clocks, Hooks hooks);
    ~ChannelRecording();
    ChannelRecording(const ChannelRecording&) = delete;
    ChannelRecording& operator=(const ChannelRecording&) = delete;

    int channel() const { return channel_; }
    RowStore& rows() { return *rows_; }
    Recording& recording() { return recording_; }
    const Recording& recording() const { return recording_; }
    alarms::RecordingAlarms& alarms() { return alarms_; }
    const CellResistances& reportedCells() const { return reportedCells_; }
    DecoderHost& host() { return alarms_.decoderHost(); }

    // The journal the channel's recordings go to: the front end's (channel
    // 1) or one the session made alike (owned here); nullptr for none.
    void setJournal(Journal* journal) {
        journal_ = journal;
        journaling_ = false;
    }
    void ownJournal(std::unique_ptr<Journal> journal);
    Journal* journal() const { return journal_; }
    bool journaling() const { return journal_ != nullptr && journaling_; }

    // A recording begins: the journal before it ends, the table and the
    // curves are emptied and a new time base starts.
    void startRecording();
    // Its journal (when `journaled`) gets a file of its own from the first
    // row, naming `port` and the charger watched (a watcher's).
    void beginJournaling(bool journaled, const QString& port, const QString& watched);
    // The recording ends with its journal (what it owes is written first).
    void endJournal();
    void stopJournaling() {
        endJournal();
        journaling_ = false;
    }
    // Writes what the journal owes, once more.
    void retryJournal();
    bool journalOwes() const;

    // The link was lost: the recording ends, kept to go on with on its own
    // time base (each channel's: the pause rule restarts each on its own).
    void interrupt() {
        interruptedTicks_ = recording_.connectTicks();
        alarms_.disconnected();
        recording_.end();
    }
    void resumeAfterLoss() {
        recording_.resume(interruptedTicks_);
        alarms_.linkOpened();
    }

    // Grid row `row` as published, at the present moment.
    net::RowValues publishedRow(int row) const;
    // Where the recording stands after grid row `row` (0: before any),
    // without the connection's start.
    net::ResumeState resumeState(int row) const;

    // When the last row came (ticks, and ms since 1970; 0: not known).
    std::uint32_t lastRowTicks() const { return lastRowTicks_; }
    std::int64_t lastRowMs() const { return lastRowMs_; }
    void setLastRow(std::uint32_t ticks, std::int64_t ms) {
        lastRowTicks_ = ticks;
        lastRowMs_ = ms;
    }

private:
    void beginJournal(const QDateTime& start);
    bool junkAtConnect() const;
    // A phase's per-cell resistance line, when journaling (none for "").
    void noteResistance(const QString& note);

    int channel_;
    std::unique_ptr<RowStore> ownRows_;
    RowStore* rows_;
    const SessionClocks& clocks_;
    Hooks hooks_;
    Recording recording_;
    alarms::RecordingAlarms alarms_;
    std::unique_ptr<Journal> ownJournal_;
    Journal* journal_ = nullptr;
    bool journaling_ = false;
    bool firstRecording_ = false;  // the recording begun with the source
    QString port_;
    QString watched_;
    QString dropped_;  // the note on a junk recording removed
    std::uint32_t lastRowTicks_ = 0;
    std::int64_t lastRowMs_ = 0;
    std::uint32_t interruptedTicks_ = 0;
    PhaseResistance phaseResistance_;
    CellResistances reportedCells_{};  // of the last reading
};

}  // namespace cellwatch::session
