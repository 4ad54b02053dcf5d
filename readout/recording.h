// A recording: the readings accepted since it started, with their time
// base. This is the live pipeline's engine, independent of any window:
//   AcceptSample  the pause test, the cell limit, then ApplySample (the
//                 driver delivers only plausible readings)
//   ApplySample   the reading's point (X: days since the start), the time
//                 window, the extremes of each curve, the axis scaling and
//                 one table row
//   ShowIdle      the resting look after a late message
//   restart       a pause of more than 4 seconds clears table and curves
// It keeps its own state (time base, the last row's elapsed time, each
// curve's extremes, the axes) and tells what happens: views (a window's
// chart, readouts, gauge and cell panel: recording_views.h) subscribe and
// draw themselves; the session hooks onto its events. A headless front end
// (the logger, a watcher, a report's replay) subscribes no view.
//
// Times: ConnectTicks and the elapsed time of each reading come from the
// 32-bit tick counter; the X values are the time of day minus
// RecordingStart, where the time of day is a full date-time (so a recording
// that runs past midnight keeps increasing) counted from RecordingStart on
// the tick counter (so a wall clock set back or forward moves nothing).
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "protocol/reading.h"
#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"
#include "readout/axis_scaler.h"
#include "readout/chart_surface.h"
#include "readout/recording_file.h"

namespace cellwatch {

class Recording;
class RowStore;

// The time of day.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual QDateTime now() const = 0;
};

class SystemWallClock final : public WallClock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A time of day that tests and simulations set by hand.
class ManualWallClock final : public WallClock {
public:
    explicit ManualWallClock(QDateTime start) : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    void set(QDateTime t) { now_ = std::move(t); }
    void advance(qint64 ms) { now_ = now_.addMSecs(ms); }

private:
    QDateTime now_;
};

// A view of a recording: told of every change, it draws itself from the
// reading and the recording's state (which already holds the change).
class RecordingView {
public:
    virtual ~RecordingView() = default;
    // The curves were emptied (a connect, a restart, a file shown): the idle
    // title of a reset, the time axis to timeAxisDays().
    virtual void reset(const Recording&) {}
    // The time axis changed alone (a recording taken up late).
    virtual void timeAxisChanged(const Recording&) {}
    // A reading was accepted: its point (lastPoint()), the time axis, the
    // vertical axes (axes()) and its row, already in the table.
    virtual void accepted(const Recording&, const Reading&) {}
    // The resting look after a late message.
    virtual void idle(const Recording&) {}
    // The curves of a recording read back, with their title.
    virtual void curvesShown(const Recording&, const RecordingCurves&, const QString&) {}
    // The language changed: an idle title follows.
    virtual void retitle() {}
};

// The Y values a curve took: the largest and smallest (NaN ignored).
struct CurveExtent {
    double min = 0;
    double max = 0;
    bool any = false;
    void add(double y);
    // 0 without values, as a chart's data maximum.
    double maxOrZero() const { return any ? max : 0; }
    double minOrZero() const { return any ? min : 0; }
};

inline constexpr double kTimeWindowInitialDays = 0.002;  // 172.8 s
inline constexpr double kTimeWindowStepDays = 0.005;     // 432 s
inline constexpr std::uint32_t kPauseLimitMs = 4000;

class Recording final : public DecoderHost {
public:
    // The session's hooks; views subscribe instead.
    struct Events {
        // The reading of the row about to be told (in the table already).
        std::function<void(const Reading&)> readingAccepted;
        std::function<void(int row)> rowAppended;  // row in the table's counting (1 = first)
        std::function<void()> idleShown;
        std::function<void()> restarting;  // the pause rule is about to clear the table
        std::function<void()> restarted;
    };

    Recording(RowStore& table, const TickClock& ticks, const WallClock& wall);
    ~Recording() override;

    Events& events() { return events_; }
    // A view, told of every change from now on; it lives as long as the recording.
    RecordingView& subscribe(std::unique_ptr<RecordingView> view);

    // --- the start and end of a recording --------------------------------------------
    void resetAxes() { axes_.reset(); }  // the axis maxima back to 0
    // ConnectTicks, an empty table, reset curves and a new time base.
    void begin();
    // Takes up a recording begun elsewhere (a watcher joining a publisher's
    // recording late): its time base (`connectTicks`, and the moment
    // `began` at ticks `beganTicks`) and its last row's texts, tab-joined
    // ("" for none), which the pause rule and the first new row go on from.
    // Call after begin(); the time axis is grown to the present.
    void continueFrom(std::uint32_t connectTicks, const QDateTime& began, std::uint32_t beganTicks,
                      const QString& lastRow);
    // Disconnecting ends the time base; table and curves stay.
    void end() { connectTicks_ = 0; }
    // Goes on with the recording that end() interrupted, on its time base
    // (`connectTicks` as it was then); table, curves and time window stay.
    void resume(std::uint32_t connectTicks) { connectTicks_ = connectTicks; }

