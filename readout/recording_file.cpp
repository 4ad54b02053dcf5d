#include "readout/recording_file.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "chart/data_table.h"
#include "protocol/sample_text.h"
#include "protocol/status_sample.h"

namespace cellwatch {
namespace {

constexpr std::size_t kProgressEvery = 4096;  // rows between progress reports
constexpr double kSecondsPerDay = 86'400.0;
constexpr std::size_t kFields = kSampleFieldCount;  // the texts of one row

// Walks a CSV text record by record.
class CsvCursor {
public:
    enum class Kind { End, Comment, Blank, Record };

    CsvCursor(const char* begin, const char* end) : p_(begin), end_(end) {}

    void seek(const char* at) { p_ = at; }
    const char* position() const { return p_; }
    // The line the last record started on, 1 = the first.
    std::size_t line() const { return recordLine_; }

    Kind next() {
        recordLine_ = line_;
        recordStart_ = p_;
        if (p_ == end_) {
            return Kind::End;
        }
        if (*p_ == '#') {
            const char* lineEnd = findLineEnd(p_);
            comment_ = std::string_view(p_ + 1, static_cast<std::size_t>(lineEnd - p_ - 1));
            if (!comment_.empty() && comment_.back() == '\r') {
                comment_.remove_suffix(1);
            }
            p_ = lineEnd == end_ ? end_ : lineEnd + 1;
            ++line_;
            return Kind::Comment;
        }
        fields_.clear();
        for (;;) {
            readField();
            if (p_ == end_) {
                terminated_ = false;
                break;
            }
            if (*p_ == ',') {
                ++p_;
                continue;
            }
            // A line break (the field ends only at a comma, a line break or
            // the end).
            ++p_;
            ++line_;
            terminated_ = true;
            break;
        }
        const bool blank = fields_.size() == 1 && fields_[0].begin == fields_[0].end &&
                           !fields_[0].quoted && terminated_;
        return blank ? Kind::Blank : Kind::Record;
    }

    std::string_view comment() const { return comment_; }
    std::size_t fieldCount() const { return fields_.size(); }
    bool terminated() const { return terminated_; }
    const char* recordStart() const { return recordStart_; }

    // A field's text, quotes removed and doubled quotes undone (in scratch).
    std::string_view field(std::size_t i, std::string& scratch) const {
        const Span& s = fields_[i];
        const std::string_view raw(s.begin, static_cast<std::size_t>(s.end - s.begin));
        if (!s.escaped) {
            return raw;
        }
        scratch.clear();
        for (std::size_t k = 0; k < raw.size(); ++k) {
            scratch += raw[k];
            if (raw[k] == '"') {
                ++k;  // the second of a doubled quote
            }
        }
        return scratch;
    }

private:
    struct Span {
        const char* begin;
        const char* end;
        bool quoted;
        bool escaped;  // holds doubled quotes
    };

    const char* findLineEnd(const char* from) const {
        const void* found = std::memchr(from, '\n', static_cast<std::size_t>(end_ - from));
        return found != nullptr ? static_cast<const char*>(found) : end_;
    }

    // Reads one field and leaves p_ at the comma, the '\n' or the end.
    void readField() {
        const char* start = p_;
        if (p_ != end_ && *p_ == '"') {
            Span s{p_ + 1, end_, true, false};
            std::size_t breaks = 0;
            for (const char* q = p_ + 1; q != end_; ++q) {
                if (*q == '\n') {
                    ++breaks;
                } else if (*q == '"') {
                    if (q + 1 != end_ && q[1] == '"') {
                        s.escaped = true;
                        ++q;
                        continue;
                    }
                    s.end = q;
                    break;
                }
            }
            if (s.end == end_) {  // the quote never closes: the text was cut
                fields_.push_back(s);
                line_ += breaks;
                p_ = end_;
                return;
            }
            const char* after = s.end + 1;
            if (after != end_ && *after == '\r' && after + 1 != end_ && after[1] == '\n') {
                ++after;
            }
            if (after == end_ || *after == ',' || *after == '\n') {
                fields_.push_back(s);
                line_ += breaks;
                p_ = after;
                return;
            }
            // Text after the closing quote: not proper CSV; the field is
            // taken as it stands, from its opening quote on.
        }
        const char* q = start;
        while (q != end_ && *q != ',' && *q != '\n') {
            ++q;
        }
        const char* fieldEnd = q;
        if (fieldEnd != start && fieldEnd[-1] == '\r' && (q == end_ || *q == '\n')) {
            --fieldEnd;
        }
        fields_.push_back(Span{start, fieldEnd, false, false});
        p_ = q;
    }

