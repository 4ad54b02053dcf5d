// All that a recording's rows tell beyond its summary, in one reading: its
// phases (phases.h), the resistance its current steps show (resistance.h)
// and their medians.
#pragma once

#include <QString>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "analysis/resistance.h"

namespace cellwatch {

struct RecordingAnalysis {
    RecordingPhases phases;
    std::vector<ResistanceEstimate> resistance;
    ResistanceSummary resistanceSummary;
};

// Of rows already read (a table in the window: TableRangeRows).
RecordingAnalysis analyzeRows(RangeRows& rows);

// Reads a recording file (as readAndSummarize, which may throw; the
// summary goes to `summary` when given) and analyses its rows. The rows go
// into `table` when given, else into one of its own for the time of the
// call (a recording's rows cost 84 bytes each there).
RecordingAnalysis readAndAnalyze(const QString& path, RecordingSummaryValues* summary = nullptr,
                                 RowStore* table = nullptr);

}  // namespace cellwatch
