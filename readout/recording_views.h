// The views a window subscribes to its recording: the chart, the readouts,
// the power gauge and the cell panel. Each draws itself from what the
// recording tells it; a headless front end subscribes none.
#pragma once

#include <QString>
#include <functional>
#include <type_traits>

#include "readout/chart_surface.h"
#include "readout/readout_view.h"
#include "readout/recording.h"

namespace cellwatch {

// The chart: a point per curve for each reading, the time axis, the title
// (battery type/state, "Idle", or the file's title) and the vertical axes
// as the recording scaled them.
class RecordingChart final : public RecordingView {
public:
    // `idleTitle` gives the title of a reset (the window's "Idle", in its
    // language); it is asked anew at every reset and retitle.
    explicit RecordingChart(ChartSurface& chart, std::function<QString()> idleTitle = {});

    void reset(const Recording& recording) override;
    void timeAxisChanged(const Recording& recording) override;
    void accepted(const Recording& recording, const Reading& reading) override;
    void idle(const Recording& recording) override;
    void curvesShown(const Recording& recording, const RecordingCurves& curves,
                     const QString& title) override;
    void retitle() override;

private:
    QString resetTitle() const;

    ChartSurface& chart_;
    std::function<QString()> idleTitle_;
    bool resetTitleShown_ = false;  // the title is the idle title of a reset
};

// The legend values and the large readouts for every reading, the detail
// readouts too unless the cross-line cursor holds them; the zeroed look of
// the idle state.
class RecordingReadouts final : public RecordingView {
public:
    explicit RecordingReadouts(ReadoutView& view) : view_(view) {}

    void accepted(const Recording& recording, const Reading& reading) override;
    void idle(const Recording& recording) override;

private:
    ReadoutView& view_;
    // Whether the last reading had an external temperature: idle shows 0
    // only for a charger that reports one.
    bool external_ = false;
};

// The power gauge: |V x I| of every reading, 0 when idle.
class RecordingGauge final : public RecordingView {
public:
    explicit RecordingGauge(PowerGaugeControl& gauge) : gauge_(gauge) {}

    void accepted(const Recording& recording, const Reading& reading) override;
    void idle(const Recording& recording) override;

private:
    PowerGaugeControl& gauge_;
};

// The cell panel: every reading's cells, unless `held` (the cross-line
// cursor holds the panel on a recorded row).
class RecordingCellPanel final : public RecordingView {
public:
    RecordingCellPanel(CellPanelView& panel, std::function<bool()> held)
        : panel_(panel), held_(std::move(held)) {}

    void accepted(const Recording& recording, const Reading& reading) override;

private:
    CellPanelView& panel_;
    std::function<bool()> held_;
};

// Subscribes all four to `recording`, the gauge and the cell panel being
// the readout view's.
void showOn(Recording& recording, ChartSurface& chart, ReadoutView& view,
            std::function<QString()> idleTitle);

}  // namespace cellwatch