    const char* p_;
    const char* end_;
    const char* recordStart_ = nullptr;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 1;
    std::vector<Span> fields_;
    std::string_view comment_;
    bool terminated_ = false;
};

// The bytes of a file, mapped when possible.
class FileBytes {
public:
    // Throws std::runtime_error when the file cannot be read.
    explicit FileBytes(const QString& fileName) : file_(fileName) {
        if (!file_.open(QIODevice::ReadOnly)) {
            throw std::runtime_error(QStringLiteral("Cannot read %1: %2")
                                         .arg(fileName, file_.errorString())
                                         .toStdString());
        }
        const qint64 size = file_.size();
        if (size > 0) {
            if (uchar* mapped = file_.map(0, size)) {
                begin_ = reinterpret_cast<const char*>(mapped);
                end_ = begin_ + size;
                return;
            }
        }
        copy_ = file_.readAll();
        if (file_.error() != QFileDevice::NoError) {
            throw std::runtime_error(QStringLiteral("Cannot read %1: %2")
                                         .arg(fileName, file_.errorString())
                                         .toStdString());
        }
        begin_ = copy_.constData();
        end_ = begin_ + copy_.size();
    }

    const char* begin() const { return begin_; }
    const char* end() const { return end_; }

private:
    QFile file_;
    QByteArray copy_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
};

// The text of a file without its byte-order mark and trailing NUL bytes.
std::string_view recordingText(const FileBytes& bytes) {
    std::string_view text(bytes.begin(), static_cast<std::size_t>(bytes.end() - bytes.begin()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    while (!text.empty() && text.back() == '\0') {
        text.remove_suffix(1);
    }
    return text;
}

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString commentText(std::string_view comment) {
    if (!comment.empty() && comment.front() == ' ') {
        comment.remove_prefix(1);
    }
    return qText(comment);
}

bool isElapsedTime(std::string_view text) {
    return parseElapsedText(text).has_value();
}

// Whether a last line without a line break holds all of its 22 texts whole.
// A journal ends every row with a line break, so in a journal (its first
// comment line names this program) such a line is always cut short.
bool cutRowIsWhole(std::size_t fields, std::size_t headerFields, const QStringList& comments) {
    if (!comments.isEmpty() && comments.first().startsWith(QLatin1String("cellwatch "))) {
        return false;
    }
    return fields > kFields || (fields == kFields && fields >= headerFields);
}

QStringList recordTexts(const CsvCursor& cursor, std::string& scratch) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(kFields));
    for (std::size_t i = 0; i < kFields; ++i) {
        texts.append(i < cursor.fieldCount() ? qText(cursor.field(i, scratch)) : QString());
    }
    return texts;
}

// A number in the C locale's form; NaN for anything else. (QByteArray's
// conversion rather than std::from_chars, which not every standard library
// offers for floating point.)
double numberOf(std::string_view text) {
    bool ok = false;
    const double value =
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())).toDouble(&ok);
    return ok && !text.empty() && text.front() != ' ' && text.back() != ' '
               ? value
               : std::numeric_limits<double>::quiet_NaN();
}

[[noreturn]] void refuse(const QString& fileName, const QString& reason) {
    throw std::runtime_error(
        QStringLiteral("%1 is not a recording: %2").arg(fileName, reason).toStdString());
}

}  // namespace

struct RecordingFile::Data {
    explicit Data(const QString& name) : fileName(name), bytes(name) {}

    QString fileName;
    FileBytes bytes;
    std::string_view text;
    QStringList comments;
    QStringList headers;
    bool droppedCutRow = false;
    std::vector<std::uint64_t> rowStarts;  // offsets into text
    RecordingCurves curves;
};

RecordingFile::RecordingFile() = default;
RecordingFile::~RecordingFile() = default;
RecordingFile::RecordingFile(RecordingFile&&) noexcept = default;
RecordingFile& RecordingFile::operator=(RecordingFile&&) noexcept = default;

