// cellwatch-report: what each recording came to, for scripts and for the
// headless machine beside the charger. The command is a library so that
// tests can run it in-process as well as the built tool.
#pragma once

#include <QDate>
#include <QJsonArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/cell_curves.h"
#include "analysis/recording_analysis.h"
#include "analysis/recording_summary.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"

namespace cellwatch::report {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file could not be read or is no recording
inline constexpr int kExitUsage = 2;

struct Options {
    bool json = false;
    QString picture;  // OUT.png, .svg or .pdf; empty: none
    QSize size{1200, 700};
    bool light = false;                  // --theme light
    std::optional<CellCurveMode> cells;  // --cells [diff]: the picture's cells pane
    QString csv;                         // OUT; empty: none
    QString pack;                        // --pack NAME: the pack's history instead of summaries
    bool health = false;                 // --health: with --pack --json, the pack's health
    QStringList files;                   // with --pack, at most one: the folder
    QStringList frames;                  // --frames FILE: frames files, played as captures
    QString charger = QStringLiteral("tkrx");  // --charger NAME: the driver of captures
    bool import = false;                       // --import: files imported as journals under `pack`
    QDate date;                                // --date: of imported logs that do not tell theirs
    QString folder;                            // --folder: the recordings folder to import into
};

enum class Parsed { Run, Help, Version, Usage, ListChargers };

// Reads the arguments after the program's name. On Usage, `error` says why.
Parsed parseArguments(const QStringList& args, Options& options, QString& error);
QString helpText();

// One recording of a file: a journal or export is one; a capture holds one
// per recording the pause rule split it into.
struct Recorded {
    QString name;  // the file, and " #n" for the n-th recording of a capture
    RecordingSummaryValues summary;
    std::size_t rows = 0;
    std::shared_ptr<const RowStore> store;  // its rows, data row i in grid row i + 1; may be none
    std::optional<RecordingPhases> phases;  // when cut as the rows were read
    std::optional<RecordingAnalysis> analysis;  // when made as the rows were read
    std::vector<AlarmNote> alarms;              // the alarm lines of a journal
    std::size_t missingValues = 0;              // fields that hold no measurement, read as missing
};

// Its phases and resistance estimates, from its rows.
// The 22 texts of a recording's row (0 = the first).
QStringList rowTexts(const Recorded& recording, std::size_t row);

RecordingAnalysis analyzeRecorded(const Recorded& recording);

// A recording's report as JSON: the summary's keys, alarms, phases,
// phase_totals, resistance, resistance_ohms (the median of the estimates to
// be shown; null without) and mixed_note (what the whole-recording figures
// mean for a recording that is not one charge or one discharge; null
// otherwise).
QJsonObject recordedJson(const Recorded& recording, const RecordingAnalysis& analysis);
// And as text: the summary, its alarms, phases and resistance estimates.
QString recordedText(const Recorded& recording, const RecordingAnalysis& analysis);

// The alarms of a recording: for JSON, an array of {kind, text, at_s}
// (at_s null before the first row); as text, one line each under the
// summary ("  alarm at 0:01:07  cell-high: ..."), nothing without alarms.
QJsonArray alarmsJson(const std::vector<AlarmNote>& alarms);
QString alarmsText(const std::vector<AlarmNote>& alarms);

// Reads one file into its recordings. Throws std::runtime_error with the
// reason when it cannot be read or is no recording. With RowsRead::Dropped, a
// journal or export is read a few megabytes at a time and summed up and
// analysed as it is read, keeping no row (no store: neither pictures nor
// dated CSV files can be made of it); a capture keeps its rows either way.
enum class RowsRead { Kept, Dropped };
std::vector<Recorded> readRecordings(const QString& path, RowsRead rows = RowsRead::Kept);

// The recordings of a capture (see readRecordings), decoded by the driver
// of `charger`.
std::vector<Recorded> readCaptureRecordings(const QString& path,
                                            const QString& charger = QStringLiteral("tkrx"));
// The recordings of a frames file (protocol/frames_text.h), played as the
// capture it makes; its bad lines are said on `err`.
std::vector<Recorded> readFramesRecordings(const QString& path, const QString& charger,
                                           QTextStream& err);

// The report of all files: summaries on `out` (text or JSON), pictures and
// CSV files as asked; one line per failed file on `err`. The exit status.
int run(const Options& options, QTextStream& out, QTextStream& err);

// The history of options.pack over the journals of a folder (the files
// given, else the recordings folder) as a table or JSON on `out`.
int runPackHistory(const Options& options, QTextStream& out, QTextStream& err);

// Imports options.files as journals of the recordings folder filed under
// options.pack: a line per file on `out` (imported, already imported or
// refused and why), "importing N of M: FILE" on `err` before each of
// several files. kExitFailed when any file was refused.
int runImport(const Options& options, QTextStream& out, QTextStream& err);

// Text to print on a terminal: control characters are shown, not obeyed.
// C0 controls as \x1b (tab and line feed kept when `keepLines`), DEL as
// \x7f and C1 controls as \u009b; all else as it is (a backslash too: the
// text form is for reading, --json gives the exact text).
QString terminalText(QStringView text, bool keepLines);
// JSON text (UTF-8) with DEL and the C1 controls, which JSON allows raw in
// strings, written as \u007f and \u009b: the same JSON, safe on a terminal.
QByteArray terminalJson(const QByteArray& json);

// OUT itself for one of one; OUT-1, OUT-2 ... (before the suffix) for several.
QString numberedPath(const QString& out, std::size_t index, std::size_t count);

// Writes a recording as the export format with a first column "Date and
// time" (local ISO 8601: its start plus each row's elapsed time). Throws
// std::runtime_error when it has no start or the file cannot be written.
void writeDatedCsv(const Recorded& recording, const QString& path);

// Draws a recording's chart as the window draws it, with a caption block
// under it (file, start, battery, kind, duration, mAh, Wh, largest spread),
// into a .png, .svg or .pdf. Throws std::runtime_error when it cannot.
// The chart of `recording` with its alarm markers, and with `cells` a cells
// pane under it.
void writePicture(const Recorded& recording, const QString& path, QSize size, bool light,
                  std::optional<CellCurveMode> cells = std::nullopt);

// The rows of a recording of the report, read through their texts; valid
// while `recording` is.
std::shared_ptr<RangeRows> recordedRows(const Recorded& recording);

}  // namespace cellwatch::report
