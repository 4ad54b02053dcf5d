#include "app/live_summary.h"

#include "analysis/range_stats.h"
#include "analysis/reported_resistance.h"
#include "app/summary_view.h"
#include "app/summary_window.h"
#include "readout/row_store.h"

namespace cellwatch {

LiveSummary::LiveSummary(QWidget& owner, const RowStore& rows, std::function<PackInfo()> pack)
    : QObject(&owner), owner_(owner), rows_(&rows), pack_(std::move(pack)) {}

void LiveSummary::restart(const QDateTime& start) {
    summarizer_ = RecordingSummarizer(start);
    cutter_ = PhaseCutter();
    resistance_.clear();
    resistanceTimer_.stop();
    if (window_) {
        window_->setSummary(valuesWithPack());
        window_->view().setPhases(cutter_.result());
        window_->view().setResistance(resistance_);
    }
}

bool LiveSummary::shown() const {
    return window_ && window_->isVisible();
}

// Over every row of the recording so far (the live table holds only the
// present recording's rows).
void LiveSummary::findResistance() {
    TableRangeRows rows(*rows_);
    resistance_ = estimateResistance(rows);
    if (window_) {
        window_->view().setResistance(resistance_);
    }
}

RecordingSummaryValues LiveSummary::valuesWithPack() const {
    RecordingSummaryValues values = summarizer_.values();
    const PackInfo pack = pack_();
    values.pack = pack.pack;
    values.note = pack.note;
    return values;
}

void LiveSummary::follow(const RowStore& rows, const QDateTime& start) {
    rows_ = &rows;
    summarizer_ = RecordingSummarizer(start);
    cutter_ = PhaseCutter();
    resistance_.clear();
    resistanceTimer_.stop();
    for (int row = 1; row < rows.gridRowCount(); ++row) {
        take(row);
    }
    if (shown()) {
        refresh();
    }
}

void LiveSummary::take(int row) {
    summarizer_.addRow(*rows_, row);
    if (row >= 1) {
        const auto index = static_cast<std::size_t>(row - 1);
        TableRangeRows rows(*rows_);
        if (index < rows.rowCount()) {
            cutter_.add(index, rows.numbers(index));
        }
    }
}

void LiveSummary::addRow(int row) {
    take(row);
    if (shown()) {
        window_->setSummary(valuesWithPack());
        window_->view().setPhases(cutter_.result());
        showReported(row);
        if (!resistanceTimer_.isActive()) {
            resistanceTimer_.start(kResistanceIntervalMs);
        }
    }
}

// What the charger measures itself, beside the estimate: the pack's from
// the row, the cells' from the last reading.
void LiveSummary::showReported(int row) {
    Reading reading = rows_->reading(row);
    if (reportedCells_) {
        reading.cellResistance = reportedCells_();
    }
    window_->view().setReportedResistance(reportedResistance(reading));
}

void LiveSummary::show() {
    if (!window_) {
        window_ = new SummaryWindow(&owner_);
    }
    refresh();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void LiveSummary::refresh() {
    window_->setSummary(valuesWithPack());
    window_->view().setPhases(cutter_.result());
    showReported(rows_->gridRowCount() - 1);
    resistanceTimer_.stop();
    findResistance();
}

void LiveSummary::packChanged() {
    if (window_) {
        window_->setSummary(valuesWithPack());
    }
}

SummaryWindow* LiveSummary::window() const {
    return window_;
}

}  // namespace cellwatch