bool RecordingFile::read(const QString& fileName, const LoadProgress& progress) {
    d_.reset();
    auto d = std::make_unique<Data>(fileName);
    const std::string_view text = recordingText(d->bytes);
    d->text = text;
    if (text.empty()) {
        refuse(fileName, QStringLiteral("the file is empty."));
    }
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        refuse(fileName, QStringLiteral("it holds binary data."));
    }
    const std::size_t lines =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;

    CsvCursor cursor(text.data(), text.data() + text.size());
    std::string scratch;
    std::size_t headerFields = 0;
    bool headerSeen = false;
    std::optional<std::uint32_t> firstSeconds;
    RecordingCurves& curves = d->curves;
    d->rowStarts.reserve(lines);
    curves.days.reserve(lines);
    curves.voltage.reserve(lines);
    curves.current.reserve(lines);
    curves.capacity.reserve(lines);
    curves.external.reserve(lines);

    for (;;) {
        const CsvCursor::Kind kind = cursor.next();
        if (kind == CsvCursor::Kind::End) {
            break;
        }
        if (kind == CsvCursor::Kind::Comment) {
            if (!headerSeen) {
                d->comments.append(commentText(cursor.comment()));
            }
            continue;
        }
        if (kind == CsvCursor::Kind::Blank) {
            continue;
        }
        const std::size_t fields = cursor.fieldCount();
        const std::string_view time = cursor.field(kFieldElapsed, scratch);
        if (!headerSeen) {
            headerSeen = true;
            headerFields = fields;
            if (fields < kFields) {
                refuse(fileName, QStringLiteral("its first line has %1 columns; a recording has "
                                                "%2.")
                                     .arg(fields)
                                     .arg(kFields));
            }
            if (!isElapsedTime(time)) {
                for (std::size_t i = 0; i < kFields; ++i) {
                    d->headers.append(qText(cursor.field(i, scratch)).trimmed());
                }
                continue;
            }
        }
        if (!cursor.terminated() && !cutRowIsWhole(fields, headerFields, d->comments)) {
            d->droppedCutRow = true;
            break;
        }
        if (fields < kFields) {
            refuse(fileName, QStringLiteral("line %1 has %2 columns; a recording has %3.")
                                 .arg(cursor.line())
                                 .arg(fields)
                                 .arg(kFields));
        }
        const std::optional<std::uint32_t> seconds = parseElapsedText(time);
        double days = std::numeric_limits<double>::quiet_NaN();
        if (seconds) {
            if (!firstSeconds) {
                firstSeconds = seconds;
            }
            days = static_cast<double>(*seconds) / kSecondsPerDay;
        } else {
            for (std::size_t i = 0; i < kFields; ++i) {
                if (!cursor.field(i, scratch).empty()) {
                    refuse(fileName, QStringLiteral("line %1 does not start with an elapsed time "
                                                    "(H:mm:ss) but with \"%2\".")
                                         .arg(cursor.line())
                                         .arg(qText(cursor.field(kFieldElapsed, scratch))));
                }
            }
        }
        d->rowStarts.push_back(static_cast<std::uint64_t>(cursor.recordStart() - text.data()));
        curves.days.push_back(days);
        curves.voltage.push_back(numberOf(cursor.field(kFieldVoltage, scratch)));
        curves.current.push_back(std::fabs(numberOf(cursor.field(kFieldCurrent, scratch))));
        curves.capacity.push_back(numberOf(cursor.field(kFieldCapacity, scratch)));
        curves.external.push_back(numberOf(cursor.field(kFieldExtTemperature, scratch)));

        const std::size_t done = d->rowStarts.size();
        if (progress && done % kProgressEvery == 0 && !progress(done, std::max(done, lines))) {
            return false;
        }
    }
    if (!headerSeen) {
        refuse(fileName, QStringLiteral("it holds no table."));
    }
    if (!firstSeconds) {
        refuse(fileName, QStringLiteral("it holds no recorded row."));
    }
    if (progress) {
        progress(d->rowStarts.size(), d->rowStarts.size());
    }
    d_ = std::move(d);
    return true;
}

QString RecordingFile::fileName() const {
    return d_ ? d_->fileName : QString();
}

