#include "readout/recording_file.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "protocol/decimal.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/file_text.h"
#include "readout/record_cursor.h"
#include "readout/row_fields.h"
#include "readout/row_store.h"
#include "readout/row_text_pool.h"

namespace cellwatch {
namespace {

constexpr std::size_t kProgressEvery = 4096;  // rows between progress reports
constexpr double kSecondsPerDay = 86'400.0;
constexpr std::size_t kFields = kRowFieldCount;  // the texts of one row
constexpr std::size_t kDamagedLinesKept = 10;

// The shortest row: 22 empty texts, their 21 separators and a line break.
constexpr std::size_t kShortestRowBytes = kFields;

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "alarm KIND: TEXT" as an alarm line's comment holds it; false for any
// other comment.
bool readAlarmNote(const QString& comment, AlarmNote& note) {
    static const QString prefix = QStringLiteral("alarm ");
    const qsizetype colon = comment.indexOf(QLatin1String(": "));
    if (!comment.startsWith(prefix) || colon <= prefix.size()) {
        return false;
    }
    note.kind = comment.mid(prefix.size(), colon - prefix.size());
    note.text = comment.mid(colon + 2);
    return !note.kind.contains(u' ');
}

QString commentText(std::string_view comment) {
    if (!comment.empty() && comment.front() == ' ') {
        comment.remove_prefix(1);
    }
    return qText(comment);
}

bool isElapsedTime(std::string_view text) {
    return ReadingFormat::parseElapsed(text).has_value();
}

// Whether a last line without a line break holds all of its 22 texts whole.
// A journal and cellwatch-log end every line with a line break, so in a
// journal (its first comment line names this program) and in a tab-separated
// file such a line is always cut short.
bool cutRowIsWhole(std::size_t fields, std::size_t headerFields, char separator,
                   const QStringList& comments) {
    if (separator == '\t' ||
        (!comments.isEmpty() && comments.first().startsWith(QLatin1String("cellwatch ")))) {
        return false;
    }
    return fields > kFields || (fields == kFields && fields >= headerFields);
}

QStringList recordTexts(const RecordCursor& cursor, std::string& scratch) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(kFields));
    for (std::size_t i = 0; i < kFields; ++i) {
        texts.append(i < cursor.fieldCount() ? qText(cursor.field(i, scratch)) : QString());
    }
    return texts;
}

[[noreturn]] void refuse(const QString& fileName, const QString& reason) {
    notARecording(fileName, reason);
}

}  // namespace

struct RecordingFile::Data {
    explicit Data(const QString& name) : fileName(name) {}

    // Walks the whole lines of `block` (the file's text from `blockStart`
    // on; the last block may end without a line break), by the rules of
    // the header. Returns false when cancelled.
    bool walk(std::string_view block, bool last, const LoadProgress& progress,
              const RowVisitor& visitor, std::size_t lines, RowStore* store = nullptr);
    // What every row kept adds; false when the caller cancels.
    bool kept(std::optional<std::uint32_t> seconds, bool own, const LoadProgress& progress,
              const RowVisitor& visitor, std::size_t lines);
    // The refusals that only the whole file can tell.
    void finish(const LoadProgress& progress);
    // A whole line in the program's own texts, read in one pass over its
    // bytes into `row` and `numbers` (and into the store's columns when
    // there is one); false for any other line.
    bool readOwn(std::string_view line, RowStore* store);

    QString fileName;
    std::optional<FileBytes> bytes;  // read(): the whole file; stream(): none
    bool cut = false;                // stream(): the file shrank while it was read
    std::string_view text;
    char separator = ',';  // or a tab, as the header line has it
    QStringList comments;
    QStringList headers;
    bool droppedCutRow = false;
    std::size_t damagedCount = 0;
    std::size_t missingValues = 0;          // fields that hold no measurement
    std::vector<std::size_t> damagedLines;  // the first few
    bool keepRows = true;                   // stream(): neither row starts nor curves
    bool curvesWanted = true;
    std::size_t rows = 0;
    std::vector<std::uint64_t> rowStarts;  // offsets into text
    RecordingCurves curves;
    std::vector<AlarmNote> alarms;
    std::vector<ResistanceNote> resistanceNotes;  // the first kKeptResistanceNotes

