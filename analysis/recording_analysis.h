// All that a recording's rows tell beyond its summary, in one reading: its
// phases (phases.h), the resistance its current steps show (resistance.h)
// and their medians.
#pragma once

#include <QString>
#include <cstddef>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "analysis/reported_resistance.h"
#include "analysis/resistance.h"

namespace cellwatch {

struct RecordingAnalysis {
    RecordingPhases phases;
    std::vector<ResistanceEstimate> resistance;
    ResistanceSummary resistanceSummary;
    // What the charger reported of each cell, from the file's lines (none
    // for rows already read).
    ReportedCells reported;
};

// Of rows already read (a table in the window: TableRangeRows).
RecordingAnalysis analyzeRows(RangeRows& rows);

// Reads a recording file (as readAndSummarize, which may throw; the
// summary goes to `summary` when given) and analyses its rows. The rows go
// into `table` when given, else into one of its own for the time of the
// call (a recording's rows cost 84 bytes each there).
RecordingAnalysis readAndAnalyze(const QString& path, RecordingSummaryValues* summary = nullptr,
                                 RowStore* table = nullptr);

// A recording's analysis built a row at a time (analyzeRows' figures): it
// keeps at most kKeptPhases phases and 2 x kKeptEstimates estimates and a
// few rows, whatever the rows' number.
class RecordingAnalyzer {
public:
    // The next row (data rows in order).
    void add(const RangeRowNumbers& row);
    // The analysis of every row added; ends it.
    RecordingAnalysis finish();
    // Phases and resistance estimates kept so far.
    std::size_t phasesKept() const { return phases_.kept(); }
    std::size_t estimatesKept() const { return resistance_.kept(); }

private:
    std::size_t index_ = 0;
    PhaseCutter phases_;
    ResistanceEstimator resistance_;
};

// As readAndAnalyze without a table: the file is read a few megabytes at a
// time (streamAndSummarize) and its rows analysed as they come, so what it
// costs stays the same whatever the file's size.
RecordingAnalysis streamAndAnalyze(const QString& path, RecordingSummaryValues* summary = nullptr);

}  // namespace cellwatch
