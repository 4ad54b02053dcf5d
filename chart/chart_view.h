// The window's chart: four line series against elapsed time (days) on a
// left, a right and two stacked extra right-hand axes, drawn with QCustomPlot.
//
// Layout: the main axis rect carries the bottom (time), left (voltage) and
// right (current) axes. Capacity and temperature each live in an axis rect of
// their own, placed in the main rect's inset layout over the upper 0-48 % and
// the lower 51-100 % of the plot area; their right axes are pushed outwards
// past the right axis's labels, and their hidden key axes follow the bottom
// axis's range. The right margin of the main rect is sized on every layout
// pass so that all three right-hand axes fit.
//
// Cost: appending a point is O(1); the data maximum and minimum of each
// series are kept as points arrive. The points live in a SeriesEnvelope per
// curve, and the graph draws only the envelope's points for the present
// width and time range (about four per pixel column for each stretch of the
// curve that reaches into the range), so drawing costs the same at a million
// points as at ten thousand. Changes ask for a replot; replots come at most
// every kMinReplotIntervalMs, so a burst of changes, or a charger sending
// many messages a second, draws a few times a second. A replot asked for
// joins the window's next paint (a sample's texts) once half the interval
// has passed, instead of waking the program for a paint pass of its own.
// The curves have a drawing layer of their own: while the axes show what
// they showed at the last full replot and nothing else changed, new points
// redraw only that layer (the axes, their labels, the grid and the title,
// which cost most, stay as drawn). And a point that lands on pixels its curve
// already covers (the same pixel column, between the lowest and highest row
// drawn there: a steady value, or a value wavering inside one column) asks
// for no replot at all.
#pragma once

#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "chart/window_paint_hook.h"
#include "readout/chart_surface.h"

class QCustomPlot;
class QCPLayer;
class QCPAxis;
class QCPAxisRect;
class QCPGraph;
class QCPItemStraightLine;
class QCPTextElement;

namespace cellwatch {

class ChartAxisRect;
class EnvelopeGraph;
class SeriesEnvelope;

class ChartView : public QWidget, public ChartSurface {
    Q_OBJECT

public:
    // The shortest time between two replots that follow changes.
    static constexpr int kMinReplotIntervalMs = 200;

    explicit ChartView(QWidget* parent = nullptr);
    ~ChartView() override;

    ChartView(const ChartView&) = delete;
    ChartView& operator=(const ChartView&) = delete;

    // The plot, for saving, copying and printing. It has no legend
    // (plot()->legend is null).
    QCustomPlot* plot() const { return plot_; }
    // The QCustomPlot axis behind an axis, and the graph behind a series
    // (nullptr for a series out of range).
    QCPAxis* axis(ChartAxis which) const;
    QCPGraph* graph(int series) const;

    // The chart as it looks, at the given size in pixels (0: the present size).
    QPixmap toPixmap(int width = 0, int height = 0);

    // ChartSurface. A series index outside 0..3 is ignored (reads give 0).
    // An X below the series' last X starts a new stretch of the curve, drawn
    // at its own X as a line of its own; a NaN X is taken as the last X (0
    // for the first point). Appending stays O(1).
    void addPoint(int series, double x, double y) override;
    void clearSeries(int series) override;
    // Keeps the first `count` points of a series; its extremes are found
    // again from the points kept (O(points)).
    void truncateSeries(int series, std::size_t count);
    void setSeriesActive(int series, bool active) override;
    bool seriesActive(int series) const override;
    std::size_t pointCount(int series) const override;
    double pointX(int series, std::size_t index) const override;        // 0 out of range
    std::vector<std::size_t> stretchStarts(int series) const override;  // O(stretches)
    double pointY(int series, std::size_t index) const;                 // 0 out of range

    // The range is kept as given; a range of no width (min = max, as the
    // axis scaling gives for all-zero data) is drawn one unit wide above min
    // (one second for the time axis).
    void setAxisRange(ChartAxis axis, double min, double max) override;
    AxisRange axisRange(ChartAxis axis) const override;
    // While the view is held (zoomed or panned by the user), the ranges
    // set are kept for axisRange but the axes stay as they are.
    void setViewHeld(bool held) { viewHeld_ = held; }
    bool viewHeld() const { return viewHeld_; }
    // For the bottom axis: the largest and smallest X of all series
    // (O(stretches)).
    double dataMax(ChartAxis axis) const override;
    double dataMin(ChartAxis axis) const override;
    // Data drawn besides the chart's own series (other recordings laid over
    // it) that the data maximum and minimum take in: its extent on an axis,
    // none when it has nothing there.
    using ExtraExtent = std::function<std::optional<AxisRange>(ChartAxis)>;
    void setExtraExtent(ExtraExtent extent) { extraExtent_ = std::move(extent); }
    // The bottom axis keeps its title text but never shows it.
    void setAxisTitle(ChartAxis axis, const QString& title) override;
    QString axisTitle(ChartAxis axis) const override;

