#include "analysis/recording_analysis.h"

#include "analysis/range_stats.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"

namespace cellwatch {

RecordingAnalysis analyzeRows(RangeRows& rows) {
    RecordingAnalysis a;
    a.phases = cutPhases(rows);
    a.resistance = estimateResistance(rows);
    a.resistanceSummary = summarizeResistance(a.resistance);
    return a;
}

RecordingAnalysis readAndAnalyze(const QString& path, RecordingSummaryValues* summary,
                                 RowStore* table) {
    RowStore own;
    RowStore& rows = table != nullptr ? *table : own;
    RecordingFile file;
    RecordingSummaryValues values = readAndSummarize(file, path, {}, &rows);
    if (summary != nullptr) {
        *summary = values;
    }
    TableRangeRows tableRows(rows);
    RecordingAnalysis a = analyzeRows(tableRows);
    a.reported = reportedCells(file.resistanceNotes());
    return a;
}

void RecordingAnalyzer::add(const RangeRowNumbers& row) {
    phases_.add(index_++, row);
    resistance_.add(row);
}

RecordingAnalysis RecordingAnalyzer::finish() {
    RecordingAnalysis a;
    a.phases = phases_.result();
    a.resistance = resistance_.finish();
    a.resistanceSummary = summarizeResistance(a.resistance);
    return a;
}

RecordingAnalysis streamAndAnalyze(const QString& path, RecordingSummaryValues* summary) {
    RecordingAnalyzer analyzer;
    RecordingFile file;
    RecordingSummaryValues values =
        streamAndSummarize(file, path, [&analyzer](const RowFields&, const RowNumbers& numbers) {
            analyzer.add(rangeNumbers(numbers));
        });
    if (summary != nullptr) {
        *summary = values;
    }
    RecordingAnalysis a = analyzer.finish();
    a.reported = reportedCells(file.resistanceNotes());
    return a;
}

}  // namespace cellwatch
