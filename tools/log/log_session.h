// A live recording without a window, written as text lines.
//
// The chain is the window's: serial port -> receive path -> decoders ->
// recording, over a chart that keeps no points and readouts that show
// nothing. The recording's events become lines on a stdio stream, each
// written whole and flushed at once:
//   - the header line: the table's 22 column headers, tab-separated;
//   - one line per recorded row: its 22 table texts, tab-separated;
//   - "# idle", "# restart" and "# lost" for the idle state, a restarted
//     recording and a vanished port;
//   - "# alarm KIND: TEXT" for each raised alarm, after the row that raised
//     it (see alarms/alarm_rules.h); the time rules are looked at on every
//     receive event and on a timer in between.
// Texts are UTF-8.
//
// The chart keeps no points; the table keeps the rows of the current
// recording (compactly, as the window's does), since the pause rule reads
// the last one back. A restart empties it.
//
// The clocks stand still for the whole of one receive event, at the moment
// its bytes arrived: that moment is what a capture stores, so a replay of
// the capture (the same session on clocks set by hand) sees the times the
// live run saw, to the millisecond.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "alarms/recording_alarms.h"
#include "net/publisher.h"
#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"
#include "readout/recording.h"
#include "readout/row_store.h"
#include "readout/summary_chart.h"
#include "serial/capture.h"
#include "serial/receive_assembler.h"
#include "serial/serial_link.h"
#include "tools/log/null_readout.h"

namespace cellwatch::logger {

// A tick counter and wall clock that can be held at one moment.
class HeldClocks final : public TickClock, public WallClock {
public:
    HeldClocks(const TickClock& ticks, const WallClock& wall) : ticks_(ticks), wall_(wall) {}

    std::uint32_t tickCount() const override { return held_ ? heldTicks_ : ticks_.tickCount(); }
    QDateTime now() const override { return held_ ? heldWall_ : wall_.now(); }

    // Reads the clocks once and answers with that moment until release().
    void hold();
    void release() { held_ = false; }

private:
    const TickClock& ticks_;
    const WallClock& wall_;
    bool held_ = false;
    std::uint32_t heldTicks_ = 0;
    QDateTime heldWall_;
};

class LogSession final : public QObject, private ReceiveTap {
    Q_OBJECT
public:
    LogSession(const TickClock& ticks, const WallClock& wall, QObject* parent = nullptr);
    ~LogSession() override;

    // Opens the port: a path, a device name or a port list entry, mapped as
    // the window maps its port box (portToOpen). Throws std::runtime_error
    // naming the port and saying why when it names no port or cannot be
    // opened ("/dev/ttyUSB0: No such file or directory").
    void openPort(const QString& portText);

    // Writes the header line to `out` and starts a recording, as connecting
    // does. Returns false when the header cannot be written (see failure()).
    // `out` stays the caller's.
    bool start(std::FILE* out);

    // Ends the recording and closes the port; everything written is flushed.
    void stop();

    // From start() on, every byte received from the port is written to
    // `capture` with its arrival (the header when the recording begins). A
    // failed write ends the log with kExitFailure. Stays the caller's.
    void captureTo(CaptureWriter* capture) { capture_ = capture; }

    // `fd` becomes readable when the log is to end (Ctrl-C, SIGTERM). A line
    // for an output that takes nothing (a pipe whose reader does not read,
    // a stopped terminal) waits until it does or until then: the log can
    // always be ended. Without it (-1, the default) lines are written as
    // they come.
    void setStopSignal(int fd) { stopFd_ = fd; }

    bool running() const { return out_ != nullptr; }
    // Why the log ended or could not start, for the error line; empty when
    // it was ended by the stop signal while its output took nothing.
    QString failure() const { return failure_; }
    int rowsWritten() const { return rowsWritten_; }

    // --- alarms ---
    void setAlarmSettings(const alarms::AlarmSettings& settings) {
        alarms_.monitor().setSettings(settings);
    }
    // Hears of each raised alarm, after its line is written.
    void setAlarmHandler(std::function<void(const alarms::Alarm&)> handler) {
        alarmHandler_ = std::move(handler);
    }
    // How often the time rules are looked at between receive events.
    static constexpr int kAlarmClockMs = 200;

    Recording& recording() { return recording_; }

    // --- over the network ---
    // From start() on, the recording is also published: the start, every
    // receive event, row and event. Stays the caller's.
    void publishTo(net::Publisher* publisher) { publisher_ = publisher; }
    // Watching a charger on a broker: a new recording begins on the clocks
    // as they stand (at the publisher's start).
    void beginRemote();
    // Watching: the link is lost; "# lost" ends the log with kExitLost.
    void remoteLost(const QString& why);
    ReceiveAssembler& receivePath() { return assembler_; }

signals:
    // The log ended by itself: kExitLost after the port went away,
    // kExitFailure when a line could not be written, kExitOk when the stop
    // signal came while a line waited. Delivered from the event loop, never
    // from inside the receive path.
    void finished(int status);

private:
    void received(std::span<const std::uint8_t> bytes) override;
    void serviced() override { clocks_.release(); }

    void writeRow(int row);
    void writeAlarm(const alarms::Alarm& alarm);
    // Writes and flushes one line; false when it fails (failure_ says why)
    // or the stop signal came while the output took nothing (failure_ empty).
    bool put(const QString& line);
    // Whether the output takes a line now, waiting until it does; false when
    // the stop signal comes first.
    bool outputReady() const;
    // Writes one line while running; a failed write ends the log.
    void writeLine(const QString& line);
    void finish(int status, const QString& why);

    // Over the network.
    void publishRow(int row);
    void publishEvent(const QString& name);
    net::Publisher* publisher_ = nullptr;

    HeldClocks clocks_;
    SummaryChart chart_;
    RowStore table_;
    NullReadoutView view_;
    Recording recording_;
    alarms::RecordingAlarms alarms_;
    StatusDecoder decoder_;
    ReceiveAssembler assembler_;
    SerialLink link_;

    QString portText_;  // as given to openPort
    int stopFd_ = -1;
    std::FILE* out_ = nullptr;
    CaptureWriter* capture_ = nullptr;
    int rowsWritten_ = 0;
    QString failure_;

    // --- alarms ---
    QTimer alarmClock_;
    std::function<void(const alarms::Alarm&)> alarmHandler_;
};

}  // namespace cellwatch::logger