    // Where the walk is.
    std::size_t lineBase = 0;  // lines in the blocks before
    std::size_t headerFields = 0;
    bool headerSeen = false;
    std::optional<std::uint32_t> firstSeconds;
    std::optional<std::uint32_t> lastSeconds;  // of the last row read
    std::string scratch;
    std::array<std::string, kFields> scratches;  // for the row's fields
    RowFields row;
    RowNumbers numbers;
    // Without a store: the words of the rows read in the program's own texts.
    RowTextPool types;
    RowTextPool states;
};

bool RecordingFile::Data::readOwn(std::string_view line, RowStore* store) {
    if (store != nullptr) {
        return store->appendOwnLine(line, separator, row, numbers);
    }
    OwnRow own;
    if (!readOwnLine(line, separator, row, types, states, own)) {
        return false;
    }
    ownRowNumbers(own, types, states, numbers);
    return true;
}

bool RecordingFile::Data::kept(std::optional<std::uint32_t> seconds, bool own,
                               const LoadProgress& progress, const RowVisitor& visitor,
                               std::size_t lines) {
    lastSeconds = seconds;
    if (seconds && !firstSeconds) {
        firstSeconds = seconds;
    }
    ++rows;
    if (keepRows && curvesWanted) {
        const double days = seconds ? static_cast<double>(*seconds) / kSecondsPerDay
                                    : std::numeric_limits<double>::quiet_NaN();
        curves.days.push_back(days);
        curves.voltage.push_back(numbers.field[kFieldVoltage]);
        curves.current.push_back(std::fabs(numbers.field[kFieldCurrent]));
        curves.capacity.push_back(numbers.field[kFieldCapacity]);
        curves.external.push_back(numbers.field[kFieldExtTemperature]);
    }
    // The curves' fields are counted where they hold no measurement (the
    // others read as missing all the same); a row in the program's own texts
    // holds none.
    if (!own) {
        for (const std::size_t i :
             {kFieldVoltage, kFieldCurrent, kFieldCapacity, kFieldExtTemperature}) {
            missingValues += ReadingFormat::isNoMeasurement(row[i]) ? 1 : 0;
        }
    }
    if (visitor) {
        visitor(row, numbers);
    }
    return !progress || rows % kProgressEvery != 0 || progress(rows, std::max(rows, lines));
}

