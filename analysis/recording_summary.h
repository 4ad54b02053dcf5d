// What a whole charge or discharge came to: the summary of a recording,
// built row by row from the numbers of its rows (RowNumbers; rows given as
// texts are read as a store reads them), so that a file read back, a live
// recording and a replayed capture are summed up by the same code.
//
// Rules:
//   kind       "charge" when every row is charging (ChargeState), "discharge" when
//              every row is discharging, else "mixed";
//   duration   the last row's elapsed time; capacity the last row's mAh;
//   energy     the sum over consecutive rows of
//              (t_k - t_(k-1)) x (P_(k-1) + P_k) / 2 / 3600 Wh, with t the
//              elapsed seconds of the Time column and P = |voltage x current|;
//   restarts   where the elapsed time falls back (a late message moved the
//              recording's origin to the present), the step adds nothing:
//              no energy, and the duration is the first row's time plus
//              every step forward (the last row's time when none falls back);
//   current    the mean over rows and the largest of |current|;
//   voltage    first, last and highest; temperatures: the highest of each;
//   cells      the last row's non-zero cells (count and voltages) and the
//              largest spread: over all rows, the largest (highest - lowest)
//              of a row's non-zero cell voltages (a row with fewer than two
//              counts 0), with the elapsed time of the first row that has it.
// A row without an elapsed time (an empty row) is not counted; a text that
// is not a number counts as absent for its value.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "readout/recording_file.h"

#include "readout/row_store.h"

namespace cellwatch {

class RowStore;

enum class RecordingKind { Charge, Discharge, Mixed };

// "charge", "discharge" or "mixed".
QString kindName(RecordingKind kind);

struct RecordingSummaryValues {
    QDateTime start;  // invalid when the recording does not tell
    QString battery;  // the first row's battery type
    RecordingKind kind = RecordingKind::Mixed;
    std::int64_t rows = 0;
    double durationS = 0;
    double capacityMah = 0;
    double energyWh = 0;
    double currentAvgA = 0;
    double currentMaxA = 0;
    double voltageFirstV = 0;
    double voltageLastV = 0;
    double voltageMaxV = 0;
    double tempExtMaxC = 0;
    double tempIntMaxC = 0;
    int cells = 0;
    std::vector<double> cellsLastV;
    double cellSpreadMaxV = 0;
    double cellSpreadMaxAtS = 0;
    // The pack and note kept beside the recording's file; empty when none.
    QString pack;
    QString note;
};

class RecordingSummarizer {
public:
    explicit RecordingSummarizer(QDateTime start = {}) { values_.start = std::move(start); }

    // One table row: its 22 texts (Time, type, state, temperatures, input
    // voltage, voltage, current, capacity, power, cells 1 to 12).
    void addRow(const RowFields& row);
    void addRow(const QStringList& texts);
    // A row by its numbers (its battery type's text counts for the first).
    void addRow(const RowNumbers& row, std::string_view battery);
    // A data row of a store (grid row, 1 = the first), read as numbers.
    void addRow(const RowStore& rows, int gridRow);

    const RecordingSummaryValues& values() const { return values_; }
    void setStart(const QDateTime& start) { values_.start = start; }

private:
    RecordingSummaryValues values_;
    bool allCharge_ = true;
    bool allDischarge_ = true;
    double currentSum_ = 0;
    double lastSeconds_ = 0;
    double lastPower_ = 0;
};

// The pieces of the rules above that a part of a recording (the rows
// between two cursors) is summed up with as well.
// A field's number: ReadingFormat::number() (protocol/reading_format.h).
// The power of a row: |volts x amps|; NaN when either is absent.
double rowPowerW(double volts, double amps);
// The energy between two consecutive rows by the trapezoid rule, in Wh; 0
// when either power is absent.
double energyStepWh(double fromSeconds, double fromPowerW, double toSeconds, double toPowerW);
// The spread of a row's cells (highest - lowest of those that are neither
// 0 nor absent); 0 with fewer than two.
double cellSpreadV(std::span<const double> cells);

// Reads a recording file (as RecordingFile::read, which may throw) and sums
// it up in the same pass; the start is the one its comment line tells.
// With `table`, the rows also go into it in the same pass (emptied first;
// views hear of the rows once, at the end; left empty when the file is
// refused or the reading cancelled): one reading of the file does all.
// The pack and note are those of the file's pack file.
// `also`, when given, sees every row as well (the phases of the same pass).
// Without `table`, the rows go into a store of the call's own.
RecordingSummaryValues readAndSummarize(RecordingFile& file, const QString& path,
                                        const LoadProgress& progress = {},
                                        RowStore* table = nullptr, const RowVisitor& also = {});

// The same without a table, the file read a few megabytes at a time
// (RecordingFile::stream): what it costs stays the same whatever the file's
// size.
RecordingSummaryValues streamAndSummarize(const QString& path, const RowVisitor& also = {});
// The same into `file`, which tells the comments, alarms and counts after.
RecordingSummaryValues streamAndSummarize(RecordingFile& file, const QString& path,
                                          const RowVisitor& also = {});

// The start a journal's first comment line tells ("start=2026-12-05T14:30:12+01:00");
// invalid when none does.
QDateTime startFromComments(const QStringList& comments);

}  // namespace cellwatch
