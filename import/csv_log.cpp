// The program's own table files from elsewhere: a CSV export, a journal
// (with its comment line), cellwatch-log's tab-separated lines, and
// cellwatch-report --csv's files, whose first column "Date and time" is
// dropped (its first row tells the start). Read as File > Open reads them,
// but strictly: a damaged line, a text that is no number or a cut last row
// refuses the file.
#include <QFileInfo>
#include <QTemporaryFile>
#include <cmath>
#include <cstring>

#include "import/log_reader.h"
#include "protocol/reading_format.h"
#include "readout/file_text.h"
#include "readout/journal.h"
#include "readout/record_cursor.h"
#include "readout/recording_file.h"

namespace cellwatch::logimport {
namespace {

std::optional<QDateTime> isoTime(std::string_view text) {
    const QDateTime t = QDateTime::fromString(qText(text), Qt::ISODate);
    return t.isValid() && text.size() >= 19 ? std::optional<QDateTime>(t) : std::nullopt;
}

// The length of a line's first field and its separator.
std::size_t firstFieldLength(std::string_view line, char separator) {
    std::size_t i = 0;
    if (separator == ',' && !line.empty() && line.front() == '"') {
        for (i = 1; i < line.size(); ++i) {
            if (line[i] == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
    }
    const std::size_t sep = line.find(separator, i);
    return sep == std::string_view::npos ? line.size() : sep + 1;
}

struct Checked {
    bool dated = false;
    std::optional<QDateTime> firstTime;  // of a dated file's first row
    std::optional<std::uint32_t> firstSeconds;
};

// Goes over every line as RecordingFile does, and refuses what it would
// only skip or read as missing.
Checked check(std::string_view text) {
    Checked out;
    RecordCursor cursor(text.data(), text.data() + text.size());
    std::string scratch;
    bool headerSeen = false;
    std::size_t skip = 0;  // fields before the row's own: a dated file's first
    std::optional<std::uint32_t> lastSeconds;
    std::string lastTime;
    for (;;) {
        const RecordCursor::Kind kind = cursor.next();
        if (kind == RecordCursor::Kind::End) {
            break;
        }
        if (kind != RecordCursor::Kind::Record) {
            continue;
        }
        const int line = static_cast<int>(cursor.line());
        if (!headerSeen) {
            headerSeen = true;
            if (cursor.fieldCountWith('\t') > cursor.fieldCount()) {
                cursor.rereadWith('\t');
            }
            const std::string_view first = cursor.field(0, scratch);
            out.dated = first == "Date and time" || isoTime(first).has_value();
            skip = out.dated ? 1 : 0;
            if (cursor.fieldCount() < kRowFieldCount + skip) {
                throw LogFault(
                    line, 0,
                    QT_TRANSLATE_NOOP("ImportReason", "%1 columns where a table row has %2"),
                    cursor.fieldCount(), kRowFieldCount + skip);
            }
            if (!ReadingFormat::parseElapsed(cursor.field(skip, scratch))) {
                continue;  // the header row
            }
        }
        if (!cursor.terminated()) {
            throw LogFault(
                line, 0,
                QT_TRANSLATE_NOOP("ImportReason", "the last row is cut short (no line end)"));
        }
        if (cursor.broken(kRowFieldCount + skip) || cursor.fieldCount() < kRowFieldCount + skip) {
            throw LogFault(line, 0,
                           QT_TRANSLATE_NOOP("ImportReason",
                                             "no row of a recording (%1 columns, or a quote that "
                                             "never closes)"),
                           cursor.fieldCount());
        }
        if (out.dated) {
            const std::string_view when = cursor.field(0, scratch);
            const auto t = isoTime(when);
            if (!t) {
                throw LogFault(line, 1,
                               QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no date and time"),
                               qText(when));
            }
            if (!out.firstTime) {
                out.firstTime = t;
            }
        }
        const std::string_view time = cursor.field(skip, scratch);
        const auto seconds = ReadingFormat::parseElapsed(time);
        if (!seconds) {
            throw LogFault(line, static_cast<int>(skip) + 1,
                           QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no elapsed time (H:mm:ss)"),
                           qText(time));
        }
        if (!out.firstSeconds) {
            out.firstSeconds = seconds;
        }
        // A recording's rows come in the order they were taken.
        if (lastSeconds && *seconds < *lastSeconds) {
            throw LogFault(line, static_cast<int>(skip) + 1,
                           QT_TRANSLATE_NOOP("ImportReason",
                                             "the elapsed time %1 comes before the row above's %2"),
                           qText(time), QString::fromStdString(lastTime));
        }
        lastSeconds = seconds;
        lastTime = time;
        for (std::size_t i = kFieldExtTemperature; i < kRowFieldCount; ++i) {
            const std::string_view f = cursor.field(i + skip, scratch);
            if (!f.empty() && std::isnan(ReadingFormat::number(f))) {
                throw LogFault(line, static_cast<int>(i + skip) + 1,
                               QT_TRANSLATE_NOOP("ImportReason", "\"%1\" is no number"), qText(f));
            }
        }
    }
    return out;
}

// The text without each row's first field (comments and blank lines kept,
// so that line numbers stay).
std::string undated(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const char separator =
        text.substr(0, text.find('\n')).find('\t') != std::string_view::npos ? '\t' : ',';
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line =
            text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        text.remove_prefix(line.size());
        const bool comment = line.starts_with("#") || line.starts_with("\"#");
        const bool blank = line.find_first_not_of("\r\n") == std::string_view::npos;
        out += comment || blank ? line : line.substr(firstFieldLength(line, separator));
    }
    return out;
}

}  // namespace

ImportedLog readOwnCsv(const QString& path) {
    ImportedLog log;
    log.kind = LogKind::OwnCsv;
    log.charger = QString::fromLatin1(ReadingFormat::kDriverId.data(),
                                      static_cast<qsizetype>(ReadingFormat::kDriverId.size()));
    const FileBytes bytes(path);
    const std::string_view text = recordingText(bytes);
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        const auto at = static_cast<std::size_t>(static_cast<const char*>(nul) - text.data());
        const std::string_view before = text.substr(0, at);
        const auto line = std::count(before.begin(), before.end(), '\n') + 1;
        const std::size_t lineStart = before.rfind('\n');
        throw LogFault(
            static_cast<int>(line),
            static_cast<int>(at - (lineStart == std::string_view::npos ? 0 : lineStart + 1)) + 1,
            QT_TRANSLATE_NOOP("ImportReason", "binary data, not text"));
    }
    const Checked checked = check(text);
    QString readPath = path;
    QTemporaryFile plain;
    if (checked.dated) {
        const std::string rows = undated(text);
        if (!plain.open() ||
            plain.write(rows.data(), static_cast<qint64>(rows.size())) !=
                static_cast<qint64>(rows.size()) ||
            !plain.flush()) {
            throw LogFault(0, 0,
                           QT_TRANSLATE_NOOP("ImportReason", "cannot write a scratch file: %1"),
                           plain.errorString());
        }
        readPath = plain.fileName();
    }
    ImportedChannel channel;
    RecordingFile file;
    file.setCurvesWanted(false);
    try {
        file.read(readPath, {}, {}, channel.rows.get());
    } catch (const std::runtime_error& e) {
        QString why = QString::fromStdString(e.what());
        why.replace(readPath, QFileInfo(path).fileName());
        throw LogFault(Refusal{nullptr, {why}});
    }
    if (file.droppedCutRow()) {
        throw LogFault(0, 0, QT_TRANSLATE_NOOP("ImportReason", "the last row is cut short"));
    }
    if (file.damagedLineCount() > 0) {
        throw LogFault(static_cast<int>(file.damagedLines().front()), 0,
                       QT_TRANSLATE_NOOP("ImportReason", "no row of a recording"));
    }
    JournalInfo info;
    for (const QString& comment : file.comments()) {
        readJournalComment(comment, info);
    }
    log.start = info.start;
    if (info.charger.isEmpty() && !info.driver.isEmpty()) {
        log.charger = info.driver;
    }
    channel.channel = info.channel;
    if (!log.start.isValid()) {
        log.start = journalStartFromName(QFileInfo(path).fileName());
    }
    if (!log.start.isValid() && checked.firstTime) {
        log.start =
            checked.firstTime->addSecs(-static_cast<qint64>(checked.firstSeconds.value_or(0)));
    }
    if (channel.rows->dataRowCount() > 0) {
        log.chemistry = channel.rows->chemistry(1);
    }
    log.channels.push_back(std::move(channel));
    return log;
}

}  // namespace cellwatch::logimport
