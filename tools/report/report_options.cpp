// cellwatch-report's help and the reading of its arguments.
#include <QFileInfo>
#include <QSize>

#include "protocol/driver_registry.h"
#include "readout/pack_file.h"
#include "tools/report/report.h"

namespace cellwatch::report {
namespace {

const char* const kHelp =
    "Usage: cellwatch-report [options] FILE...\n"
    "       cellwatch-report --pack NAME [--json [--health]] [FOLDER]\n"
    "       cellwatch-report --import FILE... --pack NAME [--date YYYY-MM-DD] [--folder DIR]\n"
    "       cellwatch-report --list-chargers\n"
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
    "                    equivalent full cycles, the resistance trend (with each\n"
    "                    cell's resistance as the charger reported it, beside the\n"
    "                    estimated one) and a cell that keeps standing out\n"
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
    "  --csv OUT         writes the recording as plain CSV: the header row and the\n"
    "                    rows only (no comment or alarm lines), as the export format\n"
    "                    with a first column \"Date and time\" (needs a start time:\n"
    "                    journals and captures have one); several recordings give\n"
    "                    OUT-1, OUT-2 ...\n"
    "  --charger NAME    the charger's driver that decodes captures (default tkrx)\n"
    "  --frames FILE     a file of received messages written as text, reported as\n"
    "                    a capture: one message per line, in hex (spaces allowed),\n"
    "                    each optionally preceded by its time and ': '\n"
    "                    (2025-02-27_12-44-47: 7b 81 ... or 2025-02-27T12:44:47.123:\n"
    "                    7b81...); a line without a time comes one second after the\n"
    "                    one before. Bad lines are counted on standard error and\n"
    "                    skipped. May be given more than once\n"
    "  --import          imports each FILE as a recording of the recordings folder\n"
    "                    (or --folder DIR), filed under the pack --pack NAME, so\n"
    "                    that it shows in the window's Recordings list and the\n"
    "                    pack's history. FILE is a ToolkitRC SD-card log (.xls),\n"
    "                    OpenFormat lines (plain or self-describing) or a table\n"
    "                    of this program (a journal from another computer, an\n"
    "                    export, a --csv file). A file imported before is said to\n"
    "                    be and not written again; a damaged file is refused with\n"
    "                    the line and column of the fault, and nothing of it is\n"
    "                    written. One line per file on standard output; with\n"
    "                    several, \"importing N of M: FILE\" on standard error\n"
    "  --date YYYY-MM-DD with --import: the day a log was recorded on when the\n"
    "                    file does not tell (a ToolkitRC charger has no clock);\n"
    "                    several such files follow one another from midnight\n"
    "  --folder DIR      with --import: the recordings folder (default: the\n"
    "                    window's)\n"
    "  --list-chargers   print the chargers' drivers (id, maker, models), one a\n"
    "                    line, and exit\n"
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
    "Exit status: 0 all reported (or imported), 1 a file failed (or was refused),\n"
    "2 bad usage.\n";

// One line on standard error, its controls shown rather than obeyed (a file
// name may hold any of them).
}  // namespace

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
        if (a == QLatin1String("--list-chargers")) {
            return Parsed::ListChargers;
        }
        if (a == QLatin1String("--json")) {
            options.json = true;
        } else if (a == QLatin1String("--import")) {
            options.import = true;
        } else if (a == QLatin1String("--folder")) {
            if (!value(options.folder)) {
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--date")) {
            QString text;
            if (!value(text)) {
                return Parsed::Usage;
            }
            options.date = QDate::fromString(text, Qt::ISODate);
            if (!options.date.isValid()) {
                error = QStringLiteral("--date takes a day as YYYY-MM-DD, not %1").arg(text);
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--charger")) {
            if (!value(options.charger)) {
                return Parsed::Usage;
            }
            if (findDriver(options.charger.toStdString()) == nullptr) {
                error = QStringLiteral("no charger %1; the chargers are: %2")
                            .arg(options.charger, QString::fromStdString(driverIdsText()));
                return Parsed::Usage;
            }
        } else if (a == QLatin1String("--frames")) {
            QString file;
            if (!value(file)) {
                return Parsed::Usage;
            }
            options.frames << file;
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
    if (options.import) {
        if (options.pack.isEmpty() || options.files.isEmpty()) {
            error = QStringLiteral("--import takes the FILEs to import and --pack NAME");
            return Parsed::Usage;
        }
        if (options.json || options.health || !options.picture.isEmpty() ||
            !options.csv.isEmpty() || !options.frames.isEmpty()) {
            error = QStringLiteral("--import goes only with --pack, --date and --folder");
            return Parsed::Usage;
        }
        return Parsed::Run;
    }
    if (options.date.isValid() || !options.folder.isEmpty()) {
        error = QStringLiteral("--date and --folder go with --import");
        return Parsed::Usage;
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
    if (options.files.isEmpty() && options.frames.isEmpty()) {
        error = QStringLiteral("no FILE given");
        return Parsed::Usage;
    }
    return Parsed::Run;
}

}  // namespace cellwatch::report
