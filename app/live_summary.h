// The live recording's summary (View > Summary…): worked out row by row as
// the rows arrive, started again with every new recording, with the pack and
// note chosen for it, in a window of its own that follows while it shows.
// The phases are cut as the rows come (each row costs the same however long
// the recording); the resistance, which reads every row, is worked out when
// the window is shown and then at most once a second while it shows.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "analysis/resistance.h"
#include "protocol/reading.h"
#include "readout/pack_file.h"
#include "serial/steppable_timer.h"

namespace cellwatch {

class RowStore;
class SummaryWindow;

class LiveSummary final : public QObject {
    Q_OBJECT
public:
    // `pack` is the present recording's pack; `owner` parents the window.
    LiveSummary(QWidget& owner, const RowStore& rows, std::function<PackInfo()> pack);

    // A new recording, started at `start`.
    void restart(const QDateTime& start);
    // Another recording's rows from now on (a charger's other channel),
    // summed up anew from its rows so far; it started at `start`.
    void follow(const RowStore& rows, const QDateTime& start);
    // A row (grid row) entered the live table.
    void addRow(int row);
    // Shows the window (made at the first call) and brings it to the front.
    void show();
    // The pack changed: a shown window says so at once.
    void packChanged();
    // Where the cells' resistance the charger reported with the last row
    // comes from (the table keeps the pack's only); none without.
    void setReportedCells(std::function<CellResistances()> cells) {
        reportedCells_ = std::move(cells);
    }

    const RecordingSummaryValues& values() const { return summarizer_.values(); }
    // The values with the present recording's pack and note.
    RecordingSummaryValues valuesWithPack() const;
    RecordingPhases phases() const { return cutter_.result(); }
    const std::vector<ResistanceEstimate>& resistance() const { return resistance_; }
    SummaryWindow* window() const;

    // The interval between two workings-out of the resistance while rows come.
    static constexpr int kResistanceIntervalMs = 1000;
    // Its timer, for tests to hold and step.
    SteppableTimer& resistanceTimer() { return resistanceTimer_; }

private:
    bool shown() const;
    void findResistance();
    void take(int row);
    void refresh();
    void showReported(int row);

    QWidget& owner_;
    const RowStore* rows_;
    std::function<PackInfo()> pack_;
    std::function<CellResistances()> reportedCells_;
    RecordingSummarizer summarizer_;
    PhaseCutter cutter_;
    std::vector<ResistanceEstimate> resistance_;
    SteppableTimer resistanceTimer_{[this] { findResistance(); }};
    QPointer<SummaryWindow> window_;
};

}  // namespace cellwatch