bool RecordingFile::Data::walk(std::string_view block, bool last, const LoadProgress& progress,
                               const RowVisitor& visitor, std::size_t lines, RowStore* store) {
    if (droppedCutRow) {
        return true;
    }
    RecordCursor cursor(block.data(), block.data() + block.size(), separator);
    const char* const blockEnd = block.data() + block.size();
    for (;;) {
        // A whole line in the program's own texts is read as numbers (into
        // the store's columns, if any) in one pass over its bytes; any other
        // line (a comment, quotes, odd texts, the last line without a line
        // break) takes the general way below.
        if (headerSeen) {
            const char* const at = cursor.position();
            const void* found = at != blockEnd
                                    ? std::memchr(at, '\n', static_cast<std::size_t>(blockEnd - at))
                                    : nullptr;
            const auto* const lineEnd = static_cast<const char*>(found);
            if (lineEnd != nullptr && lineEnd != at && *at != '#' &&
                static_cast<std::size_t>(lineEnd - at) <= RecordCursor::kMaxLineBytes &&
                readOwn(std::string_view(at, static_cast<std::size_t>(lineEnd - at)), store)) {
                cursor.skipLine(lineEnd + 1);
                if (keepRows) {
                    rowStarts.push_back(static_cast<std::uint64_t>(at - text.data()));
                }
                if (!kept(static_cast<std::uint32_t>(numbers.seconds), true, progress, visitor,
                          lines)) {
                    return false;
                }
                continue;
            }
        }
        const RecordCursor::Kind kind = cursor.next();
        if (kind == RecordCursor::Kind::End) {
            break;
        }
        if (kind == RecordCursor::Kind::Comment) {
            if (!headerSeen) {
                comments.append(commentText(cursor.comment()));
            } else if (AlarmNote note; readAlarmNote(commentText(cursor.comment()), note)) {
                note.afterRows = rows;
                note.atSeconds = lastSeconds ? static_cast<std::int64_t>(*lastSeconds) : -1;
                alarms.push_back(std::move(note));
            } else if (std::vector<double> cells;
                       resistanceNotes.size() < kKeptResistanceNotes &&
                       readResistanceNote(commentText(cursor.comment()), cells)) {
                resistanceNotes.push_back({rows, std::move(cells)});
            }
            continue;
        }
        if (kind == RecordCursor::Kind::Blank) {
            continue;
        }
        if (!headerSeen && cursor.fieldCountWith('\t') > cursor.fieldCount()) {
            // Tabs part the header line (or the first row) into more fields
            // than commas do: cellwatch-log's lines. So are all lines then.
            separator = '\t';
            cursor.rereadWith(separator);
        }
        const std::size_t fields = cursor.fieldCount();
        const std::string_view time = cursor.field(kFieldElapsed, scratch);
        if (!headerSeen) {
            headerSeen = true;
            headerFields = fields;
            if (fields < kFields || cursor.broken(fields)) {
                refuse(fileName, QStringLiteral("its first line has %1 columns; a recording has "
                                                "%2.")
                                     .arg(fields)
                                     .arg(kFields));
            }
            if (!isElapsedTime(time)) {
                for (std::size_t i = 0; i < kFields; ++i) {
                    headers.append(qText(cursor.field(i, scratch)).trimmed());
                }
                continue;
            }
        }
        if (!cursor.terminated() && !cutRowIsWhole(fields, headerFields, separator, comments)) {
            droppedCutRow = true;
            break;
        }
        // A line that cannot be a row of this table (too few or too many
        // columns, a quote that never closes, no elapsed time) is damaged:
        // it is skipped and counted.
        const std::optional<std::uint32_t> seconds = ReadingFormat::parseElapsed(time);
        bool damaged = cursor.broken(kFields) || fields < kFields || fields > headerFields;
        if (!damaged && !seconds) {
            for (std::size_t i = 0; i < kFields && !damaged; ++i) {
                damaged = !cursor.field(i, scratch).empty();  // only a wholly empty row has no time
            }
        }
        if (damaged) {
            if (damagedLines.size() < kDamagedLinesKept) {
                damagedLines.push_back(lineBase + cursor.line());
            }
            ++damagedCount;
            continue;
        }
        if (keepRows) {
            rowStarts.push_back(static_cast<std::uint64_t>(cursor.recordStart() - text.data()));
        }
        for (std::size_t i = 0; i < kFields; ++i) {
            row[i] = cursor.field(i, scratches[i]);
        }
        // Every field is read once: into the store's columns, or as numbers.
        bool own = false;
        if (store != nullptr) {
            own = store->appendTexts(row, &numbers);
        } else {
            RowStore::numbersOfTexts(row, numbers);
        }
        if (!kept(seconds, own, progress, visitor, lines)) {
            return false;
        }
    }
    if (!last) {
        // The cursor has passed every line of the block (they all end in a
        // line break): at the end, its line is the one after them.
        lineBase += cursor.line() - 1;
    }
    return true;
}

void RecordingFile::Data::finish(const LoadProgress& progress) {
    if (!headerSeen) {
        refuse(fileName, QStringLiteral("it holds no table."));
    }
    if (!firstSeconds) {
        refuse(fileName, QStringLiteral("it holds no recorded row."));
    }
    if (damagedCount > rows) {
        refuse(fileName, QStringLiteral("most of its lines (%1 of %2) are no rows of a recording.")
                             .arg(damagedCount)
                             .arg(damagedCount + rows));
    }
    if (progress) {
        progress(rows, rows);
    }
}

RecordingFile::RecordingFile() = default;
RecordingFile::~RecordingFile() = default;
RecordingFile::RecordingFile(RecordingFile&&) noexcept = default;
RecordingFile& RecordingFile::operator=(RecordingFile&&) noexcept = default;

bool RecordingFile::read(const QString& fileName, const LoadProgress& progress,
                         const RowVisitor& visitor, RowStore* rows) {
    d_.reset();
    auto d = std::make_unique<Data>(fileName);
    d->bytes.emplace(fileName);
    const std::string_view text = recordingText(*d->bytes);
    d->text = text;
    if (text.empty()) {
        refuse(fileName, QStringLiteral("the file is empty."));
    }
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        refuse(fileName, QStringLiteral("it holds binary data."));
    }
    const std::size_t lines =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    // Room for every line that can be a row: a row has at least its 21
    // commas and a line break, so a file of blank lines asks for no more
    // than its rows could need.
    const std::size_t rowsAtMost = std::min(lines, text.size() / kShortestRowBytes + 1);
    d->rowStarts.reserve(rowsAtMost);
    d->curvesWanted = curvesWanted_;
    if (curvesWanted_) {
        RecordingCurves& curves = d->curves;
        curves.days.reserve(rowsAtMost);
        curves.voltage.reserve(rowsAtMost);
        curves.current.reserve(rowsAtMost);
        curves.capacity.reserve(rowsAtMost);
        curves.external.reserve(rowsAtMost);
    }
    if (rows != nullptr) {
        rows->reserve(rows->dataRowCount() + rowsAtMost);
    }
    if (!d->walk(text, true, progress, visitor, lines, rows)) {
        return false;
    }
    d->finish(progress);
    d_ = std::move(d);
    return true;
}

