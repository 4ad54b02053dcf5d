// cellwatch-report as a user runs it: the built tool on journals, exports and
// captures, its JSON, its failures and exit statuses, pictures and CSV files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <functional>

#include "chart/alarm_markers.h"
#include "chart/cell_pane.h"
#include "serial/capture.h"
#include "tests/analysis/made_rows.h"
#include "tests/support/charger_readings.h"
#include "tests/support/journal_text.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch {
namespace {

namespace emu = cellwatch::emulator;
using testing::journalRow;
using testing::journalText;
using testing::writeFile;

struct Ran {
    int status = -1;
    QByteArray out;
    QString err;
};

Ran report(const QStringList& args, int timeoutMs = 60'000) {
    const testing::ToolResult r =
        testing::runTool(QStringLiteral(CELLWATCH_REPORT_TOOL), args, timeoutMs);
    return {r.status, QByteArray::fromStdString(r.out), QString::fromStdString(r.err)};
}

// A charge reading whose input sags below 11 V.
emu::ChargerReading sagging() {
    emu::ChargerReading r = testing::charging(0);
    r.inputVoltage = Decimal::fromHundredths(1090);
    return r;
}

class ReportTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        return testing::writeFile(dir.filePath(name), bytes);
    }
    QString journal() {
        return write(
            QStringLiteral("cellwatch-20261205-143012.csv"),
            journalText(
                QStringLiteral("2026-12-05T14:30:12+01:00"),
                {{1, "+CHG+", 12.0, 2, 0}, {2, "+CHG+", 12.1, 2, 1}, {4, "+CHG+", 12.2, 2, 2}}));
    }
    QString exported() {
        return write(QStringLiteral("export.csv"),
                     journalText({}, {{1, "-DSC-", 8, -1, 0}, {2, "+CHG+", 8, 1, 1}}));
    }
    // A capture of each reading at its milliseconds after the capture began.
    QString capture(const char* name,
                    const std::vector<std::pair<std::int64_t, emu::ChargerReading>>& records) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        CaptureWriter w(QFile::encodeName(path).toStdString());
        const CaptureStart start{1'764'941'412'000, 3600, 1000};
        w.writeStart(start);
        for (const auto& [atMs, r] : records) {
            w.writeRecord(start.wallMs + atMs, start.ticks + static_cast<std::uint32_t>(atMs),
                          emu::encodeStatus(r, FrameLayout::Long112));
        }
        w.close();
        return path;
    }
    // Five messages a second apart, a silence of 10 s, then three more: two
    // recordings (the first message after the silence starts the second).
    QString capture() {
        std::vector<std::pair<std::int64_t, emu::ChargerReading>> records;
        for (int k = 0; k < 8; ++k) {
            records.emplace_back(k < 5 ? 1000 * (k + 1) : 15'000 + 1000 * k, testing::charging(k));
        }
        return capture("run.cwcap", records);
    }

    QTemporaryDir dir;
};

