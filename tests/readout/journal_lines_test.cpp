#include "readout/journal.h"

#include <gtest/gtest.h>

#include "tests/readout/journal_fixture.h"

namespace cellwatch {
namespace {

using namespace journaltest;

TEST(JournalTest, ListingPassesOverPipesAndDevices) {
    QTemporaryDir dir;
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.csv"))).constData(), 0600),
              0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.csv"))));
    Fed fed(dir.path());
    fed.add(0);
    fed.journal.end();
    qint64 rows = 0;
    for (const JournalInfo& info : listJournals(dir.path())) {
        rows += info.rowCount;
    }
    EXPECT_EQ(rows, 1);
}

TEST(JournalTest, ListingTellsEachRecording) {
    QTemporaryDir dir;
    const auto record = [&](const QDateTime& start, int rows, const QString& type) {
        Fed fed(dir.path(), start);
        for (int i = 0; i < rows; ++i) {
            fed.add(i, type);
        }
        return fed.journal.path();
    };
    const QString later = record(kStart, 3, QStringLiteral("Ni-MH"));
    const QString earlier = record(kStart.addDays(-1), 5, QStringLiteral("Pb"));
    addTo(earlier, "0:00:06,Pb,+CHG+,25");  // a crash cut its last line
    // An export put there by hand: no comment line.
    RowStore table;
    table.appendTabText(journalRow(0, QStringLiteral("Ni-Cd")).join(u'\t'));
    table.appendTabText(journalRow(1, QStringLiteral("Ni-Cd")).join(u'\t'));
    const QString exported = dir.filePath(QStringLiteral("cellwatch-20261201-080000.csv"));
    ASSERT_TRUE(exportTableCsv(table, exported));
    const QString notes = dir.filePath(QStringLiteral("notes.csv"));
    addTo(notes, "no recording here\n");
    addTo(dir.filePath(QStringLiteral("readme.txt")), "12345");

    const std::vector<JournalInfo> journals = listJournals(dir.path());
    ASSERT_EQ(journals.size(), 4U);
    struct Expected {
        QString path;
        QDateTime start;
        qint64 rows;
        qint64 duration;
        QString type;
    };
    const Expected expected[] = {
        {notes, {}, 0, -1, {}},
        {exported, QDateTime(QDate(2026, 12, 1), QTime(8, 0)), 2, 2, QStringLiteral("Ni-Cd")},
        {earlier, kStart.addDays(-1), 5, 5, QStringLiteral("Pb")},
        {later, kStart, 3, 3, QStringLiteral("Ni-MH")},
    };
    qint64 bytes = 5;
    for (std::size_t i = 0; i < journals.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(journals[i].path, QFileInfo(expected[i].path).absoluteFilePath());
        EXPECT_EQ(journals[i].start, expected[i].start);
        EXPECT_EQ(journals[i].rowCount, expected[i].rows);
        EXPECT_EQ(journals[i].durationSeconds, expected[i].duration);
        EXPECT_EQ(journals[i].batteryType, expected[i].type);
        EXPECT_EQ(journals[i].sizeBytes, QFileInfo(expected[i].path).size());
        bytes += journals[i].sizeBytes;
    }
    EXPECT_EQ(journals[3].port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(folderSize(dir.path()), bytes);
}

std::vector<std::tuple<QString, QString, std::size_t, std::int64_t>> notesOf(
    const RecordingFile& file) {
    std::vector<std::tuple<QString, QString, std::size_t, std::int64_t>> out;
    for (const AlarmNote& n : file.alarms()) {
        out.emplace_back(n.kind, n.text, n.afterRows, n.atSeconds);
    }
    return out;
}

// Alarm lines stand after the row they were given after, also when rows
// were owed at the time or the file had to be made anew. (The report's test
// reads them back with the time of the row before each.)
TEST(JournalTest, AlarmLinesFollowTheirRowAndReadBack) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    Fed fed(folder, std::nullopt);
    Journal& journal = fed.journal;
    journal.appendComment(QStringLiteral("alarm lost: before any recording"));  // nowhere
    fed.begin(kStart);
    journal.appendComment(QStringLiteral("alarm lost: before any row"));  // nowhere
    fed.addRows(0, 2);
    journal.appendComment(QStringLiteral("alarm cell-high: Cell 3 at 4.27 V (limit 4.25 V)"));
    journal.appendComment(
        QStringLiteral("alarm temperature: External\ntemperature 51 °C, \"hot\""));
    fed.add(2);
    ASSERT_TRUE(QFile::remove(journal.path()));  // made anew with rows and alarms
    fed.add(3);
    journal.appendComment(QStringLiteral("alarm finished: The charge finished"));
    journal.end();

    const QByteArray bytes = contents(journal.path());
    EXPECT_TRUE(
        bytes.contains((csvLine(journalRow(1)) +
                        QStringLiteral("\"# alarm cell-high: Cell 3 at 4.27 V (limit 4.25 V)\"\r\n"
                                       "\"# alarm temperature: External temperature 51 °C, "
                                       "\"\"hot\"\"\"\r\n") +
                        csvLine(journalRow(2)))
                           .toUtf8()))
        << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("\"# alarm finished: The charge finished\"\r\n"));
    EXPECT_FALSE(bytes.contains("before any"));
}

// Reading alarm lines back: each with the time of the row before it; other
// comments among the rows are no alarms; one before the first row has no time.
TEST(JournalTest, OnlyAlarmLinesAreAlarms) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("edited.csv"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    RowStore table;
    out.write(tableCsvLine(table, 0).toUtf8());
    out.write("# alarm stalled: early\n# a note\n# alarm two words: no\n");
    out.write(csvLine(journalRow(0)).toUtf8());
    out.write("# alarm input-low: Input at 10.90 V (limit 11.00 V)\n");
    out.close();
    RecordingFile file;
    ASSERT_TRUE(file.read(path));
    using Note = std::tuple<QString, QString, std::size_t, std::int64_t>;
    EXPECT_EQ(notesOf(file), (std::vector<Note>{
                                 {"stalled", "early", 0, -1},
                                 {"input-low", "Input at 10.90 V (limit 11.00 V)", 1, 1},
                             }));
}

// A journal's comment lines are one quoted field each: a CSV reader as
// spreadsheets have it (Python's csv module) sees one cell per comment line
// and the 22 of each row, whatever commas and quotes the comments hold.
// The same journal written the old way (bare "# ..." lines) reads the same.
TEST(JournalTest, CommentLinesAreOneCsvFieldAndOldJournalsReadTheSame) {
    QTemporaryDir dir;
    Fed fed(dir.filePath(QStringLiteral("recordings")));
    fed.addRows(0, 2);
    fed.journal.appendComment(
        QStringLiteral("alarm cell-high: Cell 3 at 4.27 V, \"limit\" 4.25 V"));
    fed.add(2);
    fed.journal.appendComment(QStringLiteral("alarm finished: done, after 0:00:03"));
    fed.journal.end();
    const QString fresh = fed.journal.path();

    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv,sys\n"
                                 "for r in csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
                                 "newline='')):\n"
                                 "    print(len(r), r[0] if r[0].startswith('#') else '')\n"),
                  fresh});
    ASSERT_TRUE(python.waitForFinished(60000)) << python.errorString().toStdString();
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_EQ(
        QString::fromUtf8(python.readAllStandardOutput()).split(u'\n'),
        (QStringList{"1 # cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
                     "battery=LiIo/Po/Fe; charger=tkrx",
                     "22 ", "22 ", "22 ", "1 # alarm cell-high: Cell 3 at 4.27 V, \"limit\" 4.25 V",
                     "22 ", "1 # alarm finished: done, after 0:00:03", ""}));

    // The old form: the same lines bare. And a spreadsheet's saving: the
    // comment cell padded with empty ones.
    QByteArray old = contents(fresh);
    QByteArray padded = old;
    for (const QByteArray& line : old.split('\n')) {
        const qsizetype quote = line.indexOf("\"#");
        if (quote >= 0 && quote <= 3) {
            QByteArray bare = line;
            bare.replace(quote, 1, "").replace("\"\r", "\r").replace("\"\"", "\"");
            old.replace(line, bare);
            padded.replace(line, QByteArray(line).replace("\"\r", "\",,,\r"));
        }
    }
    ASSERT_TRUE(old.contains("\n# alarm cell-high: Cell 3 at 4.27 V, \"limit\" 4.25 V\r\n"));
    const QString oldPath = writeTo(dir.filePath(QStringLiteral("old.csv")), old);
    const QString paddedPath = writeTo(dir.filePath(QStringLiteral("padded.csv")), padded);
    for (const QString& path : {fresh, oldPath, paddedPath}) {
        SCOPED_TRACE(path.toStdString());
        RecordingFile file;
        ASSERT_TRUE(file.read(path));
        EXPECT_EQ(file.rowCount(), 3U);
        EXPECT_EQ(file.damagedLineCount(), 0U);
        EXPECT_EQ(file.comments(),
                  QStringList{"cellwatch 1.10.0; port=/dev/ttyUSB0; "
                              "start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe; charger=tkrx"});
        using Note = std::tuple<QString, QString, std::size_t, std::int64_t>;
        EXPECT_EQ(notesOf(file),
                  (std::vector<Note>{{"cell-high", "Cell 3 at 4.27 V, \"limit\" 4.25 V", 2, 2},
                                     {"finished", "done, after 0:00:03", 3, 3}}));
        JournalInfo info;
        readJournalComment(file.comments().value(0), info);
        EXPECT_EQ(info.start, kStart);
        EXPECT_EQ(info.port, QStringLiteral("/dev/ttyUSB0"));
    }
}

