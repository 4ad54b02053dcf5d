#include "tools/report/report.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "analysis/phase_format.h"
#include "analysis/range_stats.h"
#include "analysis/summary_format.h"
#include "packs/pack_health.h"
#include "packs/pack_history.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "protocol/version.h"
#include "readout/journal.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "readout/table_export.h"

namespace cellwatch::report {
namespace {

void say(QTextStream& err, const QString& line) {
    err << "cellwatch-report: " << terminalText(line, false) << '\n';
}

// Says on `err` why the pack file of a journal cannot be used, if it cannot,
// and what comes of it.
void notePackProblem(const QString& journal, const char* consequence, QTextStream& err) {
    QString problem;
    readPackInfo(journal, &problem);
    if (!problem.isEmpty()) {
        say(err, problem + QStringLiteral("; ") + QLatin1String(consequence));
    }
}

bool isCapture(const QString& path) {
    return path.endsWith(QLatin1String(".cwcap"), Qt::CaseInsensitive);
}

}  // namespace

QStringList rowTexts(const Recorded& recording, std::size_t row) {
    QStringList texts;
    for (int column = 1; column <= kRowFieldCount; ++column) {
        texts << recording.store->gridText(static_cast<int>(row) + 1, column);
    }
    return texts;
}

std::shared_ptr<RangeRows> recordedRows(const Recorded& recording) {
    struct Rows final : RangeRows {
        explicit Rows(std::shared_ptr<const RowStore> s) : store(std::move(s)), rows(*store) {}
        std::size_t rowCount() const override { return rows.rowCount(); }
        RangeRowNumbers numbers(std::size_t index) override { return rows.numbers(index); }
        std::shared_ptr<const RowStore> store;
        TableRangeRows rows;
    };
    return std::make_shared<Rows>(recording.store);
}

RecordingAnalysis analyzeRecorded(const Recorded& recording) {
    if (recording.analysis) {
        return *recording.analysis;
    }
    TableRangeRows rows(*recording.store);
    if (!recording.phases) {
        return analyzeRows(rows);
    }
    RecordingAnalysis a;
    a.phases = *recording.phases;
    a.resistance = estimateResistance(rows);
    a.resistanceSummary = summarizeResistance(a.resistance);
    return a;
}

QJsonObject recordedJson(const Recorded& r, const RecordingAnalysis& analysis) {
    QJsonObject object = summaryJson(r.summary, r.name);
    object.insert(QStringLiteral("alarms"), alarmsJson(r.alarms));
    object.insert(QStringLiteral("phases"), phasesJson(analysis.phases.phases));
    object.insert(QStringLiteral("phases_omitted"), static_cast<qint64>(analysis.phases.omitted));
    object.insert(QStringLiteral("phase_totals"), phaseTotalsJson(analysis.phases.totals));
    object.insert(QStringLiteral("resistance"), resistanceJson(analysis.resistance));
    const double ohms = analysis.resistanceSummary.packOhms;
    object.insert(QStringLiteral("resistance_ohms"), analysis.resistanceSummary.shownCount > 0
                                                         ? QJsonValue(std::round(ohms * 1e5) / 1e5)
                                                         : QJsonValue());
    const QString note = mixedSummaryNote(r.summary);
    object.insert(QStringLiteral("mixed_note"), note.isEmpty() ? QJsonValue() : QJsonValue(note));
    return object;
}

QString recordedText(const Recorded& r, const RecordingAnalysis& analysis) {
    return summaryText(r.summary, terminalText(r.name, false)) + alarmsText(r.alarms) +
           phasesText(analysis.phases) + resistanceText(analysis.resistance);
}

QString terminalText(QStringView text, bool keepLines) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && !(keepLines && (u == u'\n' || u == u'\t'))) || u == 0x7F) {
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        } else if (u >= 0x80 && u <= 0x9F) {
            shown += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QByteArray terminalJson(const QByteArray& json) {
    QByteArray shown;
    shown.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0U;
        // Raw, these can only stand inside strings; U+0080 to U+009F are
        // 0xC2 0x80 to 0xC2 0x9F in UTF-8.
        if (byte == 0x7F) {
            shown += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            shown += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            shown += json[i];
        }
    }
    return shown;
}

QString numberedPath(const QString& out, std::size_t index, std::size_t count) {
    if (count <= 1) {
        return out;
    }
    const QFileInfo info(out);
    const QString suffix = info.suffix();
    const QString number = QStringLiteral("-%1").arg(index + 1);
    if (suffix.isEmpty()) {
        return out + number;
    }
    return out.left(out.size() - suffix.size() - 1) + number + u'.' + suffix;
}