TEST_F(ReportTest, JsonSummarisesJournalsExportsAndEachRecordingOfACapture) {
    const Ran r = report({"--json", journal(), exported(), capture()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray all = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(all.size(), 4) << r.out.toStdString();
    const QStringList names =
        QStringLiteral(
            "file start battery kind rows duration_s capacity_mah energy_wh current_avg_a "
            "current_max_a voltage_first_v voltage_last_v voltage_max_v temp_ext_max_c "
            "temp_int_max_c cells cells_last_v cell_spread_max_v cell_spread_max_at_s pack note "
            "alarms phases phase_totals resistance resistance_ohms mixed_note")
            .split(u' ');
    const QSet<QString> keys(names.begin(), names.end());
    for (const QJsonValue& v : all) {
        const QStringList got = v.toObject().keys();
        EXPECT_EQ(QSet<QString>(got.begin(), got.end()), keys);
    }
    const QJsonObject j = all[0].toObject();
    EXPECT_EQ(j["start"].toString(), QStringLiteral("2026-12-05T14:30:12+01:00"));
    EXPECT_EQ(j["kind"].toString(), QStringLiteral("charge"));
    EXPECT_EQ(j["rows"].toInt(), 3);
    // 1 s at (24 + 24.2)/2 W, then 2 s at (24.2 + 24.4)/2 W.
    EXPECT_DOUBLE_EQ(j["energy_wh"].toDouble(), 0.0202);
    EXPECT_DOUBLE_EQ(j["cell_spread_max_v"].toDouble(), 0.1);
    EXPECT_EQ(j["cells_last_v"].toArray().size(), 3);

    EXPECT_TRUE(j["pack"].isNull());
    EXPECT_TRUE(j["note"].isNull());

    const QJsonObject e = all[1].toObject();
    EXPECT_TRUE(e["start"].isNull());
    EXPECT_EQ(e["kind"].toString(), QStringLiteral("mixed"));

    const QJsonObject c1 = all[2].toObject();
    const QJsonObject c2 = all[3].toObject();
    EXPECT_TRUE(c1["file"].toString().endsWith(QStringLiteral("run.cwcap #1")));
    EXPECT_EQ(c1["rows"].toInt(), 5);
    EXPECT_EQ(c2["rows"].toInt(), 2);
    EXPECT_DOUBLE_EQ(c2["capacity_mah"].toDouble(), 70);
    EXPECT_EQ(c1["start"].toString(), QStringLiteral("2025-12-05T14:30:12+01:00"));
    EXPECT_FALSE(c2["start"].isNull());
}

// A journal's pack file: its pack and note in the summary, and the pack's
// history over a folder as a table and as JSON.
TEST_F(ReportTest, PackAndNoteAndAPacksHistory) {
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto journalOn = [&](const char* name, const char* start, const char* state, double amps,
                               int mah, const QByteArray& pack) {
        const QString path =
            write(QStringLiteral("recordings/") + QLatin1String(name),
                  journalText(QString::fromLatin1(start),
                              {{1, state, 12, amps, 0}, {3, state, 12, amps, mah}}));
        if (!pack.isEmpty()) {
            writeFile(path.chopped(4) + QStringLiteral(".pack.json"), pack);
        }
        return path;
    };
    // Names out of date order; one of another pack, one without, one
    // without its start line.
    const QString a = journalOn("cellwatch-a.csv", "2026-12-05T09:00:00+01:00", "+CHG+", 2, 2000,
                                R"({"pack": "Pack 1", "note": "first \"real\" charge"})");
    journalOn("cellwatch-b.csv", "2026-12-01T09:00:00+01:00", "-DSC-", -2, 1800,
              R"({"pack": "Pack 1"})");
    journalOn("cellwatch-c.csv", "2026-12-03T09:00:00+01:00", "+CHG+", 2, 900,
              R"({"pack": "Pack 2", "note": ""})");
    journalOn("cellwatch-d.csv", "2026-12-04T09:00:00+01:00", "+CHG+", 2, 100, {});
    journalOn("cellwatch-e.csv", "", "-DSC-", -2, 1700, R"({"pack": "Pack 1"})");

    const Ran json = report({"--json", a});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(json.out).array().at(0).toObject();
    EXPECT_EQ(j["pack"].toString(), QStringLiteral("Pack 1"));
    EXPECT_EQ(j["note"].toString(), QStringLiteral("first \"real\" charge"));
    const Ran text = report({a});
    EXPECT_TRUE(text.out.contains("  pack:            Pack 1\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("  note:            first \"real\" charge\n"));

    const Ran table = report({"--pack", "Pack 1", folder});
    ASSERT_EQ(table.status, 0) << table.err.toStdString();
    // The history, then after a blank line the pack's health.
    const QList<QByteArray> lines = table.out.split('\n').mid(0, table.out.split('\n').indexOf(""));
    ASSERT_EQ(lines.size(), 4) << table.out.toStdString();
    EXPECT_EQ(lines[0].simplified(), "date kind mAh Wh spread V");
    EXPECT_EQ(lines[1].simplified(), "2026-12-01T09:00:00+01:00 discharge 1800 0.0133 0.100");
    EXPECT_EQ(lines[2].simplified(), "2026-12-05T09:00:00+01:00 charge 2000 0.0133 0.100");
    EXPECT_EQ(lines[3].simplified(), "cellwatch-e.csv discharge 1700 0.0133 0.100");  // no start

    const Ran history = report(
        {QStringLiteral("--pack"), QStringLiteral(" Pack 1 "), QStringLiteral("--json"), folder});
    ASSERT_EQ(history.status, 0) << history.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(history.out).array();
    ASSERT_EQ(entries.size(), 3) << history.out.toStdString();
    EXPECT_TRUE(entries[2].toObject()["start"].isNull());
    EXPECT_EQ(entries[2].toObject()["energy_wh"].toDouble(), 0.0133);
    EXPECT_EQ(entries[0].toObject()["kind"].toString(), QStringLiteral("discharge"));
    EXPECT_EQ(entries[1].toObject()["capacity_mah"].toDouble(), 2000);
    EXPECT_TRUE(
        entries[1].toObject()["file"].toString().endsWith(QStringLiteral("cellwatch-a.csv")));

    // No such pack, no folder, no name: said, with the statuses of failure and usage.
    const Ran none = report({"--pack", "pack 1", folder});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no recordings of pack")))
        << none.err.toStdString();
    EXPECT_EQ(report({"--pack", "Pack 1", dir.filePath("missing")}).status, 1);
    EXPECT_EQ(report({"--pack", "  "}).status, 2);
    EXPECT_EQ(report({"--pack", "Pack 1", folder, folder}).status, 2);
    EXPECT_TRUE(report({"--help"}).out.contains("--pack NAME"));
}

// A journal's alarm lines are listed under its recording, in the text and
// in the JSON with the time of the row before each; a capture's alarms are
// found by replaying it.
// What is put in a pack file's place by mistake or on purpose (a FIFO would
// make a reader wait for ever, /dev/zero never ends, a large file is no pack
// file) is named on standard error at once, and the report goes on: the
// recording without a pack, the history without the recording. Each run has
// a few seconds: should it hang again, it fails instead of holding the suite.
TEST_F(ReportTest, HostilePackFilesAreNamedAtOnceAndTheReportGoesOn) {
    const QString folder = dir.filePath(QStringLiteral("hostile"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString good =
        testing::writeFile(folder + QStringLiteral("/cellwatch-a.csv"),
                           journalText(QStringLiteral("2026-12-01T09:00:00+01:00"),
                                       {{1, "+CHG+", 12.0, 2, 0}, {2, "+CHG+", 12.1, 2, 1}}));
    testing::writeFile(folder + QStringLiteral("/cellwatch-a.pack.json"), R"({"pack": "Pack 1"})");
    const QString hostile =
        testing::writeFile(folder + QStringLiteral("/cellwatch-b.csv"),
                           journalText(QStringLiteral("2026-12-02T09:00:00+01:00"),
                                       {{1, "+CHG+", 12.0, 2, 0}, {2, "+CHG+", 12.1, 2, 1}}));
    const QString pack = folder + QStringLiteral("/cellwatch-b.pack.json");
    const struct {
        const char* name;
        std::function<void()> make;
        const char* says;
    } cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(pack).constData(), 0600), 0); },
         "it is a FIFO, not a regular file"},
        {"a link to /dev/zero",
         [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), pack)); },
         "it is a device, not a regular file"},
        {"a directory", [&] { ASSERT_TRUE(QDir().mkdir(pack)); }, "it is a directory"},
        {"100 MB",
         [&] {
             QFile f(pack);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(100'000'000));
         },
         "it is larger than 1 MiB"},
    };
    // Only a guard against a hang (a FIFO waited on): answers take milliseconds.
    constexpr int kAllowedMs = 60000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().rmdir(pack);
        QFile::remove(pack);
        c.make();
        const QString named = QStringLiteral("cellwatch-report: cannot read %1: %2; ")
                                  .arg(pack, QString::fromUtf8(c.says));
        const Ran json = report({"--json", hostile, good}, kAllowedMs);
        EXPECT_EQ(json.status, 0);
        EXPECT_EQ(json.err, named + QStringLiteral("the recording is reported without a pack\n"));
        const QJsonArray all = QJsonDocument::fromJson(json.out).array();
        ASSERT_EQ(all.size(), 2) << json.out.toStdString();
        EXPECT_TRUE(all[0].toObject()["pack"].isNull());
        EXPECT_EQ(all[0].toObject()["rows"].toInt(), 2);
        EXPECT_EQ(all[1].toObject()["pack"].toString(), QStringLiteral("Pack 1"));

        const Ran history = report({"--pack", "Pack 1", folder}, kAllowedMs);
        EXPECT_EQ(history.status, 0);
        EXPECT_EQ(history.err,
                  named + QStringLiteral("its recording is left out of the history\n"));
        const QList<QByteArray> out = history.out.split('\n');
        const QList<QByteArray> lines = out.mid(0, out.indexOf(""));
        ASSERT_EQ(lines.size(), 2) << history.out.toStdString();
        EXPECT_TRUE(lines[1].startsWith("2026-12-01T09:00:00+01:00")) << lines[1].toStdString();
    }
}

