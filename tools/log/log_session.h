// A live recording without a window, written as text lines.
//
// The chain is the window's live session (session/live_session.h), with no
// view subscribed to its recording: a serial port, a replayed capture or a
// watched charger, the recording, its journal, the alarms, a capture and a
// publisher. The session's events become lines on a stdio stream, each
// written whole and flushed at once:
//   - the header line: the table's 22 column headers, tab-separated;
//   - one line per recorded row: its 22 table texts, tab-separated;
//   - "# idle", "# restart" and "# lost" for the idle state, a restarted
//     recording and a vanished port;
//   - "# alarm KIND: TEXT" for each raised alarm, after the row that raised
//     it (see alarms/alarm_rules.h), `lost` included.
// Texts are UTF-8.
//
// A charger of several channels: each line of a channel starts with the
// channel's number and a tab ("2\t0:00:05\t..."), the header with
// "Channel\t"; "# lost" is the charger's and has none. Or the lines of one
// channel alone (onlyChannel), or each channel's lines in an output of its
// own (setChannelOutputs), both without the number.
//
// The table keeps the rows of the current recording (compactly, as the
// window's does), since the journal, the alarms and the publisher read each
// row from it. A restart empties it.
//
// The clocks stand still for the whole of one receive event, at the moment
// its bytes arrived: that moment is what a capture stores, so a replay of
// the capture (the same session on clocks set by hand) sees the times the
// live run saw, to the millisecond.
#pragma once

#include <deque>
#include <map>

#include <QObject>
#include <QString>
#include <cstdio>
#include <memory>

#include "alarms/recording_alarms.h"
#include "net/mqtt_client.h"
#include "net/publisher.h"
#include "readout/row_store.h"
#include "serial/capture.h"
#include "session/journal_pack.h"
#include "session/live_session.h"

namespace cellwatch {
class Journal;
}

namespace cellwatch::session {
class WatchSource;
class ReplaySource;
}  // namespace cellwatch::session

namespace cellwatch::logger {

class LogSession final : public QObject {
    Q_OBJECT
public:
    LogSession(const TickClock& ticks, const WallClock& wall, QObject* parent = nullptr);
    ~LogSession() override;

    // --- the source, opened before start() -----------------------------------
    // Opens the port: a path, a device name or a port list entry, mapped as
    // the window maps its port box (portToOpen). Throws std::runtime_error
    // naming the port and saying why when it names no port or cannot be
    // opened ("/dev/ttyUSB0: No such file or directory").
    void openPort(const QString& portText);
    // Watches a charger on a broker (throws net::MqttError when the client
    // cannot be set up); the client is there to wait for before start().
    session::WatchSource& watch(const net::MqttOptions& options);
    // Replays a capture (throws CaptureError when it is none).
    session::ReplaySource& replay(const QString& file, double speed);

    // Only the lines of `channel` (0: every channel's). A channel the
    // charger does not have ends the log with kExitUsage (start() refuses
    // to start, with this failure).
    void onlyChannel(int channel) { only_ = channel; }
    // Why onlyChannel() cannot be had; empty when it can.
    QString channelProblem();
    // Each channel from 2 on writes to an output of its own, opened by
    // `open` at its first line (nullptr, with why, when it cannot be: the
    // log ends with kExitFailure); `out` of start() is channel 1's. The
    // files stay the opener's.
    void setChannelOutputs(std::function<std::FILE*(int channel, QString& why)> open) {
        openChannel_ = std::move(open);
    }

    // Writes the header line to `out` and starts: a port's recording begins
    // now, a replay's and a watch's at their start. Returns false when the
    // header cannot be written (see failure()). `out` stays the caller's.
    bool start(std::FILE* out);

    // Ends the recording and closes the source; everything written is flushed.
    void stop();

    // Every received byte with its arrival, from start() on (the header when
    // the recording begins). A failed write ends the log with kExitFailure.
    void captureTo(CaptureWriter* capture) { session_.setCapture(capture); }
    // Each recording also goes to this journal (see readout/journal.h).
    void journalTo(std::unique_ptr<Journal> journal);
    Journal* journal() const { return journal_.get(); }
    // Each journal's pack (none: empty): its pack file is written as the
    // journal's first row comes, and a recording whose cells are not the
    // pack's count is a notice.
    void setPack(const PackInfo& pack) { pack_ = pack; }

