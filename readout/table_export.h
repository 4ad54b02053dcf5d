// Exporting the data table as a CSV file: the header row and every data row,
// columns 1 to 22, exactly the table's texts.
//
// The file is UTF-8 with a byte-order mark (so spreadsheet programs show ℃
// and Chinese correctly), fields separated by commas, lines ending in CR LF,
// and a field quoted when it holds a comma, a quote or a line break, with its
// quotes doubled (RFC 4180). It is written to a scratch file and only then
// put in place, so a failure never leaves half a file or destroys an older
// one.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace cellwatch {

class RowStore;

// One CSV field.
QString csvField(const QString& text);

// One CSV line: the texts as fields, separated by commas, ending in CR LF.
QString csvLine(const QStringList& texts);
// One CSV line of a grid row: the texts of columns 1 to 22 (row 0: the
// headers), ending in CR LF.
QString tableCsvLine(const RowStore& table, int row);

// The name a new export proposes: cellwatch-<yyyyMMdd>-<HHmmss>.csv in the
// user's documents folder.
QString defaultExportPath(const QDateTime& when);

// Writes the table. `progress(done, total)` is called now and then with the
// rows written so far; returning false cancels (the file is then not
// written). Throws std::runtime_error with the failure's own text.
// Returns false when cancelled.
bool exportTableCsv(const RowStore& table, const QString& fileName,
                    const std::function<bool(std::size_t done, std::size_t total)>& progress = {});
// The same with the header row and the data rows firstRow to lastRow (grid
// rows, 1 = the first data row) alone.
bool exportTableRowsCsv(
    const RowStore& table, const QString& fileName, int firstRow, int lastRow,
    const std::function<bool(std::size_t done, std::size_t total)>& progress = {});

}  // namespace cellwatch
