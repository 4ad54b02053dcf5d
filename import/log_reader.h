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
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <vector>

#include "protocol/charger_description.h"
#include "protocol/reading.h"
#include "readout/row_store.h"

namespace cellwatch::logimport {

enum class LogKind { ToolkitRc, OpenFormat, OwnCsv };

// Why a file is refused, as a kind and its data: the kind is the English text
// of the code (marked for translation, context "ImportReason") with %1... for
// `args`. Where a person reads it the window words it in its language
// (refusalText with its translation); the tools print the English.
struct Refusal {
    const char* text = nullptr;   // null: `args` holds another part's own words alone
    QStringList args{};           // the file's words, numbers, a system's words
    int line = 0;                 // 0: the file as a whole
    int column = 0;               // 0: the line as a whole
    std::optional<LogKind> as{};  // the kind the file was read as, when it was
};

// Gives a refusal's text in a language: its English as is when null.
using RefusalWords = std::function<QString(const char* english)>;
// "line 12, column 7: \"4x\" is no number (as OpenFormat lines)".
QString refusalText(const Refusal& refusal, const RefusalWords& words = {});

// What is wrong with a file, and where: line 0 for the file as a whole,
// column 0 for the line as a whole. what() is its English line.
class LogFault : public std::runtime_error {
public:
    explicit LogFault(Refusal refusal);
    template <typename... Args>
    LogFault(int line, int column, const char* text, const Args&... args)
        : LogFault(Refusal{text, {argText(args)...}, line, column, std::nullopt}) {}
    int line() const { return refusal_.line; }
    int column() const { return refusal_.column; }
    // The English reason, without its place.
    QString reason() const;
    const Refusal& refusal() const { return refusal_; }

private:
    static QString argText(const QString& text) { return text; }
    template <typename Number>
    requires std::is_arithmetic_v<Number>
    static QString argText(Number n) { return QString::number(n); }

    Refusal refusal_;
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