    // `fd` becomes readable when the log is to end (Ctrl-C, SIGTERM). A line
    // for an output that takes nothing (a pipe whose reader does not read,
    // a stopped terminal) waits until it does or until then: the log can
    // always be ended. Without it (-1, the default) lines are written as
    // they come.
    void setStopSignal(int fd) { stopFd_ = fd; }

    bool running() const { return main_.file != nullptr; }
    // Why the log ended or could not start, for the error line; empty when
    // it was ended by the stop signal while its output took nothing.
    QString failure() const { return failure_; }
    // Lines owed to a full output when the log ends.
    std::size_t owedLines() const;
    // Why they are owed ("No space left on device", "File too large").
    QString owedWhy() const;
    int rowsWritten() const { return rowsWritten_; }

    // --- alarms ---
    void setAlarmSettings(const alarms::AlarmSettings& settings) {
        session_.setAlarmSettings(settings);
    }
    // Hears of each raised alarm and its channel, after its line is written.
    void setAlarmHandler(std::function<void(int channel, const alarms::Alarm&)> handler) {
        alarmHandler_ = std::move(handler);
    }

    session::LiveSession& session() { return session_; }
    Recording& recording() { return session_.recording(); }

    // --- over the network ---
    // From start() on, the recording is also published: the start, every
    // receive event, row and event. Stays the caller's.
    void publishTo(net::Publisher* publisher) { session_.setPublisher(publisher); }

signals:
    // The log ended by itself: kExitLost after the source went away,
    // kExitFailure when a line could not be written, kExitOk when the stop
    // signal came while a line waited or a replay reached its end. Delivered
    // from the event loop, never from inside the receive path.
    void finished(int status);
    // One line worth telling on standard error (a watch waiting for its
    // charger, a message skipped).
    void notice(const QString& text);

private:
    // Where lines go: their bytes, and those a full disk keeps back.
    struct Output {
        std::FILE* file = nullptr;
        // Lines a full disk or a file-size limit kept from the output,
        // written before the next one once there is room.
        std::deque<QByteArray> owed;
        QString owedWhy;  // ("No space left on device", "File too large")
    };

    void writeRow(int channel, int row);
    void writeAlarm(int channel, const alarms::Alarm& alarm);
    QString headerLine(bool prefixed) const;
    // The output of `channel`'s lines (opened at its first); nullptr when
    // it cannot be opened (the log ends).
    Output* outputOf(int channel);
    // A charger whose channels share one output: each line says its channel.
    bool prefixed() const { return only_ == 0 && !openChannel_ && session_.channelCount() > 1; }
    void checkChannel();
    // Writes and flushes one line; false when it fails (failure_ says why)
    // or the stop signal came while the output took nothing (failure_ empty).
    // A file that is full (or at its size limit) keeps the line owed instead:
    // said once, and written with those after it once there is room.
    bool put(Output& output, const QString& line);
    // Whether the output takes a line now, waiting until it does; false when
    // the stop signal comes first.
    bool outputReady(std::FILE* file) const;
    // Writes one line of `channel` (0: of the charger) while running; a
    // failed write ends the log.
    void writeLine(int channel, const QString& line);
    void finish(int status, const QString& why);

    void tagJournal(int channel, int row);

    std::unique_ptr<Journal> journal_;  // outlives the session, which ends it
    PackInfo pack_;
    std::map<int, session::JournalPack> journalPacks_;  // of each channel
    RowStore table_;
    session::LiveSession session_;
    std::unique_ptr<session::SessionSource> pending_;  // opened by start()

    QString portText_;  // as given to openPort
    int stopFd_ = -1;
    Output main_;  // running while it has a file
    std::map<int, Output> channelOutputs_;
    std::function<std::FILE*(int, QString&)> openChannel_;
    int only_ = 0;
    bool headerPrefixed_ = false;  // whether the header written names the channel
    int rowsWritten_ = 0;
    QString failure_;
    std::function<void(int, const alarms::Alarm&)> alarmHandler_;
};

}  // namespace cellwatch::logger
