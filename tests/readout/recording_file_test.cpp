#include "readout/recording_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "protocol/sample_text.h"
#include "readout/row_store.h"

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
                row(elapsedText(static_cast<std::uint32_t>(k) * 1000), k) + "\r\n";
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
        bytes += row(elapsedText(static_cast<std::uint32_t>(i) * 1000), i) + "\n";
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
            EXPECT_EQ(last.value(0), QString::fromStdString(elapsedText(
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

// Damaged files, as a disk or a careless edit leaves them: bytes changed,
// inserted, dropped or the file cut anywhere. Each is read back as a
// recording or refused with a reason, never a crash (the suite's sanitizer
// run checks every access), and what is read fills a table.
TEST(RecordingFileTest, DamagedFilesAreReadOrRefusedNeverMisread) {
    QByteArray good = kBom + "# cellwatch 1.10.0; port=x\r\n" + englishHeader() + "\r\n";
    for (int k = 1; k <= 12; ++k) {
        good += row(elapsedText(static_cast<std::uint32_t>(k) * 1000), k) + "\r\n";
    }
    good += "0:00:13,\"Li,\"\"Po\"\"\",+CHG+,25,31,12.00,8.40,-1.50,13,12.60,1.4,,,,,,,,,,,\r\n";
    const char alphabet[] = {',', '"', '\r', '\n', '#', '\0', ':', '7', '\xEF', '\xFF', ' '};
    QTemporaryDir dir;
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    int read = 0;
    int refused = 0;
    for (int i = 0; i < 600; ++i) {
        QByteArray bytes = good;
        for (std::uint32_t edits = 1 + next(4); edits > 0; --edits) {
            const auto at = static_cast<qsizetype>(
                next(static_cast<std::uint32_t>(std::max<qsizetype>(bytes.size(), 1))));
            const char c = alphabet[next(sizeof alphabet)];
            switch (next(4)) {
                case 0:
                    if (at < bytes.size()) {
                        bytes[at] = c;
                    }
                    break;
                case 1:
                    bytes.insert(at, c);
                    break;
                case 2:
                    bytes.remove(at, 1 + static_cast<qsizetype>(next(40)));
                    break;
                default:
                    bytes.truncate(at);
                    break;
            }
        }
        const QString path = writeFile(dir, bytes);
        RecordingFile file;
        try {
            file.read(path);
        } catch (const std::runtime_error&) {
            ++refused;
            EXPECT_EQ(file.rowCount(), 0u);
            continue;
        }
        ++read;
        RowStore table;
        file.fillTable(table);
        ASSERT_EQ(table.dataRowCount(), file.rowCount());
        ASSERT_EQ(file.curves().days.size(), file.rowCount());
        // The listing counts what opening the file gives.
        EXPECT_EQ(RecordingFile::summarize(path).rowCount, file.rowCount());
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace cellwatch
