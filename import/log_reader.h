// Reading other tools' logs (and this program's own files from elsewhere)
// into rows of the data table, for importing them as recordings.
//
// One reader per kind of file; each takes the file's text (or, for the
// program's own CSV, the file) and gives every row as a table row with what
// the file tells of its start, charger and chemistry, or throws LogFault
// naming what is wrong and where (line and column, both from 1). Nothing
// here writes anything.
//   - a ToolkitRC SD-card log (toolkit_log.cpp);
//   - OpenFormat lines, plain or self-describing (openformat_log.cpp);
//   - a CSV export, a journal, a dated report CSV or a log's tab-separated
//     lines of this program (csv_log.cpp).
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "protocol/charger_description.h"
#include "protocol/reading.h"
#include "readout/row_store.h"

namespace cellwatch::logimport {

enum class LogKind { ToolkitRc, OpenFormat, OwnCsv };

// What is wrong with a file, and where: line 0 for the file as a whole,
// column 0 for the line as a whole.
class LogFault : public std::runtime_error {
public:
    LogFault(int line, int column, const QString& reason);
    int line() const { return line_; }
    int column() const { return column_; }
    QString reason() const { return reason_; }

private:
    int line_;
    int column_;
    QString reason_;
};

// The rows of one charger channel.
struct ImportedChannel {
    int channel = 0;  // 0: the file names none
    std::unique_ptr<RowStore> rows = std::make_unique<RowStore>();
};

struct ImportedLog {
    LogKind kind = LogKind::OwnCsv;
    // The driver the rows are named after in the journal ("toolkitrc",
    // "openformat", or a journal's own charger=).
    QString charger;
    // When the first row was taken, when the file tells (else invalid:
    // the importer takes a date given by the user or the file's time).
    QDateTime start;
    // What the file tells of the pack.
    Chemistry chemistry = Chemistry::Unknown;
    int cells = 0;
    std::vector<ImportedChannel> channels;  // at least one, each with rows

    // The rows of all channels.
    std::size_t rowCount() const;
    // The largest elapsed time of any row, in seconds.
    std::uint32_t durationSeconds() const;
};

// The largest file any reader takes.
inline constexpr std::size_t kMostLogBytes = std::size_t{256} << 20;

// The kind of a file's text, from its first lines; none when it is none of
// the three.
std::optional<LogKind> kindOfText(std::string_view text);

// `fileName` is the file's own name (without folders): a ToolkitRC log's
// name may carry its start or channel.
ImportedLog readToolkitLog(std::string_view text, const QString& fileName);

// The descriptions of what the values of OpenFormat lines are: the plain
// lines' columns, and the names of the self-describing lines' columns.
struct OpenFormatDescriptions {
    std::shared_ptr<const ChargerDescription> plain;
    std::shared_ptr<const ChargerDescription> described;
};
// The installed descriptions ("openformat", "openformat-zero"), read from
// the charger folders when not yet known; a null pointer for one missing.
OpenFormatDescriptions installedOpenFormatDescriptions();
ImportedLog readOpenFormatLog(std::string_view text, const OpenFormatDescriptions& descriptions);

// Reads the file `path` (any of the program's own table files).
ImportedLog readOwnCsv(const QString& path);

// A text of a file, for a message.
inline QString qText(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Chemistry words as the table's type column writes them.
std::string_view chemistryTypeText(Chemistry chemistry);
// A chemistry as other tools name it ("LiPo", "Lilo", "NiMH", "PB"...).
Chemistry chemistryOfName(std::string_view name);
// Gives a reading the table's words for its state (from the sign of its
// current) and its chemistry, so that its row reads back as any other.
void settleReading(Reading& reading);

}  // namespace cellwatch::logimport