void RecordingFile::stream(const QString& fileName, const RowVisitor& visitor) {
    d_.reset();
    auto d = std::make_unique<Data>(fileName);
    d->keepRows = false;
    const bool cut = readTextLines(fileName, [&d, &visitor](std::string_view text, bool last) {
        d->walk(text, last, {}, visitor, 0);
    });
    d->finish({});
    d->cut = cut;
    d_ = std::move(d);
}

QString RecordingFile::fileName() const {
    return d_ ? d_->fileName : QString();
}

std::size_t RecordingFile::rowCount() const {
    return d_ ? d_->rows : 0;
}

const std::vector<AlarmNote>& RecordingFile::alarms() const {
    static const std::vector<AlarmNote> none;
    return d_ ? d_->alarms : none;
}

const std::vector<ResistanceNote>& RecordingFile::resistanceNotes() const {
    static const std::vector<ResistanceNote> none;
    return d_ ? d_->resistanceNotes : none;
}

QStringList RecordingFile::comments() const {
    return d_ ? d_->comments : QStringList();
}

QStringList RecordingFile::headers() const {
    return d_ ? d_->headers : QStringList();
}

bool RecordingFile::droppedCutRow() const {
    return d_ && d_->droppedCutRow;
}

std::size_t RecordingFile::missingValueCount() const {
    return d_ ? d_->missingValues : 0;
}

std::size_t RecordingFile::damagedLineCount() const {
    return d_ ? d_->damagedCount : 0;
}

std::vector<std::size_t> RecordingFile::damagedLines() const {
    return d_ ? d_->damagedLines : std::vector<std::size_t>{};
}

bool RecordingFile::cutWhileReading() const {
    return d_ && (d_->cut || (d_->bytes && d_->bytes->cutWhileReading()));
}

const RecordingCurves& RecordingFile::curves() const {
    static const RecordingCurves none;
    return d_ ? d_->curves : none;
}

QStringList RecordingFile::rowTexts(std::size_t row) const {
    if (!d_ || row >= d_->rowStarts.size()) {
        return {};
    }
    const std::string_view text = d_->text;
    RecordCursor cursor(text.data(), text.data() + text.size(), d_->separator);
    cursor.seek(text.data() + d_->rowStarts[row]);
    cursor.next();
    std::string scratch;
    return recordTexts(cursor, scratch);
}

bool RecordingFile::fillTable(RowStore& table, const LoadProgress& progress) const {
    table.clear();
    // Views hear of the rows once, at the end (or at a cancel).
    struct Bulk {
        RowStore& t;
        ~Bulk() { t.endBulkAppend(); }
    } bulk{table};
    table.beginBulkAppend();
    if (!d_) {
        return true;
    }
    const std::string_view text = d_->text;
    const std::size_t total = d_->rowStarts.size();
    RecordCursor cursor(text.data(), text.data() + text.size(), d_->separator);
    std::array<std::string, kFields> scratches;
    RowFields fields;
    for (std::size_t row = 0; row < total; ++row) {
        cursor.seek(text.data() + d_->rowStarts[row]);
        cursor.next();
        for (std::size_t i = 0; i < kFields; ++i) {
            fields[i] = cursor.field(i, scratches[i]);
        }
        table.appendTexts(fields);
        if (progress && (row + 1) % kProgressEvery == 0 && !progress(row + 1, total)) {
            table.clear();
            return false;
        }
    }
    if (progress) {
        progress(total, total);
    }
    return true;
}

RecordingSummary RecordingFile::summarize(const QString& fileName) {
    // Every line is read, so the count is the one opening the file gives.
    RecordingSummary summary;
    RecordingFile file;
    try {
        file.read(fileName);
    } catch (const std::runtime_error&) {
        return summary;
    }
    summary.comments = file.comments();
    summary.rowCount = file.rowCount();
    summary.damagedLines = file.damagedLineCount();
    if (summary.rowCount > 0) {
        summary.firstRow = file.rowTexts(0);
        summary.lastRow = file.rowTexts(summary.rowCount - 1);
    }
    return summary;
}

}  // namespace cellwatch