    void removeTitleLine(int index) override;
    void clearTitle() override;
    void addTitleLine(const QString& text) override;
    QStringList titleLines() const override;

    void setCursorActive(bool active) override;
    bool cursorActive() const override;

    double xAtPixel(double pixelX) const override;

    void repaint() override;
    // A full replot, throttled as changes are (for parts laid onto the plot).
    void requestFullReplot() { requestReplot(); }
    void setAutoRepaint(bool on) override;
    bool autoRepaint() const { return autoRepaint_; }

    // The replot throttle's timer and clock, for tests to hold, step and set:
    // the clock gives milliseconds on any steady scale (the machine's
    // monotonic clock unless set). A test that holds the timer and sets the
    // clock decides itself when kMinReplotIntervalMs has passed.
    SteppableTimer& replotTimer() { return replotTimer_; }
    void setThrottleClock(std::function<qint64()> nowMs);

signals:
    // Every mouse movement over the chart, in chart pixels.
    void mouseMoved(Qt::KeyboardModifiers modifiers, int x, int y);
    // A curve switch: a series shown or hidden.
    void seriesActiveChanged(int series, bool active);
    // New points were drawn without a full replot (which QCustomPlot
    // announces itself, by afterReplot).
    void curvesRedrawn();

private:
    // Where the newest points of a curve are drawn, in device pixels: the
    // column of the last point and the rows the curve covers in it.
    struct DrawnTip {
        int column = 0;
        int low = 0;
        int high = 0;
        bool valid = false;
    };

    struct SeriesExtent {
        double min = 0;
        double max = 0;
        bool any = false;
    };

    // Asks for a full replot.
    void requestReplot();
    // Asks for the curves to be drawn again; a full replot if anything else
    // changed meanwhile.
    void requestCurvesReplot();
    void replotNow();
    // Before the window paints: the replot asked for, if not too soon.
    void replotWithWindow();
    // The throttle's time since the last replot, and the note of one.
    qint64 msSinceReplot() const;
    void noteReplot() { lastReplotMs_ = nowMs_(); }
    // The lower and upper ends of the five axes' ranges.
    std::array<double, 10> shownRanges() const;
    // Whether a new point changes what the curve shows (noting where it is).
    bool changesPicture(int series, double x, double y);
    // Notes the strip of the plot a new point changes (with the line from
    // the point before it at `fromX`, if one is drawn).
    void markCurvesDirty(int series, std::optional<double> fromX, double x, double y);
    void onMouseMove(Qt::KeyboardModifiers modifiers, QPointF position);
    void placeCursor(QPointF position);
    void showTitle();
    double joinExtra(ChartAxis axis, double own, bool max) const;

    QCustomPlot* plot_ = nullptr;
    QCPLayer* curves_ = nullptr;  // the curves' own buffered layer
    ChartAxisRect* mainRect_ = nullptr;
    std::array<QCPAxisRect*, 2> stackedRects_{};  // capacity, temperature
    std::array<EnvelopeGraph*, kSeriesCount> graphs_{};
    std::array<SeriesExtent, kSeriesCount> extents_{};
    std::array<AxisRange, 5> ranges_{};
    QString bottomTitle_;
    ExtraExtent extraExtent_;
    QCPTextElement* title_ = nullptr;
    QStringList titleLines_;
    QCPItemStraightLine* cursorVertical_ = nullptr;
    QCPItemStraightLine* cursorHorizontal_ = nullptr;
    bool cursorActive_ = false;
    bool cursorPlaced_ = false;
    bool autoRepaint_ = true;
    bool viewHeld_ = false;
    SteppableTimer replotTimer_{[this] { replotNow(); }};
    WindowPaintHook* paintHook_ = nullptr;
    std::function<qint64()> nowMs_;
    std::optional<qint64> lastReplotMs_;  // on nowMs_
    bool fullReplotDue_ = true;
    // As the last full replot drew them.
    std::array<double, 10> replottedRanges_{};
    QString replottedTitle_;
    std::array<DrawnTip, kSeriesCount> tips_{};
    // What the curves' next redraw must bring to the window: the strips new
    // points changed, or (after points that were not tracked) all of it.
    QRegion curvesDirty_;
    bool curvesWhollyDirty_ = false;
};

}  // namespace cellwatch
