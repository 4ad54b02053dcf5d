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
#include "protocol/sample_text.h"
#include "protocol/status_sample.h"
#include "protocol/version.h"
#include "readout/journal.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "readout/table_export.h"

namespace cellwatch::report {
namespace {

const char* const kHelp =
    "Usage: cellwatch-report [options] FILE...\n"
    "       cellwatch-report --pack NAME [--json [--health]] [FOLDER]\n"
    "\n"
    "Says what each recording came to: rows, duration, capacity, energy, currents,\n"
    "voltages, temperatures and cells, with the largest cell spread, and the alarms\n"
    "raised while it was recorded (a journal's '# alarm' lines). Then its phases\n"
    "(each charge and discharge: capacity from the counter's own increments, energy,\n"
    "duration, mean and largest current; the efficiency when it has both) and the\n"
    "internal resistance at each step of its current, with its uncertainty.\n"
    "\n"
    "FILE is a journal or an exported table (whatever the window's File > Open reads),\n"
    "or a capture (.cwcap), which is played through the receive path on its own\n"
    "clocks as cellwatch-log --replay plays it; each recording in a capture (split\n"
    "where the charger paused for more than 4 seconds) is reported on its own.\n"
    "\n"
    "Options:\n"
    "  --json            one JSON array, one object per recording, with the keys\n"
    "                    file, start, battery, kind, rows, duration_s, capacity_mah,\n"
    "                    energy_wh, current_avg_a, current_max_a, voltage_first_v,\n"
    "                    voltage_last_v, voltage_max_v, temp_ext_max_c, temp_int_max_c,\n"
    "                    cells, cells_last_v, cell_spread_max_v, cell_spread_max_at_s,\n"
    "                    alarms (the alarms a journal holds: objects with kind,\n"
    "                    text and at_s, the elapsed seconds of the row before),\n"
    "                    pack and note (null when the recording has none),\n"
    "                    phases, phase_totals (with efficiency_wh and\n"
    "                    efficiency_mah), resistance (each estimate with ohms,\n"
    "                    uncertainty_ohms and shown: false when over 25 %\n"
    "                    uncertain), resistance_ohms and mixed_note (for a\n"
    "                    recording that is neither one charge nor one discharge:\n"
    "                    the whole-recording figures are over every row, the\n"
    "                    counter's last count among them; null otherwise)\n"
    "  --pack NAME       the history of a battery pack: its recordings in FOLDER\n"
    "                    (default: the window's recordings folder) by date, one\n"
    "                    line each with date, kind, mAh, Wh and the largest cell\n"
    "                    spread; with --json an array of objects with the keys\n"
    "                    file, start, kind, capacity_mah, energy_wh and\n"
    "                    cell_spread_max_v. NAME is compared exactly (letter case\n"
    "                    counts) after outer blanks are removed. The text ends with\n"
    "                    the pack's health: each full charge and discharge as a\n"
    "                    percentage of the nominal capacity and of the first,\n"
    "                    equivalent full cycles, the resistance trend and a cell\n"
    "                    that keeps standing out\n"
    "  --health          with --pack and --json: the pack's health as one object\n"
    "                    (definition, capacity, throughput_ah, equivalent_cycles,\n"
    "                    resistance, resistance_change_percent, finding)\n"
    "  --picture OUT     draws each recording's chart with a caption into OUT\n"
    "                    (.png, .svg or .pdf); several recordings give OUT-1, OUT-2 ...\n"
    "  --size WxH        the picture's size in pixels (default 1200x700)\n"
    "  --theme light     a white background with dark text, for printing and forums\n"
    "  --cells [diff]    the picture gets a pane of every cell's curve under the\n"
    "                    chart, in V, or with diff each cell's difference from the\n"
    "                    mean of the cells in mV (a recording's alarms are marked\n"
    "                    on the time axis either way)\n"
    "                    (default: the window's dark look)\n"
    "  --csv OUT         writes the recording as the export format with a first column\n"
    "                    \"Date and time\" (needs a start time: journals and captures\n"
    "                    have one); several recordings give OUT-1, OUT-2 ...\n"
    "  --help            this text\n"
    "  --version         the program's name and version\n"
    "\n"
    "A recording's pack and note are kept beside its journal in NAME.pack.json\n"
    "(cellwatch-20261205-143012.csv has cellwatch-20261205-143012.pack.json).\n"
    "It may also say what the pack is: chemistry (LiPo, LiHV, LiIon, LiFe, NiMH,\n"
    "NiCd, Pb), cells, capacity_mah (nominal), cell_high_v and cell_low_v, and\n"
    "left_out (true: the recording is left out of the pack's history and health).\n"
    "\n"
    "A file that cannot be read or is no recording gives one line on standard error;\n"
    "the others are still reported. Only regular files are read: a FIFO, a device\n"
    "or a directory given or found in a file's place is refused at once. A pack\n"
    "file that cannot be read gives a line on standard error too; its recording\n"
    "is reported without a pack (with --pack: is left out of the history).\n"
    "Exit status: 0 all reported, 1 a file failed, 2 bad usage.\n";

// One line on standard error, its controls shown rather than obeyed (a file
// name may hold any of them).
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

// The rows of a recording of the report, through their texts.
class RecordedRows final : public RangeRows {
public:
    explicit RecordedRows(const Recorded& recording) : recording_(recording) {}
    std::size_t rowCount() const override { return recording_.rows; }
    RangeRowNumbers numbers(std::size_t index) override {
        const QStringList texts = recording_.rowTexts(index);
        std::array<QByteArray, kSampleFieldCount> bytes;
        RowFields fields;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            bytes[i] = texts.value(static_cast<qsizetype>(i)).toUtf8();
            fields[i] =
                std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
        }
        return rangeNumbers(fields);
    }

private:
    const Recorded& recording_;
};

}  // namespace

