#include "readout/recording.h"
#include "readout/row_readouts.h"

#include <algorithm>
#include <cmath>

#include "protocol/sample_text.h"
#include "readout/cell_panel.h"
#include "readout/gauge_settings.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr qint64 kDayMs = 86'400'000;
constexpr double kDayMsDouble = 86'400'000.0;
constexpr qint64 kTimeWindowInitialMs = 172'800;  // 0.002 day
constexpr qint64 kTimeWindowStepMs = 432'000;     // 0.005 day
constexpr std::uint32_t kFirstRowElapsedMs = 1000;

// Plausibility limits; every comparison is strict.
const Decimal kMaxTemperature = Decimal::fromInt(100);
const Decimal kMaxVoltage = Decimal::fromInt(50);
const Decimal kMaxCellVoltage = Decimal::fromInt(5);

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

double daysBetween(const QDateTime& from, const QDateTime& to) {
    return static_cast<double>(from.msecsTo(to)) / static_cast<double>(kDayMs);
}

Recording::Recording(ChartSurface& chart, RowStore& table, ReadoutView& view,
                     const TickClock& ticks, const WallClock& wall,
                     std::function<bool()> chineseTitle)
    : chart_(chart),
      table_(table),
      view_(view),
      ticks_(ticks),
      wall_(wall),
      chineseTitle_(std::move(chineseTitle)) {}

Decimal Recording::capacityDataMax() const {
    // Capacities are whole numbers, exact in a double.
    return Decimal::fromInt(std::llround(chart_.dataMax(ChartAxis::Capacity)));
}

void Recording::begin() {
    connectTicks_ = ticks_.tickCount();
    SetUpTable();
    ResetChart();
    startAt(wall_.now());
    timeWindowEnd_ = recordingStart_.addMSecs(kTimeWindowInitialMs);
}

void Recording::continueFrom(std::uint32_t connectTicks, const QDateTime& began,
                             std::uint32_t beganTicks, const QString& lastRow) {
    connectTicks_ = connectTicks;
    recordingStart_ = began.toUTC();
    startAsGiven_ = began;
    startTicks_ = beganTicks;
    // The clocks may stand before the recording's start (at its connection's
    // start, no record played yet): the present is then its start.
    const auto sinceBegan = static_cast<std::int32_t>(ticks_.tickCount() - beganTicks);
    const QDateTime present = recordingStart_.addMSecs(std::max(0, sinceBegan));
    timeWindowEnd_ = recordingStart_.addMSecs(kTimeWindowInitialMs);
    while (present.msecsTo(timeWindowEnd_) < kTimeWindowInitialMs) {
        timeWindowEnd_ = timeWindowEnd_.addMSecs(kTimeWindowStepMs);
    }
    chart_.setAxisRange(ChartAxis::Bottom, 0, daysSinceStart(timeWindowEnd_));
    if (!lastRow.isEmpty()) {
        table_.appendTabText(lastRow);
    }
}

void Recording::startAt(const QDateTime& now) {
    // Kept in UTC: arithmetic on local times asks the C library for the
    // zone (and so the disk) at every step, several times a sample.
    recordingStart_ = now.toUTC();
    startAsGiven_ = now;
    startTicks_ = ticks_.tickCount();
}

QDateTime Recording::presentTime() const {
    return recordingStart_.addMSecs(ticksBetween(startTicks_, ticks_.tickCount()));
}

void Recording::SetUpTable() {
    table_.clear();
}

QString Recording::resetTitle() const {
    const bool chinese = chineseTitle_ && chineseTitle_();
    return chinese ? QString::fromUtf8("空闲") : QStringLiteral("Idle");
}

void Recording::retitleIdle() {
    if (resetTitleShown_) {
        chart_.removeTitleLine(0);
        chart_.addTitleLine(resetTitle());
    }
}

