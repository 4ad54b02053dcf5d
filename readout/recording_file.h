// Reading a recording back: a CSV file exported from the data table, a
// journal, either after a spreadsheet program saved it again, or what
// cellwatch-log wrote.
//
// What is accepted:
//   - UTF-8 with or without a byte-order mark; lines ending in CR LF or LF;
//     fields quoted as RFC 4180 has it, within a line (a recording's texts
//     never hold a line break, so every line is read on its own);
//   - fields parted by tabs instead of commas (cellwatch-log's lines), when
//     the header line (or, without one, the first row) holds more tabs than
//     commas; such fields are taken as they stand, without quoting;
//   - lines starting with '#' anywhere (comments: the journal's first line,
//     the log's "# idle", "# restart" and "# lost"), also as one quoted
//     field ("# alarm ...", as journals write them now, maybe followed by
//     empty fields a spreadsheet added); blank lines;
//   - a header row in any language: the first line that is neither a comment
//     nor blank is the header unless its first field reads as an elapsed
//     time, in which case the file has no header and that line is the first
//     row;
//   - more than 22 columns when the header has them too (the extra ones are
//     ignored);
//   - NUL bytes at the very end (what a crash can leave in a file that had
//     grown but not yet been written);
//   - a last line cut short. A last line without a line break is kept only
//     when all of its 22 texts are certainly whole: it has more than 22
//     fields, or as many as the header row (a file that merely lacks its final
//     line break). Otherwise it is a row a crash interrupted, and it is
//     dropped; droppedCutRow() tells. In a journal and in a tab-separated
//     file (the log ends every line) such a line is always cut.
//   - damaged lines: a line with fewer columns than a row or more than the
//     header, a quote that never closes, more than 64 KiB, or a first field
//     that is no elapsed time ("H:mm:ss"; a wholly empty row is allowed) is
//     skipped and counted (damagedLineCount()); the rows around it are kept.
// What is refused, with std::runtime_error and a text saying why: a file that
// cannot be read, is not a regular file (a device, a FIFO, a folder, also
// behind a symbolic link; refused at once, never waited on), is larger than
// 1 GiB, is empty, holds binary data, has fewer than 22 columns in
// its first line, has no row at all, or has more damaged lines than rows.
//
// The file is read into memory (never mapped, so a file cut short on its
// drive meanwhile cannot fault the program; what was read is kept and
// cutWhileReading() tells) and parsed twice: read() checks every row and
// takes the chart's values; fillTable() then puts the rows into a data table.
// So a table is touched only once the whole file is known to be good, and a
// million rows cost the file's bytes, 8 bytes per row for where it starts and
// 40 bytes per row for the curves, besides the table itself.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "readout/resistance_note.h"

namespace cellwatch {

class RowStore;
struct RowNumbers;

// Called every few thousand rows with the rows done and the rows in all
// (while reading, the total is the number of lines, an estimate); returning
// false cancels.
using LoadProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The 22 texts of a row as the file holds them (UTF-8, CSV quotes undone), valid
// during the call only, and the row's numbers.
using RowFields = std::array<std::string_view, 22>;
using RowVisitor = std::function<void(const RowFields& row, const RowNumbers& numbers)>;

// The chart's curves of a recording, one entry per row, as the live chart
// plots them: X is the row's elapsed time in days (the live chart's X is the
// same time since connecting, to the millisecond instead of the second), then the
// battery voltage, the size of the current, the capacity and the external
// temperature. A text that is not a number gives NaN (a gap in the curve),
// and so does the X of a row without a time.
struct RecordingCurves {
    std::vector<double> days;
    std::vector<double> voltage;
    std::vector<double> current;
    std::vector<double> capacity;
    std::vector<double> external;
};

// What a look at a recording tells: the rows counted as opening it counts them.
struct RecordingSummary {
    QStringList comments;  // the '#' lines before the header, without the '#'
    QStringList firstRow;  // the 22 texts of the first row; empty without rows
    QStringList lastRow;   // the 22 texts of the last complete row
    std::size_t rowCount = 0;
    std::size_t damagedLines = 0;
};

// A comment line "# alarm KIND: TEXT" among the rows: an alarm that was
// raised while the recording ran, after the row that raised it.
struct AlarmNote {
    QString kind;
    QString text;
    std::size_t afterRows = 0;    // rows before it in the file
    std::int64_t atSeconds = -1;  // the elapsed time of the row before it; -1 for none
};

class RecordingFile {
public:
    RecordingFile();
    ~RecordingFile();
    RecordingFile(RecordingFile&&) noexcept;
    RecordingFile& operator=(RecordingFile&&) noexcept;

    // Reads and checks the whole file, replacing what was read before.
    // Throws std::runtime_error when it cannot be read or is not a
    // recording; returns false when cancelled. Either way nothing of the
    // file is kept then.
    // `visitor` sees every row as it is read (a summary needs no second pass).
    // With `rows`, every row also goes into that store as it is read (the
    // caller empties it first), and its numbers are the store's.
    bool read(const QString& fileName, const LoadProgress& progress = {},
              const RowVisitor& visitor = {}, RowStore* rows = nullptr);
    // Reads and checks the file as read() does (the same rows, comments,
    // alarms and refusals; a refusal may name another of the file's faults
    // first), a few megabytes at a time, keeping no row: `visitor` sees each
    // as it is read. What it costs stays the same whatever the file's size
    // (a line longer than any row is held whole). rowTexts(), curves() and
    // fillTable() give nothing after it.
    void stream(const QString& fileName, const RowVisitor& visitor);

    // Whether read() takes the chart's curves (curves()); a reader that
    // draws no chart saves their memory. Yes unless told.
    void setCurvesWanted(bool wanted) { curvesWanted_ = wanted; }

    QString fileName() const;
    std::size_t rowCount() const;
    // The '#' lines before the header, without the '#' and one space after it.
    QStringList comments() const;
    // The alarm lines after the header, in file order.
    const std::vector<AlarmNote>& alarms() const;
    // The charger's per-cell resistance lines (resistance_note.h), in file
    // order: the first kKeptResistanceNotes of them.
    static constexpr std::size_t kKeptResistanceNotes = 1000;
    const std::vector<ResistanceNote>& resistanceNotes() const;
    // The header row's first 22 texts as the file has them; empty when the
    // file has no header row.
    QStringList headers() const;
    // Whether a cut-short last line was dropped.
    bool droppedCutRow() const;
    // Lines that could not be rows (skipped), and the first few of their
    // line numbers (1 = the file's first line).
    std::size_t damagedLineCount() const;
    // Fields of the curves (voltage, current, capacity, temperature) that hold
    // no measurement (NaN, inf, 1e308, a 300-digit number); such fields read
    // as missing, in every column.
    std::size_t missingValueCount() const;
    std::vector<std::size_t> damagedLines() const;
    // Whether the file shrank while it was read (what was whole is kept).
    bool cutWhileReading() const;
    const RecordingCurves& curves() const;

    // The 22 texts of a row, 0 = the first.
    QStringList rowTexts(std::size_t row) const;

    // Empties the table and appends every row. Returns false when cancelled,
    // leaving the table empty. A tab within a text becomes a space (the
    // table's row appender splits at tabs; the program's own texts never
    // hold one).
    bool fillTable(RowStore& table, const LoadProgress& progress = {}) const;

    // A quick look at a recording (see RecordingSummary). A file that cannot
    // be read or is no recording gives an empty summary.
    static RecordingSummary summarize(const QString& fileName);

private:
    struct Data;
    std::unique_ptr<Data> d_;
    bool curvesWanted_ = true;
};

}  // namespace cellwatch