std::shared_ptr<RangeRows> recordedRows(const Recorded& recording) {
    return std::make_shared<RecordedRows>(recording);
}

RecordingAnalysis analyzeRecorded(const Recorded& recording) {
    RecordedRows rows(recording);
    return analyzeRows(rows);
}

QJsonObject recordedJson(const Recorded& r, const RecordingAnalysis& analysis) {
    QJsonObject object = summaryJson(r.summary, r.name);
    object.insert(QStringLiteral("alarms"), alarmsJson(r.alarms));
    object.insert(QStringLiteral("phases"), phasesJson(analysis.phases.phases));
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

QString helpText() {
    return QString::fromLatin1(kHelp);
}

Parsed parseArguments(const QStringList& args, Options& options, QString& error) {
    options = Options{};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size()) {
                error = a + QStringLiteral(" needs a value");
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            return Parsed::Help;
        }
        if (a == QLatin1String("--version")) {
            return Parsed::Version;
        }
        if (a == QLatin1String("--json")) {
            options.json = true;
        } else if (a == QLatin1String("--health")) {
            options.health = true;
        } else if (a == QLatin1String("--picture")) {
            if (!value(options.picture)) {
                return Parsed::Usage;
            }
            const QString suffix = QFileInfo(options.picture).suffix().toLower();
            if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
                suffix != QLatin1String("pdf")) {
                error = QStringLiteral("--picture takes a .png, .svg or .pdf file");
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--size")) {
            QString text;
            if (!value(text)) {
                return Parsed::Usage;
            }
            static const QRegularExpression pattern(QStringLiteral("^(\\d{2,5})x(\\d{2,5})$"));
            const QRegularExpressionMatch m = pattern.match(text);
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 200 || h < 150 || w > 10000 || h > 10000) {
                error = QStringLiteral("--size takes WxH, from 200x150 to 10000x10000");
                return Parsed::Usage;
            }
            options.size = QSize(w, h);
        } else if (a == QLatin1String("--cells") || a.startsWith(QLatin1String("--cells="))) {
            // "--cells", "--cells volts", "--cells diff" or "--cells=MODE".
            QString mode = a.mid(8);
            if (mode.isEmpty() && i + 1 < args.size() &&
                (args[i + 1] == QLatin1String("diff") || args[i + 1] == QLatin1String("volts"))) {
                mode = args[++i];
            }
            if (mode.isEmpty() || mode == QLatin1String("volts")) {
                options.cells = CellCurveMode::Volts;
            } else if (mode == QLatin1String("diff")) {
                options.cells = CellCurveMode::DifferenceMv;
            } else {
                error = QStringLiteral("--cells takes volts or diff, not %1").arg(mode);
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--theme")) {
            QString theme;
            if (!value(theme)) {
                return Parsed::Usage;
            }
            if (theme != QLatin1String("light") && theme != QLatin1String("dark")) {
                error = QStringLiteral("--theme takes light or dark");
                return Parsed::Usage;
            }
            options.light = theme == QLatin1String("light");
        } else if (a == QLatin1String("--pack")) {
            if (!value(options.pack)) {
                return Parsed::Usage;
            }
            options.pack = normalizedPackName(options.pack);
            if (options.pack.isEmpty()) {
                error = QStringLiteral("--pack needs a pack name");
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--csv")) {
            if (!value(options.csv)) {
                return Parsed::Usage;
            }
        } else if (a.startsWith(u'-') && a != QLatin1String("-")) {
            error = QStringLiteral("unknown option ") + a;
            return Parsed::Usage;
        } else {
            options.files << a;
        }
    }
    if (options.cells && options.picture.isEmpty()) {
        error = QStringLiteral("--cells goes with --picture");
        return Parsed::Usage;
    }
    if (options.health && options.pack.isEmpty()) {
        error = QStringLiteral("--health goes with --pack");
        return Parsed::Usage;
    }
    if (!options.pack.isEmpty()) {
        if (options.files.size() > 1) {
            error = QStringLiteral("--pack takes one FOLDER at most");
            return Parsed::Usage;
        }
        if (!options.picture.isEmpty() || !options.csv.isEmpty()) {
            error = QStringLiteral("--pack prints a table; --picture and --csv do not go with it");
            return Parsed::Usage;
        }
        return Parsed::Run;
    }
    if (options.files.isEmpty()) {
        error = QStringLiteral("no FILE given");
        return Parsed::Usage;
    }
    return Parsed::Run;
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

std::vector<Recorded> readRecordings(const QString& path) {
    if (isCapture(path)) {
        return readCaptureRecordings(path);
    }
    auto file = std::make_shared<RecordingFile>();
    Recorded r;
    r.name = path;
    r.summary = readAndSummarize(*file, path);
    r.rows = file->rowCount();
    r.rowTexts = [f = file.get()](std::size_t row) { return f->rowTexts(row); };
    r.alarms = file->alarms();
    r.keep = file;
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
    for (int column = 1; column <= kSampleFieldCount; ++column) {
        header << RowStore::headerText(column);
    }
    QByteArray bytes = QByteArray("\xEF\xBB\xBF") + csvLine(header).toUtf8();
    // The time of day where the charge was recorded (the start's own UTC
    // offset), as a flight log made there has it.
    const QDateTime local = start;
    for (std::size_t row = 0; row < recording.rows; ++row) {
        QStringList texts = recording.rowTexts(row);
        const auto seconds = parseElapsedText(texts.value(kFieldElapsed).toStdString());
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
                               : QString::fromStdString(elapsedText(
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
    if (!options.pack.isEmpty()) {
        return runPackHistory(options, out, err);
    }
    int status = kExitOk;
    std::vector<Recorded> all;
    for (const QString& path : options.files) {
        try {
            for (Recorded& r : readRecordings(path)) {
                all.push_back(std::move(r));
            }
            if (!isCapture(path)) {
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
