// cellwatch-report as a user runs it: the built tool on journals, exports and
// captures, its JSON, packs, hostile files, alarms, failures and exit statuses.
#include "tests/tools/report/report_fixture.h"

namespace cellwatch::reporttest {
namespace {

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
            "alarms phases phases_omitted phase_totals resistance resistance_ohms mixed_note")
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

// The journals of a charger's two channels, named by the charger and the
// channel, are reported as any other, each on its own.
TEST_F(ReportTest, EachChannelsJournalIsReported) {
    QStringList files;
    for (int channel = 1; channel <= 2; ++channel) {
        QByteArray text = journalText(QStringLiteral("2026-12-05T14:30:12+01:00"),
                                      {{1, "+CHG+", 12.0, 2, 0},
                                       {2, "+CHG+", 12.1, 2, 1},
                                       {channel + 2, "+CHG+", 12.2, 2, 2}});
        text.replace("battery=LiIo/Po/Fe", "battery=LiIo/Po/Fe; charger=icharger; channel=" +
                                               QByteArray::number(channel));
        files << write(QStringLiteral("cellwatch-20261205-143012-icharger-%1.csv").arg(channel),
                       text);
    }
    const Ran r = report(QStringList{QStringLiteral("--json")} + files);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray all = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(all.size(), 2) << r.out.toStdString();
    for (int channel = 1; channel <= 2; ++channel) {
        const QJsonObject j = all[channel - 1].toObject();
        EXPECT_TRUE(j["file"].toString().endsWith(QStringLiteral("-icharger-%1.csv").arg(channel)));
        EXPECT_EQ(j["start"].toString(), QStringLiteral("2026-12-05T14:30:12+01:00"));
        EXPECT_EQ(j["rows"].toInt(), 3);
        EXPECT_EQ(j["duration_s"].toInt(), channel + 2);
    }
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

}  // namespace
}  // namespace cellwatch::reporttest