std::vector<Recorded> readRecordings(const QString& path, RowsRead rows) {
    if (isCapture(path)) {
        return readCaptureRecordings(path);
    }
    if (rows == RowsRead::Dropped) {
        RecordingFile file;
        RecordingAnalyzer analyzer;
        Recorded r;
        r.name = path;
        r.summary = streamAndSummarize(file, path,
                                       [&analyzer](const RowFields&, const RowNumbers& numbers) {
                                           analyzer.add(rangeNumbers(numbers));
                                       });
        r.analysis = analyzer.finish();
        r.rows = file.rowCount();
        r.alarms = file.alarms();
        r.missingValues = file.missingValueCount();
        return {std::move(r)};
    }
    RecordingFile file;
    file.setCurvesWanted(false);  // a picture takes its curves from the rows
    auto store = std::make_shared<RowStore>();
    Recorded r;
    r.name = path;
    // The phases are cut in the same pass.
    PhaseCutter cutter;
    std::size_t index = 0;
    r.summary = readAndSummarize(file, path, {}, store.get(),
                                 [&cutter, &index](const RowFields&, const RowNumbers& row) {
                                     cutter.add(index++, rangeNumbers(row));
                                 });
    r.phases = cutter.result();
    r.rows = file.rowCount();
    r.alarms = file.alarms();
    r.missingValues = file.missingValueCount();
    r.store = std::move(store);
    return {std::move(r)};
}

void writeDatedCsv(const Recorded& recording, const QString& path) {
    const QDateTime start = recording.summary.start;
    if (!start.isValid()) {
        throw std::runtime_error(
            QStringLiteral("%1 has no start time (an export has none; journals and captures do); "
                           "no dated CSV is written")
                .arg(recording.name)
                .toStdString());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(
            QStringLiteral("cannot write %1: %2").arg(path, file.errorString()).toStdString());
    }
    QStringList header{QStringLiteral("Date and time")};
    for (int column = 1; column <= kRowFieldCount; ++column) {
        header << RowStore::headerText(column);
    }
    QByteArray bytes = QByteArray("\xEF\xBB\xBF") + csvLine(header).toUtf8();
    // The time of day where the charge was recorded (the start's own UTC
    // offset), as a flight log made there has it.
    const QDateTime local = start;
    for (std::size_t row = 0; row < recording.rows; ++row) {
        QStringList texts = rowTexts(recording, row);
        const std::optional<std::uint32_t> seconds =
            recording.store->seconds(static_cast<int>(row) + 1);
        texts.prepend(
            seconds ? local.addSecs(*seconds).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
                    : QString());
        bytes += csvLine(texts).toUtf8();
        if (bytes.size() > (1 << 20)) {
            file.write(bytes);
            bytes.clear();
        }
    }
    file.write(bytes);
    if (!file.commit()) {
        throw std::runtime_error(
            QStringLiteral("cannot write %1: %2").arg(path, file.errorString()).toStdString());
    }
}

QJsonArray alarmsJson(const std::vector<AlarmNote>& alarms) {
    QJsonArray array;
    for (const AlarmNote& note : alarms) {
        QJsonObject object;
        object.insert(QStringLiteral("kind"), note.kind);
        object.insert(QStringLiteral("text"), note.text);
        object.insert(
            QStringLiteral("at_s"),
            note.atSeconds < 0 ? QJsonValue() : QJsonValue(static_cast<qint64>(note.atSeconds)));
        array.append(object);
    }
    return array;
}

QString alarmsText(const std::vector<AlarmNote>& alarms) {
    QString text;
    for (const AlarmNote& note : alarms) {
        const QString at = note.atSeconds < 0
                               ? QStringLiteral("-")
                               : QString::fromStdString(ReadingFormat::elapsedText(
                                     static_cast<std::uint32_t>(note.atSeconds) * 1000U));
        text += QStringLiteral("  alarm at %1  %2: %3\n").arg(at, note.kind, note.text);
    }
    return text;
}