// What a spreadsheet would run as a formula is written as text; numbers,
// times and plain texts stay as they are.
TEST(CsvField, FormulasAreWrittenAsTextAndNumbersStayNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"+CHG+", "'+CHG+"},
        {"-DSC-", "'-DSC-"},
        {"=1,2", "\"'=1,2\""},
        {"-1.50", "-1.50"},
        {"+3", "+3"},
        {"0:00:01", "0:00:01"},
        {"LiIo/Po/Fe", "LiIo/Po/Fe"},
        {"a,b", "\"a,b\""},
    };
    for (const auto& [text, written] : cases) {
        EXPECT_EQ(csvField(QString::fromUtf8(text)).toStdString(), written) << text;
    }
}

// The comment line names the rows' driver; a watcher's copy names the
// charger it watched apart from it. Older lines read as before.
TEST(JournalCommentTest, DriverAndWatchedChargerInEveryForm) {
    struct Case {
        const char* line;
        const char* driver;
        const char* charger;
        bool publisherStart;
    };
    const Case cases[] = {
        {"cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
         "battery=LiIo/Po/Fe; charger=tkrx",
         "tkrx", "", false},
        {"cellwatch 1.10.0; port=; start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe; "
         "charger=tkrx; watched=bench1; publisher-start=2026-12-05T14:30:10+01:00",
         "tkrx", "bench1", true},
        // An older watcher's line: charger= named the charger watched.
        {"cellwatch 1.9.0; port=; start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe; "
         "charger=bench1; publisher-start=2026-12-05T14:30:10+01:00",
         "tkrx", "bench1", true},
        // An older line of a charger on the port: the first family's rows.
        {"cellwatch 1.9.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
         "battery=LiIo/Po/Fe",
         "tkrx", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        JournalInfo info;
        readJournalComment(QString::fromUtf8(c.line), info);
        EXPECT_EQ(info.driver, QString::fromUtf8(c.driver));
        EXPECT_EQ(info.charger, QString::fromUtf8(c.charger));
        EXPECT_EQ(info.publisherStart.isValid(), c.publisherStart);
        EXPECT_EQ(info.batteryType, QStringLiteral("LiIo/Po/Fe"));
    }
}

// Golden bytes of a known recording: the table's texts (what cellwatch-log
// --out writes, tab-joined), the export and the journal. Rows from the
// decoder's samples are stored as numbers and their texts made again; rows
// in a spreadsheet's forms are kept as written.
TEST(RowTextsGoldenTest, TableExportAndJournalBytes) {
    const auto sample = [](std::uint32_t ms, const char* type, const char* state,
                           std::array<std::int64_t, 6> raw, const char* power,
                           std::array<std::int64_t, 4> cells) {
        Reading s = testing::madeReading(type, state, "0", "0", ms);
        s.extTemperature = Decimal::fromRaw(raw[0]);
        s.intTemperature = Decimal::fromRaw(raw[1]);
        s.inputVoltage = Decimal::fromRaw(raw[2]);
        s.voltage = Decimal::fromRaw(raw[3]);
        s.current = Decimal::fromRaw(raw[4]);
        s.capacity = Decimal::fromRaw(raw[5]);
        s.power = Decimal::parse(power);
        for (std::size_t k = 0; k < cells.size(); ++k) {
            s.cells[k] = Decimal::fromRaw(cells[k]);
        }
        return s;
    };
    QTemporaryDir dir;
    Fed fed(dir.filePath(QStringLiteral("recordings")));
    RowStore& table = fed.table;
    const auto appended = [&fed] {
        fed.journal.appendRow(fed.table, fed.table.gridRowCount() - 1);
    };
    table.append(sample(1000, "LiIo/Po/Fe", "+CHG+",
                        {250000, 310000, 120000, 168000, 20000, 120000}, "33.60",
                        {42000, 41900, 42100, 42000}));
    appended();
    table.append(sample(90'000'400, "LiIo/Po/Fe", "-DSC-",
                        {260000, 330000, 119800, 167000, -15000, 12340000}, "25.05",
                        {41700, 41800, 41600, 41900}));
    appended();
    // Four decimals: the voltage shows rounded, the capacity in full (kept as text).
    table.append(sample(1499, "Ni-MH", "Idle", {0, 0, 0, 168050, 0, 12345}, "0.00", {}));
    appended();
    table.appendTabText(QStringLiteral(
        "0:00:05\tLiIo/Po/"
        "Fe\t+CHG+\t25\t30\t12\t16.8\t2\t15\t33.6\t4.20\t4.2\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
    appended();
    table.appendTabText(
        QStringLiteral("00:00:06\tPb\t-DSC-\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"));
    appended();
    fed.journal.end();
    EXPECT_EQ(table.textRowCount(), 3U);

    const QStringList tableLines{
        "0:00:01\tLiIo/Po/"
        "Fe\t+CHG+\t25\t31\t12.00\t16.80\t2.00\t12\t33.60\t4.2\t4.19\t4.21\t4."
        "2\t0\t0\t0\t0\t0\t0\t0\t0",
        "25:00:00\tLiIo/Po/"
        "Fe\t-DSC-\t26\t33\t11.98\t16.70\t-1.50\t1234\t25.05\t4.17\t4.18\t4.16\t4."
        "19\t0\t0\t0\t0\t0\t0\t0\t0",
        "0:00:01\tNi-MH\tIdle\t0\t0\t0.00\t16.81\t0.00\t1.2345\t0."
        "00\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0",
        "0:00:05\tLiIo/Po/"
        "Fe\t+CHG+\t25\t30\t12\t16.8\t2\t15\t33.6\t4.20\t4.2\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0",
        "00:00:06\tPb\t-DSC-\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"};
    QStringList shown;
    for (int row = 1; row < table.gridRowCount(); ++row) {
        QStringList texts;
        for (int column = 1; column < kTableColumnCount; ++column) {
            texts << table.gridText(row, column);
        }
        shown << texts.join(u'\t');
    }
    EXPECT_EQ(shown, tableLines);

    const QByteArray rows =
        "0:00:01,LiIo/Po/"
        "Fe,'+CHG+,25,31,12.00,16.80,2.00,12,33.60,4.2,4.19,4.21,4.2,0,0,0,0,0,0,0,0\r\n"
        "25:00:00,LiIo/Po/"
        "Fe,'-DSC-,26,33,11.98,16.70,-1.50,1234,25.05,4.17,4.18,4.16,4.19,0,0,0,0,0,0,0,0\r\n"
        "0:00:01,Ni-MH,Idle,0,0,0.00,16.81,0.00,1.2345,0.00,0,0,0,0,0,0,0,0,0,0,0,0\r\n"
        "0:00:05,LiIo/Po/Fe,'+CHG+,25,30,12,16.8,2,15,33.6,4.20,4.2,0,0,0,0,0,0,0,0,0,0\r\n"
        "00:00:06,Pb,'-DSC-,,,,,,,,,,,,,,,,,,,\r\n";
    const QByteArray header =
        "Time,Type,'+CHG/DIS-,Ext.Temp(\xE2\x84\x83),In.Temp(\xE2\x84\x83),In.Volt(V),Bat.Volt(V),"
        "Curr(A),Cap(mAh),Power(W),C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12\r\n";
    const QString exported = dir.filePath(QStringLiteral("export.csv"));
    ASSERT_TRUE(exportTableCsv(table, exported));
    EXPECT_EQ(contents(exported), "\xEF\xBB\xBF" + header + rows);
    EXPECT_EQ(contents(fed.journal.path()),
              "\xEF\xBB\xBF\"# cellwatch 1.10.0; port=/dev/ttyUSB0; "
              "start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe; charger=tkrx\"\r\n" +
                  header + rows);

    // Read back, every row shows as it was written, and its numbers are those.
    RowStore back;
    RecordingFile file;
    ASSERT_TRUE(file.read(exported, {}, {}, &back));
    for (int row = 1; row < back.gridRowCount(); ++row) {
        for (int column = 1; column < kTableColumnCount; ++column) {
            EXPECT_EQ(back.gridText(row, column), table.gridText(row, column));
        }
    }
    EXPECT_EQ(back.number(2, kFieldCurrent), -1.5);
    EXPECT_EQ(back.number(2, kFieldElapsed), 90'000);
    EXPECT_EQ(back.number(4, kFieldVoltage), 16.8);  // a text row: read from its text
    EXPECT_EQ(back.number(5, kFieldVoltage), std::nullopt);
    EXPECT_EQ(back.state(2), ChargeState::Discharging);
    EXPECT_EQ(back.state(5), ChargeState::Discharging);
    EXPECT_EQ(back.chemistry(5), Chemistry::Pb);
}

}  // namespace
}  // namespace cellwatch