void Recording::ResetChart() {
    chart_.removeTitleLine(0);
    chart_.addTitleLine(resetTitle());
    resetTitleShown_ = true;
    for (int series = 0; series < kSeriesCount; ++series) {
        chart_.clearSeries(series);
    }
    const QDateTime now = wall_.now().toUTC();
    timeWindowEnd_ = now.addMSecs(kTimeWindowInitialMs);
    chart_.setAxisRange(ChartAxis::Bottom, 0, daysBetween(now, timeWindowEnd_));
    chart_.setAutoRepaint(true);
}

void Recording::RestartRecording() {
    if (events_.restarting) {
        events_.restarting();
    }
    connectTicks_ = ticks_.tickCount();
    table_.setGridRowCount(1);
    ResetChart();
    startAt(wall_.now());
    timeWindowEnd_ = recordingStart_.addMSecs(kTimeWindowInitialMs);
    if (events_.restarted) {
        events_.restarted();
    }
}

bool Recording::showRecording(const RecordingFile& file, const QString& title,
                              const LoadProgress& progress) {
    connectTicks_ = 0;
    axes_.reset();
    ResetChart();
    if (!file.fillTable(table_, progress)) {
        ResetChart();
        return false;
    }
    showCurves(file.curves(), title);
    return true;
}

void Recording::showRecordingChart(const RecordingFile& file, const QString& title) {
    connectTicks_ = 0;
    axes_.reset();
    ResetChart();
    showCurves(file.curves(), title);
}

void Recording::showCurves(const RecordingCurves& c, const QString& title) {
    chart_.setAutoRepaint(false);
    for (std::size_t i = 0; i < c.days.size(); ++i) {
        chart_.addPoint(kSeriesVoltage, c.days[i], c.voltage[i]);
        chart_.addPoint(kSeriesCurrent, c.days[i], c.current[i]);
        chart_.addPoint(kSeriesCapacity, c.days[i], c.capacity[i]);
        chart_.addPoint(kSeriesTemperature, c.days[i], c.external[i]);
    }
    // The latest time of a row (rows without a time, such as an empty last
    // row of a spreadsheet's file, have none).
    double last = 0;
    for (auto day = c.days.rbegin(); day != c.days.rend(); ++day) {
        if (std::isfinite(*day)) {
            last = *day;
            break;
        }
    }
    // As live: at least kTimeWindowInitialDays left after the last point.
    const double window =
        kTimeWindowInitialDays +
        kTimeWindowStepDays * std::ceil(std::max(last, 0.0) / kTimeWindowStepDays);
    startAt(wall_.now());
    timeWindowEnd_ = recordingStart_.addMSecs(std::llround(window * kDayMsDouble));
    chart_.setAxisRange(ChartAxis::Bottom, 0, window);
    chart_.clearTitle();
    chart_.addTitleLine(title);
    resetTitleShown_ = false;
    axes_.scaleAxes(chart_);
    chart_.setAutoRepaint(true);
}

void Recording::ShowIdle() {
    startAt(wall_.now());
    timeWindowEnd_ = recordingStart_.addMSecs(kTimeWindowInitialMs);
    chart_.removeTitleLine(0);
    chart_.addTitleLine(QStringLiteral("Idle"));
    resetTitleShown_ = false;
    view_.setReadout(readouts::kLegendVoltage, QStringLiteral("0.00"));
    view_.setReadout(readouts::kLegendCurrent, QStringLiteral("0.00"));
    view_.setReadout(readouts::kLegendCapacity, QStringLiteral("0"));
    view_.setReadout(readouts::kLegendExternal, QStringLiteral("0"));
    view_.setLargeReadout(readouts::kLargeVoltage, QStringLiteral("0.00V"));
    view_.setLargeReadout(readouts::kLargeCurrent, QStringLiteral("0.00A"));
    view_.setLargeReadout(readouts::kLargeCapacity, QStringLiteral("0mAH"));
    PowerGaugeControl& gauge = view_.gauge();
    gauge.setMode(1);
    gauge.setCaption(QStringLiteral("0"));
    gauge.setValue(0);
    if (events_.idleShown) {
        events_.idleShown();
    }
}