    void SetUpTable();
    void ResetChart();
    void RestartRecording();

    // A recording read from a file, shown while not connected as if it had
    // just been recorded: its rows in the table, its curves (X = days since
    // its first row), the time axis grown over all of it in the live steps,
    // the vertical axes scaled and `title` as the chart's title. Returns
    // false when cancelled; table and curves are empty then.
    bool showRecording(const RecordingFile& file, const QString& title,
                       const LoadProgress& progress = {});
    // The same for a file whose rows are already in the table (read in the
    // same pass as the file): the curves only.
    void showRecordingChart(const RecordingFile& file, const QString& title);
    // The curves part of that: the curves, the time axis, the vertical axes
    // and the title (the table is left as it is).
    void showCurves(const RecordingCurves& curves, const QString& title);

    // --- the decoders' host -----------------------------------------------------------------
    std::uint32_t connectTicks() const override { return connectTicks_; }
    // The ticks at recordingStart().
    std::uint32_t startTicks() const { return startTicks_; }
    // The largest capacity of the curve so far.
    Decimal capacityDataMax() const override;
    void showIdle() override { ShowIdle(); }
    // A driver's reading that is not idle.
    void acceptReading(Reading& reading) override { AcceptSample(reading); }

    void ShowIdle();
    void AcceptSample(Reading& reading);
    // A language switch: an idle title of a reset, while it shows, is
    // written again in the language asked for now.
    void retitleIdle();
    void ApplySample(Reading& reading);

    // --- state, for the views, the window and tests --------------------------------------
    // In the wall clock's own time zone.
    QDateTime recordingStart() const { return startAsGiven_; }
    QDateTime timeWindowEnd() const {
        return startAsGiven_.addMSecs(recordingStart_.msecsTo(timeWindowEnd_));
    }
    // The time axis's end, in days from its start.
    double timeAxisDays() const { return timeAxisDays_; }
    // The last accepted reading's point: X (days since the start) and the
    // Y of each curve (kSeriesVoltage ...: V, |A|, mAh, external °C).
    double lastX() const { return lastX_; }
    double lastPoint(int series) const { return lastY_[static_cast<std::size_t>(series)]; }
    // Each curve's values since its last reset.
    const CurveExtent& extent(int series) const {
        return extents_[static_cast<std::size_t>(series)];
    }
    const AxisScaler& axes() const { return axes_; }
    RowStore& table() { return table_; }
    const RowStore& table() const { return table_; }
    // Rows of the present recording, and the elapsed seconds its last row
    // shows (none when it shows no time), which the pause rule goes by.
    int rows() const { return rows_; }
    std::optional<std::uint32_t> lastRowSeconds() const { return lastRowSeconds_; }

    // The present time of day as the recording counts it: its start plus the
    // tick clock since then. The wall clock is read for the start only, so
    // setting it back or forward (a time-zone change, a clock sync) moves no
    // point; it still names dates and files.
    QDateTime presentTime() const;

private:
    double daysSinceStart(const QDateTime& t) const;
    void startAt(const QDateTime& now);
    // The rows and last elapsed time as the table now holds them (a file read
    // into it, a row taken up).
    void takeRowsFromTable();
    void scaleAxes();
    template <typename F>
    void tell(F&& f) {
        for (const std::unique_ptr<RecordingView>& view : views_) {
            f(*view);
        }
    }

    RowStore& table_;
    const TickClock& ticks_;
    const WallClock& wall_;
    AxisScaler axes_;
    Events events_;
    std::vector<std::unique_ptr<RecordingView>> views_;

    std::uint32_t connectTicks_ = 0;
    std::uint32_t startTicks_ = 0;  // the tick count at recordingStart_
    QDateTime recordingStart_;      // in UTC
    QDateTime startAsGiven_;        // the same moment as the wall clock gave it
    QDateTime timeWindowEnd_;       // in UTC
    double timeAxisDays_ = 0;
    double lastX_ = 0;
    std::array<double, kSeriesCount> lastY_{};
    std::array<CurveExtent, kSeriesCount> extents_{};
    int rows_ = 0;
    std::optional<std::uint32_t> lastRowSeconds_;
};

// The X value of a moment: days since a start, to the millisecond.
double daysBetween(const QDateTime& from, const QDateTime& to);

}  // namespace cellwatch
