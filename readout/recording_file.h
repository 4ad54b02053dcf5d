// Reading a recording back: a CSV file exported from the data table, or a
// journal, or either after a spreadsheet program saved it again.
//
// What is accepted:
//   - UTF-8 with or without a byte-order mark; lines ending in CR LF or LF;
//     fields quoted as RFC 4180 has it (also across line breaks);
//   - lines starting with '#' anywhere (comments: the journal's first line);
//     blank lines;
//   - a header row in any language: the first line that is neither a comment
//     nor blank is the header unless its first field reads as an elapsed
//     time, in which case the file has no header and that line is the first
//     row;
//   - more than 22 columns (the extra ones are ignored);
//   - NUL bytes at the very end (what a crash can leave in a file that had
//     grown but not yet been written);
//   - a last line cut short. A last line without a line break is kept only
//     when all of its 22 texts are certainly whole: it has more than 22
//     fields, or as many as the header row (a file that merely lacks its final
//     line break). Otherwise it is a row a crash interrupted, and it is
//     dropped; droppedCutRow() tells. Every complete row is kept.
// What is refused, with std::runtime_error and a text saying why: a file that
// cannot be read, is empty, holds binary data, has fewer than 22 columns in
// its header or in a row other than the last, has a row whose first field is
// not an elapsed time ("H:mm:ss"; a wholly empty row is allowed), or has no
// row at all.
//
// The file is mapped into memory and read twice: read() checks every row and
// takes the chart's values; fillTable() then puts the rows into a data table.
// So a table is touched only once the whole file is known to be good, and a
// million rows cost the file's pages, 8 bytes per row for where it starts and
// 24 bytes per row for the curves, besides the table itself.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace cellwatch {

class DataTableModel;

// Called every few thousand rows with the rows done and the rows in all
// (while reading, the total is the number of lines, an estimate); returning
// false cancels.
using LoadProgress = std::function<bool(std::size_t done, std::size_t total)>;

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

// What a quick look at a recording tells, without reading every row: rows
// are counted as lines that are neither blank nor comments (a text holding a
// line break would count twice; the program's own texts never do).
struct RecordingSummary {
    QStringList comments;  // the '#' lines before the header, without the '#'
    QStringList firstRow;  // the 22 texts of the first row; empty without rows
    QStringList lastRow;   // the 22 texts of the last complete row
    std::size_t rowCount = 0;
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
    bool read(const QString& fileName, const LoadProgress& progress = {});

    QString fileName() const;
    std::size_t rowCount() const;
    // The '#' lines before the header, without the '#' and one space after it.
    QStringList comments() const;
    // The header row's first 22 texts as the file has them; empty when the
    // file has no header row.
    QStringList headers() const;
    // Whether a cut-short last line was dropped.
    bool droppedCutRow() const;
    const RecordingCurves& curves() const;

    // The 22 texts of a row, 0 = the first.
    QStringList rowTexts(std::size_t row) const;

    // Empties the table and appends every row. Returns false when cancelled,
    // leaving the table empty. A tab within a text becomes a space (the
    // table's row appender splits at tabs; the program's own texts never
    // hold one).
    bool fillTable(DataTableModel& table, const LoadProgress& progress = {}) const;

    // A quick look at a recording (see RecordingSummary). A file that cannot
    // be read or is no recording gives an empty summary.
    static RecordingSummary summarize(const QString& fileName);

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

}  // namespace cellwatch