void Recording::AcceptSample(StatusSample& s) {
    if (s.extTemperature > kMaxTemperature || s.intTemperature > kMaxTemperature ||
        s.inputVoltage > kMaxVoltage || s.voltage > kMaxVoltage || s.voltage.isZero()) {
        return;
    }
    const int rows = table_.gridRowCount();
    if (rows - 1 > 0) {
        if (const std::optional<double> seconds = table_.number(rows - 1, kFieldElapsed)) {
            const std::int64_t since =
                static_cast<std::int64_t>(s.elapsedMs) - static_cast<std::int64_t>(*seconds * 1000);
            if (since > static_cast<std::int64_t>(kPauseLimitMs)) {
                RestartRecording();
                return;
            }
        }
    }
    for (const Decimal& cell : s.cells) {
        if (cell > kMaxCellVoltage) {
            return;
        }
    }
    ApplySample(s);
}

double Recording::daysSinceStart(const QDateTime& t) const {
    return daysBetween(recordingStart_, t);
}

void Recording::ApplySample(StatusSample& s) {
    if (table_.gridRowCount() == 1) {
        s.elapsedMs = kFirstRowElapsedMs;
    }
    int cellCount = 0;
    for (const Decimal& cell : s.cells) {
        cellCount += cell.isZero() ? 0 : 1;
    }

    // One point per curve, each at the time it is added.
    chart_.addPoint(kSeriesVoltage, daysSinceStart(presentTime()), s.voltage.toDouble());
    chart_.addPoint(kSeriesCurrent, daysSinceStart(presentTime()), s.current.abs().toDouble());
    chart_.addPoint(kSeriesCapacity, daysSinceStart(presentTime()), s.capacity.toDouble());
    chart_.addPoint(kSeriesTemperature, daysSinceStart(presentTime()), s.extTemperature.toDouble());

    // The time axis grows by 432 s whenever less than 172.8 s of it are left.
    if (presentTime().msecsTo(timeWindowEnd_) < kTimeWindowInitialMs) {
        timeWindowEnd_ = timeWindowEnd_.addMSecs(kTimeWindowStepMs);
    }
    chart_.setAxisRange(ChartAxis::Bottom, 0, daysSinceStart(timeWindowEnd_));

    chart_.clearTitle();
    chart_.addTitleLine(text(s.batteryType) + u'/' + text(s.state));
    resetTitleShown_ = false;
    axes_.scaleAxes(chart_);

    showMeasurements(view_, s.voltage, s.current, s.capacity, s.extTemperature);

    if (!view_.cursorHold()) {
        const QString voltage = text(s.voltage.format(kFormat2));
        const QString current = text(s.current.format(kFormat2));
        const Decimal power = (s.voltage * s.current).abs();
        view_.setReadout(readouts::kInputVoltage, text(s.inputVoltage.format(kFormat2)));
        view_.setReadout(readouts::kState, text(s.state));
        view_.setReadout(readouts::kBatteryType, text(s.batteryType));
        view_.setReadout(readouts::kCellCount,
                         QString::number(cellCount) + QStringLiteral("Cells"));
        view_.setReadout(readouts::kVoltage, voltage);
        view_.setReadout(readouts::kCurrent, current);
        view_.setReadout(readouts::kInternal, text(s.intTemperature.plainText()));
        view_.setReadout(readouts::kPower, text(power.format(kFormat3)));
        view_.setReadout(readouts::kElapsed, text(elapsedText(s.elapsedMs)));
        view_.setReadout(readouts::kCapacity, text(s.capacity.plainText()));
        view_.setReadout(readouts::kExternal, text(s.extTemperature.plainText()));
        ShowCellPanel(view_.cellPanel(), s.cells, s.batteryType);
    }

    table_.appendSample(s);
    if (events_.rowAppended) {
        events_.rowAppended(table_.gridRowCount() - 1);
    }
}

}  // namespace cellwatch