// A note, a pack name, an alarm line or a file name may hold what a terminal
// obeys: ESC ] 0;TEXT BEL retitles it, ESC [2J clears it, DEL and the C1
// CSI (U+009B) steer some. The text output shows them as \x1b, \x07, \x7f
// and \u009b instead, on standard output and standard error alike; the
// JSON keeps the exact text, every control in it escaped the JSON way.
TEST_F(ReportTest, ControlCharactersFromFilesAreShownNotObeyed) {
    const QString folder = dir.filePath(QStringLiteral("odd"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString note = QString::fromUtf8(
        "\x1b]0;owned\x07 then\x1b[2J del\x7f csi\xc2\x9b"
        "2J");
    const QString path = writeFile(
        folder + QString::fromUtf8("/cellwatch-\x1b[31mred.csv"),
        journalText(QStringLiteral("2026-12-05T14:30:12+01:00"), {{1, "+CHG+", 12.0, 2, 0}}) +
            "# alarm cell-high: \x1b[2Jcleared\xc2\x9b\r\n" + journalRow({2, "+CHG+", 12.1, 2, 1}));
    ASSERT_TRUE(writeFile(path.chopped(4) + QStringLiteral(".pack.json"),
                          QJsonDocument(
                              QJsonObject{{QStringLiteral("pack"), QString::fromUtf8("P\x1b[8m1")},
                                          {QStringLiteral("note"), note}})
                              .toJson())
                    .size() > 0);
    const QString gone = folder + QString::fromUtf8("/gone\x1b]0;x\x07.csv");
    const auto obeyed = [](const QByteArray& bytes) {
        for (const char c : {'\x1b', '\x07', '\x7f'}) {
            if (bytes.contains(c)) {
                return true;
            }
        }
        return bytes.contains("\xc2\x9b");
    };

    const Ran text = report({path, gone});
    EXPECT_EQ(text.status, 1);
    EXPECT_FALSE(obeyed(text.out)) << text.out.toStdString();
    EXPECT_FALSE(obeyed(text.err.toUtf8())) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(folder.toUtf8() + "/cellwatch-\\x1b[31mred.csv\n"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(
        "  note:            \\x1b]0;owned\\x07 then\\x1b[2J del\\x7f csi\\u009b2J\n"))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("  pack:            P\\x1b[8m1\n"));
    EXPECT_TRUE(text.out.contains("cell-high: \\x1b[2Jcleared\\u009b\n"));
    EXPECT_TRUE(text.err.contains(QStringLiteral("/gone\\x1b]0;x\\x07.csv")))
        << text.err.toStdString();
    // The layout's own line breaks stay: one line per value, and one for
    // the charge phase.
    EXPECT_EQ(text.out.count('\n'), 17) << text.out.toStdString();

    const Ran json = report({"--json", path});
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_FALSE(obeyed(json.out)) << json.out.toStdString();
    const QJsonObject got = QJsonDocument::fromJson(json.out).array().at(0).toObject();
    EXPECT_EQ(got["note"].toString(), note);
    EXPECT_EQ(got["file"].toString(), path);
    EXPECT_EQ(got["alarms"].toArray().at(0).toObject()["text"].toString(),
              QString::fromUtf8("\x1b[2Jcleared\xc2\x9b"));

    const Ran history = report({QStringLiteral("--pack"), QString::fromUtf8("P\x1b[8m1"), folder});
    EXPECT_EQ(history.status, 0) << history.err.toStdString();
    EXPECT_FALSE(obeyed(history.out)) << history.out.toStdString();
    const Ran none = report({QStringLiteral("--pack"), QString::fromUtf8("\x1b]0;x\x07"), folder});
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(obeyed(none.err.toUtf8())) << none.err.toStdString();
    EXPECT_TRUE(none.err.contains(QStringLiteral("\"\\x1b]0;x\\x07\""))) << none.err.toStdString();
}

TEST_F(ReportTest, AlarmsAreListedUnderTheirRecording) {
    const QString withAlarms =
        write(QStringLiteral("cellwatch-20261205-150000.csv"),
              journalText(QStringLiteral("2026-12-05T15:00:00+01:00"),
                          {{1, "+CHG+", 12.0, 2, 0}, {5, "+CHG+", 12.1, 2, 1}}) +
                  "# alarm cell-spread: Cells 0.11 V apart (limit 0.10 V)\r\n"
                  "# alarm temperature: External temperature 51 \xC2\xB0"
                  "C (limit 50 \xC2\xB0"
                  "C)\r\n" +
                  journalRow({6, "+CHG+", 12.2, 2, 2}));
    const Ran json = report({"--json", withAlarms, journal()});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonArray all = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(all.size(), 2);
    const QJsonArray alarms = all[0].toObject()["alarms"].toArray();
    ASSERT_EQ(alarms.size(), 2) << json.out.toStdString();
    EXPECT_EQ(alarms[0].toObject(), (QJsonObject{{"kind", "cell-spread"},
                                                 {"text", "Cells 0.11 V apart (limit 0.10 V)"},
                                                 {"at_s", 5}}));
    EXPECT_EQ(alarms[1].toObject()["text"].toString(),
              QStringLiteral("External temperature 51 °C (limit 50 °C)"));
    EXPECT_TRUE(all[1].toObject()["alarms"].toArray().isEmpty());

    const Ran text = report({withAlarms});
    EXPECT_TRUE(
        text.out.contains("  alarm at 0:00:05  cell-spread: Cells 0.11 V apart (limit "
                          "0.10 V)\n"))
        << text.out.toStdString();

    // A capture whose input sags below 11 V in its second message.
    const QString path =
        capture("sag.cwcap", {{1000, testing::charging(0)}, {2000, sagging()}, {3000, sagging()}});
    const Ran replayed = report({"--json", path});
    const QJsonArray found =
        QJsonDocument::fromJson(replayed.out).array()[0].toObject()["alarms"].toArray();
    ASSERT_EQ(found.size(), 1) << replayed.out.toStdString();
    EXPECT_EQ(found[0].toObject()["kind"].toString(), QStringLiteral("input-low"));
    EXPECT_EQ(found[0].toObject()["at_s"].toInt(), 2);
}

TEST_F(ReportTest, FailuresAreNamedAndTheOthersStillReported) {
    const QString good = journal();
    const QString text = write(QStringLiteral("notes.csv"), "just a note\n");
    const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.csv"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const struct {
        QStringList args;
        int status;
        const char* says;  // on standard error
        bool reportsGood;
    } cases[] = {
        {{}, 2, "no FILE", false},
        {{"--size", "12"}, 2, "--size", false},
        {{"--picture", "x.gif", good}, 2, ".png, .svg or .pdf", false},
        {{"--bogus", good}, 2, "unknown option --bogus", false},
        {{good, dir.filePath("missing.csv")}, 1, "missing.csv", true},
        {{text, good}, 1, "notes.csv is not a recording", true},
        {{dir.path(), good}, 1, ": it is a directory.", true},
        {{fifo, good}, 1, "fifo.csv: it is a FIFO, not a regular file.", true},
        {{zero, good}, 1, "zero.csv: it is a device, not a regular file.", true},
        {{"--csv", dir.filePath("d.csv"), exported()}, 1, "has no start time", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Ran r = report(c.args, 10'000);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_EQ(r.out.contains("cellwatch-20261205-143012.csv"), c.reportsGood);
    }
    const Ran help = report({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("Exit status"));
    EXPECT_EQ(report({"--version"}).out, "cellwatch-report 1.10.0\n");
}

TEST_F(ReportTest, PicturesAndDatedCsvFiles) {
    const QString cap = capture();
    const Ran r = report({"--picture", dir.filePath("p.png"), "--size", "800x500", "--csv",
                          dir.filePath("d.csv"), cap});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (const char* name : {"p-1.png", "p-2.png"}) {
        const QImage image(dir.filePath(QString::fromLatin1(name)));
        EXPECT_EQ(image.size(), QSize(800, 500)) << name;
    }
    QFile dated(dir.filePath(QStringLiteral("d-2.csv")));
    ASSERT_TRUE(dated.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = dated.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF\"Date and time\",") ||
                lines[0].startsWith("\xEF\xBB\xBF"
                                    "Date and time,"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("2025-12-05T14:30:33,0:00:01,")) << lines[1].toStdString();

    for (const char* out : {"light.svg", "light.pdf"}) {
        const QString path = dir.filePath(QString::fromLatin1(out));
        EXPECT_EQ(report({"--theme", "light", "--picture", path, journal()}).status, 0);
        EXPECT_GT(QFile(path).size(), 1000) << out;
    }
}

// A picture marks every alarm on the time axis; with --cells it has the cells
// pane under the chart (cell 1 and cell 3 in their colours), without it none.
TEST_F(ReportTest, PicturesMarkAlarmsAndDrawTheCellsPane) {
    QString rows;
    for (int second = 1; second <= 120; ++second) {
        rows += journalRow({second, "+CHG+", 12.0 + second / 100.0, 2, second});
        if (second == 60) {
            rows += "# alarm cell-high: Cell 3 at 4.26 V (limit 4.25 V)\r\n";
        }
    }
    const QString path =
        write(QStringLiteral("cellwatch-20261205-160000.csv"),
              (journalText(QStringLiteral("2026-12-05T16:00:00+01:00"), {}) + rows).toUtf8());
    // Pixels of `colour` from row `fromY` down, drawn antialiased over the
    // panel: the panel's colour plus a part of (colour - panel), so the
    // difference from the panel points the colour's way.
    const auto count = [](const QImage& image, const QColor& colour, int fromY) {
        const QColor panel = image.pixelColor(0, image.height() - 1);
        const double want[3] = {double(colour.red() - panel.red()),
                                double(colour.green() - panel.green()),
                                double(colour.blue() - panel.blue())};
        const double wantLength = std::hypot(want[0], want[1], want[2]);
        int n = 0;
        for (int y = fromY; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                const double got[3] = {double(c.red() - panel.red()),
                                       double(c.green() - panel.green()),
                                       double(c.blue() - panel.blue())};
                const double length = std::hypot(got[0], got[1], got[2]);
                const double cosine = (got[0] * want[0] + got[1] * want[1] + got[2] * want[2]) /
                                      (length * wantLength);
                n += length > 60 && cosine > 0.995 ? 1 : 0;
            }
        }
        return n;
    };
    for (const char* cells : {"", "volts", "diff"}) {
        SCOPED_TRACE(cells);
        const QString out = dir.filePath(QStringLiteral("cells-%1.png").arg(cells));
        QStringList args{QStringLiteral("--picture"), out};
        if (*cells != 0) {
            args << QStringLiteral("--cells=%1").arg(cells);
        }
        args << path;
        ASSERT_EQ(report(args).status, 0);
        const QImage image(out);
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(count(image, AlarmMarkers::colour(), 0), 20);
        // The lower third: the cells pane, or the caption without it.
        const int lower = image.height() * 2 / 3;
        for (int cell : {0, 2}) {
            const int drawn = count(image, CellPane::cellColour(cell), lower);
            if (*cells != 0) {
                EXPECT_GT(drawn, 100) << "cell " << cell + 1;
            } else {
                EXPECT_EQ(drawn, 0) << "cell " << cell + 1;
            }
        }
    }
    EXPECT_EQ(report({"--picture", dir.filePath("x.png"), "--cells=mean", path}).status, 2);
    EXPECT_EQ(report({"--cells", path}).status, 2);
}

// A charge whose counter restarts, a rest and a discharge at two currents,
// over a pack of 0.18 ohm: the phases with their own figures, the
// efficiency, an estimate at each step of the current, and the pack's health.
TEST_F(ReportTest, PhasesAndResistanceOfAChargeThenDischarge) {
    constexpr double kOhms = 0.18;
    constexpr double kOcv = 15.01;
    std::vector<made::Reading> readings;
    const auto run = [&](const char* state, double amps, int seconds, double fromMah) {
        const double start = readings.empty() ? 0 : readings.back().seconds + 1;
        made::appendRun(readings, state, start, seconds, kOcv + amps * kOhms, amps, fromMah,
                        {3.75, 3.75, 3.75, 3.75});
    };
    run("Idle", 0, 10, 0);
    run("+CHG+", 2, 600, 0);
    for (made::Reading& r : readings) {
        if (r.seconds >= 310) {
            r.mah = 2 * (r.seconds - 310) / 3.6;  // the charger's counter restarted
        }
    }
    run("Idle", 0, 30, 0);
    run("-DSC-", -1, 300, 0);
    run("-DSC-", -3, 300, 300 / 3.6);
    run("Idle", 0, 10, 0);
    QByteArray text = journalText(QStringLiteral("2026-12-06T10:00:00+01:00"));
    for (const QStringList& row : made::rowsOf(readings)) {
        text += row.join(u',').toUtf8() + "\r\n";
    }
    const QString path = write(QStringLiteral("cellwatch-20261206-100000.csv"), text);
    writeFile(path.chopped(4) + QStringLiteral(".pack.json"),
              R"({"pack": "Pack R", "chemistry": "LiPo", "cells": 4, "capacity_mah": 400})");

    const Ran r = report({"--json", path});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(r.out).array().at(0).toObject();
    EXPECT_EQ(j["kind"].toString(), QStringLiteral("mixed"));
    EXPECT_TRUE(j["mixed_note"].toString().contains(QStringLiteral("phases")));
    const QJsonArray phases = j["phases"].toArray();
    ASSERT_EQ(phases.size(), 5) << r.out.toStdString();
    const QJsonObject charge = phases[1].toObject();
    const QJsonObject discharge = phases[3].toObject();
    EXPECT_EQ(charge["kind"].toString(), QStringLiteral("charge"));
    EXPECT_EQ(charge["counter_restarts"].toInt(), 1);
    EXPECT_NEAR(charge["capacity_mah"].toDouble(), 2 * 599 / 3.6, 1.6);
    EXPECT_EQ(discharge["kind"].toString(), QStringLiteral("discharge"));
    EXPECT_NEAR(discharge["capacity_mah"].toDouble(), (300 + 3 * 299) / 3.6, 1.6);
    EXPECT_DOUBLE_EQ(discharge["current_peak_a"].toDouble(), -3);
    EXPECT_DOUBLE_EQ(discharge["duration_s"].toDouble(), 599);
    const QJsonObject totals = j["phase_totals"].toObject();
    EXPECT_NEAR(totals["efficiency_mah"].toDouble(),
                discharge["capacity_mah"].toDouble() / charge["capacity_mah"].toDouble(), 1e-3);
    EXPECT_NEAR(totals["efficiency_wh"].toDouble(),
                discharge["energy_wh"].toDouble() / charge["energy_wh"].toDouble(), 1e-3);

    const QJsonArray estimates = j["resistance"].toArray();
    ASSERT_EQ(estimates.size(), 5) << r.out.toStdString();
    for (const QJsonValue& v : estimates) {
        const QJsonObject e = v.toObject();
        EXPECT_TRUE(e["shown"].toBool());
        EXPECT_LE(std::fabs(e["ohms"].toDouble() - kOhms), e["uncertainty_ohms"].toDouble() + 1e-5)
            << e["at_s"].toDouble();
        EXPECT_EQ(e["cells"].toArray().size(), 4);
    }
    EXPECT_NEAR(j["resistance_ohms"].toDouble(), kOhms, 0.01);

    const Ran shown = report({path});
    EXPECT_TRUE(shown.out.contains("  phase 2: charge from 0:00:10 for 0:09:59, 33"))
        << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains(" mAh (the counter restarted once), "));
    EXPECT_TRUE(shown.out.contains("  efficiency:"));
    EXPECT_TRUE(shown.out.contains("  resistance at 0:00:10 (0.00 to +2.00 A"));

    const Ran health = report({"--pack", "Pack R", "--json", "--health", dir.path()});
    ASSERT_EQ(health.status, 0) << health.err.toStdString();
    const QJsonObject h = QJsonDocument::fromJson(health.out).object();
    EXPECT_EQ(h["definition"].toObject()["chemistry"].toString(), QStringLiteral("LiPo"));
    EXPECT_EQ(h["capacity"].toArray().size(), 2);
    EXPECT_NEAR(h["equivalent_cycles"].toDouble(), (2 * 599 + 300 + 3 * 299) / 3.6 / 800, 0.01);
    const Ran healthText = report({"--pack", "Pack R", dir.path()});
    EXPECT_TRUE(
        healthText.out.contains("pack Pack R: LiPo, 4 cells, 400 mAh nominal; 1 recording\n"))
        << healthText.out.toStdString();
    EXPECT_EQ(report({"--health", path}).status, 2);
}

}  // namespace
}  // namespace cellwatch
