#include "readout/recording.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/reading_format.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr qint64 kDayMs = 86'400'000;
constexpr double kDayMsDouble = 86'400'000.0;
constexpr qint64 kTimeWindowInitialMs = 172'800;  // 0.002 day
constexpr qint64 kTimeWindowStepMs = 432'000;     // 0.005 day
constexpr std::uint32_t kFirstRowElapsedMs = 1000;

// A cell above it drops the reading (strictly above), after the pause test.
const Decimal kMaxCellVoltage = Decimal::fromInt(5);

}  // namespace

double daysBetween(const QDateTime& from, const QDateTime& to) {
    return static_cast<double>(from.msecsTo(to)) / static_cast<double>(kDayMs);
}

void CurveExtent::add(double y) {
    if (std::isnan(y)) {
        return;
    }
    if (!any) {
        *this = {y, y, true};
    } else {
        min = std::min(min, y);
        max = std::max(max, y);
    }
}

Recording::Recording(RowStore& table, const TickClock& ticks, const WallClock& wall)
    : table_(table), ticks_(ticks), wall_(wall) {}

Recording::~Recording() = default;

RecordingView& Recording::subscribe(std::unique_ptr<RecordingView> view) {
    views_.push_back(std::move(view));
    return *views_.back();
}

Decimal Recording::capacityDataMax() const {
    // Capacities are whole numbers, exact in a double.
    return Decimal::fromInt(std::llround(extent(kSeriesCapacity).maxOrZero()));
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
    timeAxisDays_ = daysSinceStart(timeWindowEnd_);
    tell([this](RecordingView& v) { v.timeAxisChanged(*this); });
    if (!lastRow.isEmpty()) {
        table_.appendTabText(lastRow);
        takeRowsFromTable();
    }
}

void Recording::takeRowsFromTable() {
    rows_ = table_.gridRowCount() - 1;
    lastRowSeconds_.reset();
    if (rows_ > 0) {
        if (const std::optional<double> seconds = table_.number(rows_, kFieldElapsed)) {
            lastRowSeconds_ = static_cast<std::uint32_t>(*seconds);
        }
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
    rows_ = 0;
    lastRowSeconds_.reset();
}

void Recording::retitleIdle() {
    tell([](RecordingView& v) { v.retitle(); });
}

void Recording::ResetChart() {
    extents_ = {};
    const QDateTime now = wall_.now().toUTC();
    timeWindowEnd_ = now.addMSecs(kTimeWindowInitialMs);
    timeAxisDays_ = daysBetween(now, timeWindowEnd_);
    tell([this](RecordingView& v) { v.reset(*this); });
}

void Recording::RestartRecording() {
    if (events_.restarting) {
        events_.restarting();
    }
    connectTicks_ = ticks_.tickCount();
    table_.setGridRowCount(1);
    rows_ = 0;
    lastRowSeconds_.reset();
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
    const bool read = file.fillTable(table_, progress);
    takeRowsFromTable();
    if (!read) {
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
    takeRowsFromTable();
    showCurves(file.curves(), title);
}

void Recording::showCurves(const RecordingCurves& c, const QString& title) {
    const std::vector<double>* const curves[kSeriesCount] = {&c.voltage, &c.current, &c.capacity,
                                                             &c.external};
    for (int series = 0; series < kSeriesCount; ++series) {
        CurveExtent& extent = extents_[static_cast<std::size_t>(series)];
        for (const double y : *curves[series]) {
            extent.add(y);
        }
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
    timeAxisDays_ = window;
    scaleAxes();
    tell([&](RecordingView& v) { v.curvesShown(*this, c, title); });
}

void Recording::scaleAxes() {
    axes_.scale(extent(kSeriesVoltage).maxOrZero(), extent(kSeriesVoltage).minOrZero(),
                extent(kSeriesCurrent).maxOrZero(), extent(kSeriesCapacity).maxOrZero(),
                extent(kSeriesTemperature).maxOrZero());
}

void Recording::ShowIdle() {
    startAt(wall_.now());
    timeWindowEnd_ = recordingStart_.addMSecs(kTimeWindowInitialMs);
    tell([this](RecordingView& v) { v.idle(*this); });
    if (events_.idleShown) {
        events_.idleShown();
    }
}

void Recording::AcceptSample(Reading& r) {
    if (rows_ > 0 && lastRowSeconds_) {
        const std::int64_t since = static_cast<std::int64_t>(r.elapsedMs) -
                                   static_cast<std::int64_t>(*lastRowSeconds_) * 1000;
        if (since > static_cast<std::int64_t>(kPauseLimitMs)) {
            RestartRecording();
            return;
        }
    }
    const int cells = std::clamp(r.cellCount, 0, kMostCells);
    for (int k = 0; k < cells; ++k) {
        if (r.cells[static_cast<std::size_t>(k)] > kMaxCellVoltage) {
            return;
        }
    }
    ApplySample(r);
}

double Recording::daysSinceStart(const QDateTime& t) const {
    return daysBetween(recordingStart_, t);
}

void Recording::ApplySample(Reading& r) {
    if (rows_ == 0) {
        r.elapsedMs = kFirstRowElapsedMs;
    }

    // One point per curve, at the present time.
    const QDateTime present = presentTime();
    lastX_ = daysSinceStart(present);
    lastY_[kSeriesVoltage] = r.voltage.toDouble();
    lastY_[kSeriesCurrent] = r.current.abs().toDouble();
    lastY_[kSeriesCapacity] = r.capacity.toDouble();
    lastY_[kSeriesTemperature] =
        r.extTemperature ? r.extTemperature->toDouble() : std::numeric_limits<double>::quiet_NaN();
    for (int series = 0; series < kSeriesCount; ++series) {
        extents_[static_cast<std::size_t>(series)].add(lastY_[static_cast<std::size_t>(series)]);
    }

    // The time axis grows by 432 s whenever less than 172.8 s of it are left.
    if (present.msecsTo(timeWindowEnd_) < kTimeWindowInitialMs) {
        timeWindowEnd_ = timeWindowEnd_.addMSecs(kTimeWindowStepMs);
    }
    timeAxisDays_ = daysSinceStart(timeWindowEnd_);
    scaleAxes();

    table_.append(r);
    ++rows_;
    lastRowSeconds_ =
        static_cast<std::uint32_t>((static_cast<std::uint64_t>(r.elapsedMs) + 500) / 1000);
    tell([&](RecordingView& v) { v.accepted(*this, r); });
    if (events_.readingAccepted) {
        events_.readingAccepted(r);
    }
    if (events_.rowAppended) {
        events_.rowAppended(table_.gridRowCount() - 1);
    }
}

}  // namespace cellwatch
