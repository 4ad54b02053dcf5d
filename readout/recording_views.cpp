#include "readout/recording_views.h"

#include <algorithm>
#include <array>
#include <memory>

#include "protocol/reading_format.h"
#include "readout/cell_panel.h"
#include "readout/gauge_settings.h"
#include "readout/row_readouts.h"

namespace cellwatch {
namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

RecordingChart::RecordingChart(ChartSurface& chart, std::function<QString()> idleTitle)
    : chart_(chart), idleTitle_(std::move(idleTitle)) {}

QString RecordingChart::resetTitle() const {
    return idleTitle_ ? idleTitle_() : QStringLiteral("Idle");
}

void RecordingChart::retitle() {
    if (resetTitleShown_) {
        chart_.removeTitleLine(0);
        chart_.addTitleLine(resetTitle());
    }
}

void RecordingChart::reset(const Recording& recording) {
    chart_.removeTitleLine(0);
    chart_.addTitleLine(resetTitle());
    resetTitleShown_ = true;
    for (int series = 0; series < kSeriesCount; ++series) {
        chart_.clearSeries(series);
    }
    chart_.setAxisRange(ChartAxis::Bottom, 0, recording.timeAxisDays());
    chart_.setAutoRepaint(true);
}

void RecordingChart::timeAxisChanged(const Recording& recording) {
    chart_.setAxisRange(ChartAxis::Bottom, 0, recording.timeAxisDays());
}

void RecordingChart::accepted(const Recording& recording, const Reading& reading) {
    for (int series = 0; series < kSeriesCount; ++series) {
        chart_.addPoint(series, recording.lastX(), recording.lastPoint(series));
    }
    chart_.setAxisRange(ChartAxis::Bottom, 0, recording.timeAxisDays());
    chart_.clearTitle();
    // A charger that names no chemistry: its state alone.
    chart_.addTitleLine(reading.chemistryText.empty()
                            ? text(reading.stateText)
                            : text(reading.chemistryText) + u'/' + text(reading.stateText));
    resetTitleShown_ = false;
    recording.axes().applyTo(chart_);
}

void RecordingChart::idle(const Recording&) {
    chart_.removeTitleLine(0);
    chart_.addTitleLine(QStringLiteral("Idle"));
    resetTitleShown_ = false;
}

void RecordingChart::curvesShown(const Recording& recording, const RecordingCurves& c,
                                 const QString& title) {
    chart_.setAutoRepaint(false);
    for (std::size_t i = 0; i < c.days.size(); ++i) {
        chart_.addPoint(kSeriesVoltage, c.days[i], c.voltage[i]);
        chart_.addPoint(kSeriesCurrent, c.days[i], c.current[i]);
        chart_.addPoint(kSeriesCapacity, c.days[i], c.capacity[i]);
        chart_.addPoint(kSeriesTemperature, c.days[i], c.external[i]);
    }
    chart_.setAxisRange(ChartAxis::Bottom, 0, recording.timeAxisDays());
    chart_.clearTitle();
    chart_.addTitleLine(title);
    resetTitleShown_ = false;
    recording.axes().applyTo(chart_);
    chart_.setAutoRepaint(true);
}

void RecordingReadouts::accepted(const Recording&, const Reading& r) {
    external_ = r.extTemperature.has_value();
    showMeasurementTexts(view_, r.voltage, r.current, r.capacity, r.extTemperature);
    if (view_.cursorHold()) {
        return;
    }
    const int present = std::clamp(r.cellCount, 0, kMostCells);
    int cellCount = 0;
    for (int k = 0; k < present; ++k) {
        cellCount += r.cells[static_cast<std::size_t>(k)].isZero() ? 0 : 1;
    }
    const Decimal power = (r.voltage * r.current).abs();
    // A value the charger does not report shows blank, not 0.
    const auto shown = [](const std::optional<Decimal>& v, auto format) {
        return v ? format(*v) : QString();
    };
    view_.setReadout(readouts::kInputVoltage, shown(r.inputVoltage, [](const Decimal& v) {
                         return text(v.format(kFormat2));
                     }));
    view_.setReadout(readouts::kState, text(r.stateText));
    view_.setReadout(readouts::kBatteryType, text(r.chemistryText));
    view_.setReadout(readouts::kCellCount, QString::number(cellCount) + QStringLiteral("Cells"));
    view_.setReadout(readouts::kVoltage, text(r.voltage.format(kFormat2)));
    view_.setReadout(readouts::kCurrent, text(r.current.format(kFormat2)));
    view_.setReadout(readouts::kInternal,
                     shown(r.intTemperature, [](const Decimal& v) { return text(v.plainText()); }));
    view_.setReadout(readouts::kPower, text(power.format(kFormat3)));
    view_.setReadout(readouts::kElapsed, text(ReadingFormat::elapsedText(r.elapsedMs)));
    view_.setReadout(readouts::kCapacity, text(r.capacity.plainText()));
    view_.setReadout(readouts::kExternal,
                     shown(r.extTemperature, [](const Decimal& v) { return text(v.plainText()); }));
}

void RecordingReadouts::idle(const Recording&) {
    view_.setReadout(readouts::kLegendVoltage, QStringLiteral("0.00"));
    view_.setReadout(readouts::kLegendCurrent, QStringLiteral("0.00"));
    view_.setReadout(readouts::kLegendCapacity, QStringLiteral("0"));
    view_.setReadout(readouts::kLegendExternal, external_ ? QStringLiteral("0") : QString());
    view_.setLargeReadout(readouts::kLargeVoltage, QStringLiteral("0.00V"));
    view_.setLargeReadout(readouts::kLargeCurrent, QStringLiteral("0.00A"));
    view_.setLargeReadout(readouts::kLargeCapacity, QStringLiteral("0mAH"));
}

void RecordingGauge::accepted(const Recording&, const Reading& r) {
    showPower(gauge_, r.voltage, r.current);
}

void RecordingGauge::idle(const Recording&) {
    gauge_.setMode(1);
    gauge_.setCaption(QStringLiteral("0"));
    gauge_.setValue(0);
}

void RecordingCellPanel::accepted(const Recording&, const Reading& r) {
    if (held_ && held_()) {
        return;
    }
    ShowCellPanel(panel_, r);
}

void showOn(Recording& recording, ChartSurface& chart, ReadoutView& view,
            std::function<QString()> idleTitle) {
    recording.subscribe(std::make_unique<RecordingChart>(chart, std::move(idleTitle)));
    recording.subscribe(std::make_unique<RecordingReadouts>(view));
    recording.subscribe(std::make_unique<RecordingGauge>(view.gauge()));
    recording.subscribe(std::make_unique<RecordingCellPanel>(
        view.cellPanel(), [&view] { return view.cursorHold(); }));
}

}  // namespace cellwatch