std::size_t RecordingFile::rowCount() const {
    return d_ ? d_->rowStarts.size() : 0;
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

const RecordingCurves& RecordingFile::curves() const {
    static const RecordingCurves none;
    return d_ ? d_->curves : none;
}

QStringList RecordingFile::rowTexts(std::size_t row) const {
    if (!d_ || row >= d_->rowStarts.size()) {
        return {};
    }
    const std::string_view text = d_->text;
    CsvCursor cursor(text.data(), text.data() + text.size());
    cursor.seek(text.data() + d_->rowStarts[row]);
    cursor.next();
    std::string scratch;
    return recordTexts(cursor, scratch);
}

bool RecordingFile::fillTable(DataTableModel& table, const LoadProgress& progress) const {
    table.setUpTable();
    // Views hear of the rows once, at the end (or at a cancel).
    struct Bulk {
        DataTableModel& t;
        ~Bulk() { t.endBulkAppend(); }
    } bulk{table};
    table.beginBulkAppend();
    if (!d_) {
        return true;
    }
    const std::string_view text = d_->text;
    const std::size_t total = d_->rowStarts.size();
    CsvCursor cursor(text.data(), text.data() + text.size());
    std::string scratch;
    std::string line;
    for (std::size_t row = 0; row < total; ++row) {
        cursor.seek(text.data() + d_->rowStarts[row]);
        cursor.next();
        line.clear();
        for (std::size_t i = 0; i < kFields; ++i) {
            if (i > 0) {
                line += '\t';
            }
            const std::size_t at = line.size();
            line += cursor.field(i, scratch);
            std::replace(line.begin() + static_cast<std::ptrdiff_t>(at), line.end(), '\t', ' ');
        }
        table.appendTabText(qText(line));
        if (progress && (row + 1) % kProgressEvery == 0 && !progress(row + 1, total)) {
            table.setUpTable();
            return false;
        }
    }
    if (progress) {
        progress(total, total);
    }
    return true;
}

RecordingSummary RecordingFile::summarize(const QString& fileName) {
    RecordingSummary summary;
    try {
        const FileBytes bytes(fileName);
        const std::string_view text = recordingText(bytes);
        const char* const end = text.data() + text.size();
        CsvCursor cursor(text.data(), end);
        std::string scratch;
        std::size_t headerFields = 0;
        const char* firstRow = nullptr;
        for (;;) {
            const CsvCursor::Kind kind = cursor.next();
            if (kind == CsvCursor::Kind::End) {
                return summary;
            }
            if (kind == CsvCursor::Kind::Comment) {
                summary.comments.append(commentText(cursor.comment()));
            } else if (kind == CsvCursor::Kind::Record) {
                if (cursor.fieldCount() < kFields) {
                    return summary;
                }
                if (isElapsedTime(cursor.field(kFieldElapsed, scratch))) {
                    firstRow = cursor.recordStart();
                    break;
                }
                headerFields = cursor.fieldCount();
                break;
            }
        }
        if (firstRow == nullptr) {
            firstRow = cursor.position();
        }

        // Count the lines that are rows; remember where the last two begin.
        const char* last = nullptr;
        const char* beforeLast = nullptr;
        for (const char* p = firstRow; p != end;) {
            const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            const char* lineEnd = found != nullptr ? static_cast<const char*>(found) : end;
            const bool blank = lineEnd == p || (lineEnd - p == 1 && *p == '\r');
            if (!blank && *p != '#') {
                ++summary.rowCount;
                beforeLast = last;
                last = p;
            }
            p = lineEnd == end ? end : lineEnd + 1;
        }
        if (last == nullptr) {
            return summary;
        }
        cursor.seek(last);
        cursor.next();
        if (!cursor.terminated() &&
            !cutRowIsWhole(cursor.fieldCount(), headerFields, summary.comments)) {
            --summary.rowCount;
            last = beforeLast;
        }
        if (last == nullptr) {
            return summary;
        }
        cursor.seek(firstRow);
        CsvCursor::Kind kind = cursor.next();
        while (kind != CsvCursor::Kind::Record && kind != CsvCursor::Kind::End) {
            kind = cursor.next();
        }
        summary.firstRow = recordTexts(cursor, scratch);
        cursor.seek(last);
        cursor.next();
        summary.lastRow = recordTexts(cursor, scratch);
    } catch (const std::runtime_error&) {
        return RecordingSummary{};
    }
    return summary;
}

}  // namespace cellwatch
