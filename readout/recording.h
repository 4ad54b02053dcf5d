// A recording: the samples accepted since it started, with their time base.
//
// This is the live readout's whole pipeline, independent of any window:
//   acceptSample  plausibility, the pause test, the cell limit, then applySample
//   applySample   four chart points, the time window, the chart title, the
//                 axis scaling, every readout, the gauge, the cell panel
//                 (unless the cursor holds them) and one table row
//   showIdle      the resting look after a late message
//   restart       a pause of more than 4 seconds clears table and chart
// The main window gives it its chart, table and readouts; the headless
// logger gives it a chart that keeps no points and readouts that show
// nothing. Both observe it through its events.
//
// Times: ConnectTicks and the elapsed time of each sample come from the
// 32-bit tick counter; the chart's X values are the time of day minus
// RecordingStart, where the time of day is a full date-time (so a recording
// that runs past midnight keeps increasing) counted from RecordingStart on
// the tick counter (so a wall clock set back or forward moves nothing).
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"
#include "readout/axis_scaler.h"
#include "readout/chart_surface.h"
#include "readout/recording_file.h"

namespace cellwatch {

class CellPanelView;
class RowStore;
class PowerGaugeControl;

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

// What the window shows besides chart and table.
class ReadoutView {
public:
    virtual ~ReadoutView() = default;
    // True while the cross-line cursor holds the detail readouts and the cell panel.
    virtual bool cursorHold() const = 0;
    virtual void setReadout(int label3Index, const QString& text) = 0;       // Label3(i)
    virtual void setLargeReadout(int label2Index, const QString& text) = 0;  // Label2(i)
    virtual void fitReadouts() = 0;
    virtual PowerGaugeControl& gauge() = 0;
    virtual CellPanelView& cellPanel() = 0;
};

// Indexes of the readouts.
namespace readouts {
inline constexpr int kLegendVoltage = 15, kLegendCurrent = 14, kLegendCapacity = 2,
                     kLegendExternal = 1;
inline constexpr int kInputVoltage = 16, kState = 23, kBatteryType = 22, kCellCount = 21,
                     kVoltage = 20, kCurrent = 19, kInternal = 18, kPower = 17, kElapsed = 24,
                     kCapacity = 0, kExternal = 3;
inline constexpr int kLargeCurrent = 0, kLargeVoltage = 1, kLargeCapacity = 2;
}  // namespace readouts

inline constexpr double kTimeWindowInitialDays = 0.002;  // 172.8 s
inline constexpr double kTimeWindowStepDays = 0.005;     // 432 s
inline constexpr std::uint32_t kPauseLimitMs = 4000;

class Recording final : public DecoderHost {
public:
    struct Events {
        std::function<void(int row)> rowAppended;  // row in the table's counting (1 = first)
        std::function<void()> idleShown;
        std::function<void()> restarting;  // the pause rule is about to clear the table
        std::function<void()> restarted;
    };

    // `chineseTitle` tells whether the idle title of a chart reset is written
    // in Chinese; it is asked anew at every reset.
    Recording(ChartSurface& chart, RowStore& table, ReadoutView& view, const TickClock& ticks,
              const WallClock& wall, std::function<bool()> chineseTitle);

    Events& events() { return events_; }

    // --- the start and end of a recording --------------------------------------------
    void resetAxes() { axes_.reset(); }  // the axis maxima back to 0
    // ConnectTicks, an empty table, a reset chart and a new time base.
    void begin();
    // Takes up a recording begun elsewhere (a watcher joining a publisher's
    // recording late): its time base (`connectTicks`, and the moment
    // `began` at ticks `beganTicks`) and its last row's texts, tab-joined
    // ("" for none), which the pause rule and the first new row go on from.
    // Call after begin(); the chart's time axis is grown to the present.
    void continueFrom(std::uint32_t connectTicks, const QDateTime& began, std::uint32_t beganTicks,
                      const QString& lastRow);
    // Disconnecting ends the time base; table and chart stay.
    void end() { connectTicks_ = 0; }
    // Goes on with the recording that end() interrupted, on its time base
    // (`connectTicks` as it was then); table, chart and time window stay.
    void resume(std::uint32_t connectTicks) { connectTicks_ = connectTicks; }

    void SetUpTable();
    void ResetChart();
    void RestartRecording();

    // A recording read from a file, shown while not connected as if it had
    // just been recorded: its rows in the table, its curves in the chart
    // (X = days since its first row), the time axis grown over all of it in
    // the live steps, the vertical axes scaled and `title` as the chart's
    // title. Returns false when cancelled; table and chart are empty then.
    bool showRecording(const RecordingFile& file, const QString& title,
                       const LoadProgress& progress = {});
    // The same for a file whose rows are already in the table (read in the
    // same pass as the file): the chart only.
    void showRecordingChart(const RecordingFile& file, const QString& title);
    // The chart part of that: the curves, the time axis, the vertical axes
    // and the title (the table is left as it is).
    void showCurves(const RecordingCurves& curves, const QString& title);

    // --- the decoders' host -----------------------------------------------------------------
    std::uint32_t connectTicks() const override { return connectTicks_; }
    // The ticks at recordingStart().
    std::uint32_t startTicks() const { return startTicks_; }
    Decimal capacityDataMax() const override;
    void showIdle() override { ShowIdle(); }
    void acceptSample(StatusSample& sample) override { AcceptSample(sample); }

    void ShowIdle();
    void AcceptSample(StatusSample& sample);
    // A language switch: the idle title of a chart reset, while the chart
    // still shows it, is written again in the language asked for now.
    void retitleIdle();
    void ApplySample(StatusSample& sample);

    // --- state, for the window and tests -------------------------------------------------
    // In the wall clock's own time zone.
    QDateTime recordingStart() const { return startAsGiven_; }
    QDateTime timeWindowEnd() const {
        return startAsGiven_.addMSecs(recordingStart_.msecsTo(timeWindowEnd_));
    }
    const AxisScaler& axes() const { return axes_; }
    ChartSurface& chart() { return chart_; }
    RowStore& table() { return table_; }

    // The present time of day as the recording counts it: its start plus the
    // tick clock since then. The wall clock is read for the start only, so
    // setting it back or forward (a time-zone change, a clock sync) moves no
    // point; it still names dates and files.
    QDateTime presentTime() const;

private:
    QString resetTitle() const;
    double daysSinceStart(const QDateTime& t) const;
    void startAt(const QDateTime& now);

    ChartSurface& chart_;
    RowStore& table_;
    ReadoutView& view_;
    const TickClock& ticks_;
    const WallClock& wall_;
    std::function<bool()> chineseTitle_;
    AxisScaler axes_;
    Events events_;

    bool resetTitleShown_ = false;  // the title is the idle title of ResetChart
    std::uint32_t connectTicks_ = 0;
    std::uint32_t startTicks_ = 0;  // the tick count at recordingStart_
    QDateTime recordingStart_;      // in UTC
    QDateTime startAsGiven_;        // the same moment as the wall clock gave it
    QDateTime timeWindowEnd_;       // in UTC
};

// The X value of a moment: days since a start, to the millisecond.
double daysBetween(const QDateTime& from, const QDateTime& to);

}  // namespace cellwatch
