#include "readout/recording_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "protocol/decimal.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/row_store.h"
#include "tests/support/made_reading.h"

namespace cellwatch {
namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray englishHeader() {
    QStringList headers;
    for (int column = 1; column <= 22; ++column) {
        headers << RowStore::headerText(column);
    }
    return headers.join(u',').toUtf8();
}

// A row of 22 texts, comma-separated, with the given time and capacity.
QByteArray row(const std::string& time, int capacity) {
    return QByteArray::fromStdString(time) + ",Ni-MH,+CHG+,25,31,12.00,8.40,-1.50," +
           QByteArray::number(capacity) + ",12.60,1.400,1.400,1.400,1.400,1.400,1.400,0,0,0,0,0,0";
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("recording.csv"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

TEST(RecordingFileTest, ForgivingReader) {
    const QByteArray header = englishHeader();
    const QByteArray chinese = QString::fromUtf8(
                                   "时间,类型,状态,外部温度,内部温度,输入电压,电压,电流,容量,"
                                   "功率,C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12")
                                   .toUtf8();
    const QByteArray r1 = row("0:00:01", 5), r2 = row("0:00:02", 6), r3 = row("0:00:03", 7);
    struct Case {
        const char* name;
        QByteArray bytes;
        std::size_t rows;
        bool dropped;
        QString firstHeader;  // "" when the file has none
    };
    const Case cases[] = {
        {"bom crlf", kBom + header + "\r\n" + r1 + "\r\n" + r2 + "\r\n", 2, false, "Time"},
        {"no bom, lf", header + "\n" + r1 + "\n" + r2 + "\n", 2, false, "Time"},
        {"comments, blanks",
         "# one\r\n#two\r\n" + header + "\r\n\r\n" + r1 + "\r\n# idle\r\n" + r2 + "\r\n\r\n", 2,
         false, "Time"},
        {"chinese header", kBom + chinese + "\n" + r1 + "\n", 1, false, QString::fromUtf8("时间")},
        {"no header", r1 + "\n" + r2 + "\n", 2, false, ""},
        {"extra columns", header + ",Note,More\n" + r1 + ",a,b\n" + r2 + ",\"c,d\",e\n", 2, false,
         "Time"},
        {"last line cut", header + "\n" + r1 + "\n" + r2 + "\n" + r3.left(30), 2, true, "Time"},
        {"last line whole, no break", header + "\n" + r1 + "\n" + r2, 2, false, "Time"},
        {"journal: a last line without a break is cut",
         "# cellwatch 1.10.0; port=x\n" + header + "\n" + r1 + "\n" + r2, 1, true, "Time"},
        {"cut in a quote", header + "\n" + r1 + "\n0:00:03,\"Ni-", 1, true, "Time"},
        {"cut in an extra column", header + ",Note\n" + r1 + ",a\n" + r2 + ",b\n" + r3 + ",\"c", 3,
         false, "Time"},
        {"cut 22nd of 23", header + ",Note\n" + r1 + ",a\n" + r2, 1, true, "Time"},
        {"nul tail", header + "\r\n" + r1 + "\r\n" + QByteArray(4096, '\0'), 1, false, "Time"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingFile file;
        ASSERT_NO_THROW(file.read(writeFile(dir, c.bytes)));
        EXPECT_EQ(file.rowCount(), c.rows);
        EXPECT_EQ(file.droppedCutRow(), c.dropped);
        EXPECT_EQ(file.headers().value(0), c.firstHeader);
        const QStringList first = file.rowTexts(0);
        ASSERT_EQ(first.size(), 22);
        EXPECT_EQ(first[0], QStringLiteral("0:00:01"));
        EXPECT_EQ(first[8], QStringLiteral("5"));
        EXPECT_EQ(first[21], QStringLiteral("0"));
        EXPECT_DOUBLE_EQ(file.curves().voltage[0], 8.4);
        EXPECT_DOUBLE_EQ(file.curves().current[0], 1.5);  // the size of the current
    }
    // A quoted field keeps its separators, doubled quotes and Chinese text.
    RecordingFile quoted;
    QByteArray r = row("0:00:01", 5);
    ASSERT_TRUE(quoted.read(
        writeFile(dir, header + "\n" + r.replace("Ni-MH", "\"a,\"\"q\"\" 两行\"") + "\n")));
    EXPECT_EQ(quoted.rowTexts(0).value(1), QString::fromUtf8("a,\"q\" 两行"));
}

// What cellwatch-log writes: the table's headers, then each recorded row as
// the texts its table holds, tab-separated, and the events as comment lines,
// in the order a run gives them.
struct LogOutput {
    QByteArray bytes;
    std::vector<QStringList> rows;  // the table's texts, in file order
};

Reading sample(std::uint32_t seconds, std::string_view type, std::string_view state, int centivolts,
               int centiamps, int capacity, int cells) {
    Reading r = testing::madeReading(type, state, "0", "0", seconds * 1000);
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(36);
    r.inputVoltage = Decimal::fromHundredths(1490);
    r.voltage = Decimal::fromHundredths(centivolts);
    r.current = Decimal::fromHundredths(centiamps);
    r.capacity = Decimal::fromInt(capacity);
    r.power = Decimal::fromHundredths(3014);
    for (int cell = 0; cell < cells; ++cell) {
        r.cells[static_cast<std::size_t>(cell)] = Decimal::fromThousandths(3770 + cell);
    }
    return r;
}

LogOutput logOutput(const QByteArray& lineEnd) {
    RowStore table;
    LogOutput out;
    const auto line = [&](const QString& text) { out.bytes += text.toUtf8() + lineEnd; };
    const auto record = [&](const Reading& r) {
        table.append(r);
        QStringList texts;
        for (int column = 1; column < kTableColumnCount; ++column) {
            texts << table.gridText(static_cast<int>(table.dataRowCount()), column);
        }
        out.rows.push_back(texts);
        line(texts.join(u'\t'));
    };
    QStringList headers;
    for (int column = 1; column < kTableColumnCount; ++column) {
        headers << RowStore::headerText(column);
    }
    line(headers.join(u'\t'));
    for (std::uint32_t k = 1; k <= 5; ++k) {
        record(sample(k, kTypeLithium, kStateCharge, 1507 + static_cast<int>(k), 200,
                      static_cast<int>(k) * 6, 4));
    }
    line(QStringLiteral("# idle"));
    record(sample(5, kTypeLithium, kStateIdle, 1512, 0, 30, 4));
    line(QStringLiteral("# restart"));  // the elapsed time starts again
    for (std::uint32_t k = 0; k <= 3; ++k) {
        record(sample(k, kTypeNiMH, kStateDischarge, 840 - static_cast<int>(k), -150,
                      static_cast<int>(k), 6));
    }
    line(QStringLiteral("# alarm cell-low: Cell 2 at 0.90 V (limit 1.00 V)"));
    record(sample(4, kTypeNiMH, kStateDischarge, 830, -150, 5, 0));
    line(QStringLiteral("# lost"));
    return out;
}

TEST(RecordingFileTest, ReadsWhatTheLogWritesAsTheLogsTableHeldIt) {
    const LogOutput log = logOutput("\n");
    QTemporaryDir dir;
    const QString path = writeFile(dir, log.bytes);
    RecordingFile file;
    ASSERT_NO_THROW(file.read(path));
    ASSERT_EQ(file.rowCount(), log.rows.size());
    EXPECT_EQ(file.damagedLineCount(), 0U);
    EXPECT_FALSE(file.droppedCutRow());
    QStringList headers;
    for (int column = 1; column < kTableColumnCount; ++column) {
        headers << RowStore::headerText(column);
    }
    EXPECT_EQ(file.headers(), headers);  // "Ext.Temp(℃)" as UTF-8
    EXPECT_TRUE(file.comments().isEmpty());
    RowStore table;
    ASSERT_TRUE(file.fillTable(table));
    ASSERT_EQ(table.dataRowCount(), log.rows.size());
    for (std::size_t row = 0; row < log.rows.size(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(file.rowTexts(row), log.rows[row]);
        QStringList shown;
        for (int column = 1; column < kTableColumnCount; ++column) {
            shown << table.gridText(static_cast<int>(row) + 1, column);
        }
        EXPECT_EQ(shown, log.rows[row]);
    }
    EXPECT_DOUBLE_EQ(file.curves().voltage.back(), 8.3);
    EXPECT_DOUBLE_EQ(file.curves().current.back(), 1.5);
    EXPECT_DOUBLE_EQ(file.curves().days[6], 0.0);  // the first row after the restart
    // The events are comments, as in a journal; the alarm is the journal's
    // alarm line, after the row that raised it.
    ASSERT_EQ(file.alarms().size(), 1U);
    EXPECT_EQ(file.alarms()[0].kind, QStringLiteral("cell-low"));
    EXPECT_EQ(file.alarms()[0].text, QStringLiteral("Cell 2 at 0.90 V (limit 1.00 V)"));
    EXPECT_EQ(file.alarms()[0].afterRows, 10U);
    EXPECT_EQ(file.alarms()[0].atSeconds, 3);
    const RecordingSummary summary = RecordingFile::summarize(path);
    EXPECT_EQ(summary.rowCount, log.rows.size());
    EXPECT_EQ(summary.lastRow, log.rows.back());
}

// Log files as a copy, an editor or a crash leave them: read as rows `from`
// on of the log's table, or refused (`says`).
TEST(RecordingFileTest, ALogFileIsReadAsItsLinesAllow) {
    const LogOutput lf = logOutput("\n");
    const QByteArray& log = lf.bytes;
    const qsizetype firstRow = log.indexOf('\n') + 1;
    const qsizetype secondRow = log.indexOf('\n', firstRow) + 1;
    const QByteArray firstLine = log.mid(firstRow, secondRow - firstRow);
    const auto replacedFirstRow = [&](const QByteArray& with) {
        return log.left(firstRow) + with + log.mid(secondRow);
    };
    const std::size_t all = lf.rows.size();
    const QByteArray lost = "# lost\n";
    ASSERT_TRUE(log.endsWith(lost));
    struct Case {
        const char* name;
        QByteArray bytes;
        std::size_t from;
        std::size_t rows;
        std::size_t damaged;  // on line 2
        bool dropped;
        const char* says;  // "" unless refused
    };
    const Case cases[] = {
        {"crlf", logOutput("\r\n").bytes, 0, all, 0, false, ""},
        {"byte-order mark", kBom + log, 0, all, 0, false, ""},
        {"a short row", replacedFirstRow(firstLine.left(firstLine.lastIndexOf('\t')) + "\n"), 1,
         all - 1, 1, false, ""},
        {"a row with a column too many", replacedFirstRow(firstLine.chopped(1) + "\tx\n"), 1,
         all - 1, 1, false, ""},
        {"rows without the header", log.mid(firstRow), 0, all, 0, false, ""},
        // The log ends every line; one without its break is a row cut short.
        {"the last line without its break", log.chopped(lost.size() + 1), 0, all - 1, 0, true, ""},
        {"a header with 21 columns", log.mid(log.indexOf('\t') + 1), 0, 0, 0, false,
         "its first line has 21 columns; a recording has 22."},
        {"only the header", log.left(firstRow), 0, 0, 0, false, "no recorded row"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(dir, c.bytes);
        RecordingFile file;
        if (*c.says != '\0') {
            try {
                file.read(path);
                ADD_FAILURE() << "read without complaint";
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            }
            continue;
        }
        ASSERT_NO_THROW(file.read(path));
        ASSERT_EQ(file.rowCount(), c.rows);
        EXPECT_EQ(file.damagedLineCount(), c.damaged);
        EXPECT_EQ(file.damagedLines(), std::vector<std::size_t>(c.damaged, 2));
        EXPECT_EQ(file.droppedCutRow(), c.dropped);
        for (std::size_t row = 0; row < c.rows; ++row) {
            EXPECT_EQ(file.rowTexts(row), lf.rows[c.from + row]) << "row " << row;
        }
    }
    // A tab-separated text is taken as it stands: no quoting, and a comma
    // (a decimal comma) parts nothing.
    RecordingFile file;
    QByteArray odd = firstLine;
    odd.replace("+CHG+", "\"a,b").replace("15.08", "15,08");
    ASSERT_TRUE(file.read(writeFile(dir, replacedFirstRow(odd))));
    ASSERT_EQ(file.rowCount(), all);
    EXPECT_EQ(file.rowTexts(0).value(2), QStringLiteral("\"a,b"));
    EXPECT_EQ(file.rowTexts(0).value(6), QStringLiteral("15,08"));
}

TEST(RecordingFileTest, RefusesWhatIsNotARecording) {
    const QByteArray header = englishHeader();
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    const Case cases[] = {
        {"empty", "", "empty"},
        {"bom only", kBom, "empty"},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "binary"},
        {"three columns", "Time,Volt,Curr\n0:00:01,12.00,1.00\n", "columns"},
        {"no row with a time", header + "\nabc" + row("", 1) + "\n", "no recorded row"},
        {"mostly damaged",
         header + "\n" + row("0:00:01", 1) + "\n0:00:02,Pb\nx,y\n" + row("0:00:03", 1) + "\nz\n",
         "most of its lines (3 of 5)"},
        {"a device", "/dev/zero", "it is a device, not a regular file."},
        {"a link to a device", "@zero.csv", "it is a device, not a regular file."},
        {"a FIFO", "@fifo.csv", "it is a FIFO, not a regular file."},
        {"a folder", ".", "it is a directory."},
        {"over 1 GiB", "@huge.csv", "it is larger than 1024 MiB, more than any recording."},
        {"header only", kBom + header + "\r\n", "no recorded row"},
        {"comments only", "# cellwatch\n", "no table"},
    };
    QTemporaryDir dir;
    // Files that are no recording by their kind ("@NAME"): made here, and
    // refused at once (a FIFO opened to read would wait for a writer).
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.csv"))));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.csv"))).constData(), 0600), 0);
    QFile huge(dir.filePath(QStringLiteral("huge.csv")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize((qint64{1} << 30) + 1));  // sparse
    huge.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingFile file;
        ASSERT_TRUE(file.read(writeFile(dir, header + "\n" + row("0:00:01", 1) + "\n")));
        const QString path = c.bytes.startsWith('/') ? QString::fromUtf8(c.bytes)
                             : c.bytes.startsWith('@')
                                 ? dir.filePath(QString::fromUtf8(c.bytes.mid(1)))
                             : c.bytes == "." ? dir.path()
                                              : writeFile(dir, c.bytes);
        try {
            file.read(path);
            ADD_FAILURE() << "read without complaint";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
        EXPECT_EQ(file.rowCount(), 0U);  // nothing of either file is kept
        EXPECT_TRUE(file.curves().days.empty());
        try {
            file.stream(path, {});
            ADD_FAILURE() << "streamed without complaint";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    RecordingFile missing;
    EXPECT_THROW(missing.read(dir.filePath(QStringLiteral("none.csv"))), std::runtime_error);
}

// A damaged line costs that row only, and is counted: a stray quote, a lost
// line break that merges two rows, a row cut short, a line of megabytes.
TEST(RecordingFileTest, ADamagedLineCostsThatRowOnly) {
    const auto rowsWith = [](int damagedAt, const std::function<QByteArray(QByteArray)>& damage) {
        QByteArray bytes = kBom + "# cellwatch 1.10.0; port=x\r\n" + englishHeader() + "\r\n";
        for (int k = 1; k <= 1000; ++k) {
            const QByteArray line =
                row(ReadingFormat::elapsedText(static_cast<std::uint32_t>(k) * 1000), k) + "\r\n";
            bytes += k == damagedAt ? damage(line) : line;
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::function<QByteArray(QByteArray)> damage;
        std::size_t rows;
    };
    const Case cases[] = {
        {"a stray quote at a field's start",
         [](QByteArray l) { return l.insert(l.indexOf(',') + 1, '"'); }, 999},
        {"a lost line break", [](QByteArray l) { return l.chopped(2); }, 998},
        {"a row cut short", [](QByteArray l) { return l.left(20) + "\r\n"; }, 999},
        {"a line of 2 MB",
         [](QByteArray l) { return l.chopped(2) + QByteArray(2 << 20, 'x') + "\r\n"; }, 999},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(dir, rowsWith(500, c.damage));
        RecordingFile file;
        ASSERT_NO_THROW(file.read(path));
        EXPECT_EQ(file.rowCount(), c.rows);
        EXPECT_EQ(file.damagedLineCount(), 1U);
        ASSERT_EQ(file.damagedLines().size(), 1U);
        EXPECT_EQ(file.damagedLines()[0], 502U);  // after the comment and the header
        EXPECT_EQ(file.rowTexts(c.rows - 1).value(0), QStringLiteral("0:16:40"));  // the last
        EXPECT_EQ(file.rowTexts(498).value(0), QStringLiteral("0:08:19"));
        // The listing says what opening it gives.
        const RecordingSummary summary = RecordingFile::summarize(path);
        EXPECT_EQ(summary.rowCount, c.rows);
        EXPECT_EQ(summary.damagedLines, 1U);
    }
}

// A file cut short on its drive while it is read: never a crash (the file is
// not mapped), only whole rows, or a refusal.
TEST(RecordingFileTest, AFileCutShortWhileItIsReadKeepsWhatWasWhole) {
    QByteArray bytes = englishHeader() + "\n";
    for (int i = 1; i <= 200'000; ++i) {
        bytes += row(ReadingFormat::elapsedText(static_cast<std::uint32_t>(i) * 1000), i) + "\n";
    }
    QTemporaryDir dir;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString path = writeFile(dir, bytes);
        std::thread cutter([&path, attempt] {
            std::this_thread::sleep_for(std::chrono::milliseconds(attempt));
            QFile(path).resize(1000 + attempt * 5'000'000);
        });
        RecordingFile file;
        try {
            file.read(path);
            ASSERT_GT(file.rowCount(), 0U);
            const QStringList last = file.rowTexts(file.rowCount() - 1);
            EXPECT_EQ(last.value(0), QString::fromStdString(ReadingFormat::elapsedText(
                                         static_cast<std::uint32_t>(file.rowCount()) * 1000)));
        } catch (const std::runtime_error&) {
        }
        cutter.join();
    }
}

TEST(RecordingFileTest, CancellingLeavesNothing) {
    QByteArray bytes = englishHeader() + "\n";
    for (int i = 0; i < 10000; ++i) {
        bytes += row("1:00:00", i) + "\n";
    }
    QTemporaryDir dir;
    const QString path = writeFile(dir, bytes);

    RecordingFile file;
    EXPECT_FALSE(file.read(path, [](std::size_t, std::size_t) { return false; }));
    EXPECT_EQ(file.rowCount(), 0U);

    ASSERT_TRUE(file.read(path));
    RowStore table;
    EXPECT_FALSE(file.fillTable(table, [](std::size_t done, std::size_t) { return done < 5000; }));
    EXPECT_EQ(table.gridRowCount(), 1);
}

// Numbers no charger measures read as missing and are counted; the rows
// they stand in are kept.
TEST(RecordingFileTest, ValuesThatAreNoMeasurementReadAsMissing) {
    struct Case {
        int field;
        const char* text;
    };
    const Case cases[] = {
        {kFieldVoltage, "nan"}, {kFieldCurrent, "inf"},      {kFieldCapacity, "1e308"},
        {kFieldCell1, "-1e10"}, {kFieldExtTemperature, "1"}, {kFieldPower, "12.60"},
    };
    QByteArray bytes = kBom + englishHeader() + "\r\n";
    int k = 0;
    for (const Case& c : cases) {
        ++k;
        QList<QByteArray> fields =
            row(ReadingFormat::elapsedText(static_cast<std::uint32_t>(k) * 1000), k).split(',');
        fields[c.field] = c.text;
        bytes += fields.join(',') + "\r\n";
    }
    QList<QByteArray> huge = row("0:00:07", 7).split(',');
    huge[kFieldCapacity] = QByteArray(300, '9');
    bytes += huge.join(',') + "\r\n";
    QTemporaryDir dir;
    RecordingFile file;
    ASSERT_NO_THROW(file.read(writeFile(dir, bytes)));
    EXPECT_EQ(file.rowCount(), 7U);
    EXPECT_EQ(file.missingValueCount(), 4U);  // the curves' fields; cell 1 reads as missing too
    RowStore table;
    ASSERT_TRUE(file.fillTable(table));
    for (int r = 1; r <= 4; ++r) {
        EXPECT_FALSE(table.number(r, cases[r - 1].field).has_value()) << cases[r - 1].text;
    }
    EXPECT_EQ(table.number(5, kFieldExtTemperature), 1.0);
    EXPECT_FALSE(table.number(7, kFieldCapacity).has_value());
}

}  // namespace
}  // namespace cellwatch