int runPackHistory(const Options& options, QTextStream& out, QTextStream& err) {
    const QString folder = options.files.isEmpty() ? Journal::defaultFolder() : options.files[0];
    if (!QFileInfo(folder).isDir()) {
        say(err, folder + QStringLiteral(" is no folder"));
        err.flush();
        return kExitFailed;
    }
    std::vector<PackHistoryEntry> history = packHistoryOfFolder(folder, options.pack);
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.csv")}, QDir::Files | QDir::Readable, QDir::Name)) {
        notePackProblem(dir.filePath(name), "its recording is left out of the history", err);
    }
    err.flush();
    if (options.json && !options.health) {
        out << terminalJson(
            QJsonDocument(packHistoryJson(history)).toJson(QJsonDocument::Indented));
    } else if (!history.empty()) {
        PackHealth health = packHealthOfFolder(folder, options.pack);
        if (options.json) {
            out << terminalJson(
                QJsonDocument(packHealthJson(health)).toJson(QJsonDocument::Indented));
        } else {
            std::vector<PackHistoryEntry> shown = history;
            for (PackHistoryEntry& e : shown) {
                e.path = terminalText(e.path, false);  // a file name is shown on one line
            }
            for (CapacityPoint& c : health.capacity) {
                c.path = terminalText(c.path, false);
            }
            for (ResistancePoint& r : health.resistance) {
                r.path = terminalText(r.path, false);
            }
            out << terminalText(packHistoryText(shown), true) << '\n'
                << terminalText(packHealthText(health), true);
        }
    } else if (!options.json) {
        out << terminalText(packHistoryText(history), true);
    }
    out.flush();
    if (history.empty()) {
        say(err, QStringLiteral("no recordings of pack \"%1\" in %2").arg(options.pack, folder));
        err.flush();
        return kExitFailed;
    }
    return kExitOk;
}

int run(const Options& options, QTextStream& out, QTextStream& err) {
    if (options.import) {
        return runImport(options, out, err);
    }
    if (!options.pack.isEmpty()) {
        return runPackHistory(options, out, err);
    }
    int status = kExitOk;
    std::vector<Recorded> all;
    QStringList paths = options.files;
    paths << options.frames;
    // Only pictures and dated CSV files need the rows once they are read.
    const RowsRead rowsWanted =
        options.picture.isEmpty() && options.csv.isEmpty() ? RowsRead::Dropped : RowsRead::Kept;
    for (const QString& path : paths) {
        try {
            const bool frames = options.frames.contains(path) && !options.files.contains(path);
            std::vector<Recorded> read = frames ? readFramesRecordings(path, options.charger, err)
                                         : isCapture(path)
                                             ? readCaptureRecordings(path, options.charger)
                                             : readRecordings(path, rowsWanted);
            for (Recorded& r : read) {
                if (r.missingValues > 0) {
                    say(err, QStringLiteral("%1: %2 values that are no measurement (not a number, "
                                            "not finite or beyond 1e9) read as missing")
                                 .arg(r.name)
                                 .arg(r.missingValues));
                }
                all.push_back(std::move(r));
            }
            if (!isCapture(path) && !frames) {
                notePackProblem(path, "the recording is reported without a pack", err);
            }
        } catch (const std::exception& e) {
            say(err, QString::fromStdString(e.what()));
            status = kExitFailed;
        }
    }
    std::vector<RecordingAnalysis> analyses;
    for (const Recorded& r : all) {
        analyses.push_back(analyzeRecorded(r));
    }
    if (options.json) {
        QJsonArray array;
        for (std::size_t i = 0; i < all.size(); ++i) {
            array.append(recordedJson(all[i], analyses[i]));
        }
        out << terminalJson(QJsonDocument(array).toJson(QJsonDocument::Indented));
    } else {
        // Names, notes and alarm texts come from files anyone may have made:
        // what would steer the terminal is shown instead. The note is on
        // one line already; a file name is put on one.
        for (std::size_t i = 0; i < all.size(); ++i) {
            out << (i > 0 ? "\n" : "") << terminalText(recordedText(all[i], analyses[i]), true);
        }
    }
    out.flush();
    for (std::size_t i = 0; i < all.size(); ++i) {
        try {
            if (!options.csv.isEmpty()) {
                writeDatedCsv(all[i], numberedPath(options.csv, i, all.size()));
            }
            if (!options.picture.isEmpty()) {
                writePicture(all[i], numberedPath(options.picture, i, all.size()), options.size,
                             options.light, options.cells);
            }
        } catch (const std::exception& e) {
            say(err, QString::fromStdString(e.what()));
            status = kExitFailed;
        }
    }
    err.flush();
    return status;
}

}  // namespace cellwatch::report
