// A recording read a few megabytes at a time (RecordingFile::stream) against
// the same file read whole into a store: lines that straddle the blocks,
// damaged lines and alarms past the first block, a line longer than a block,
// NUL bytes at the end or in the middle, a cut last row, a log's
// tab-separated lines, rows not in the program's own texts; the same texts
// and the same numbers.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "protocol/reading_format.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

// Rows past the first block of four megabytes.
constexpr int kRows = 60'000;

QByteArray rowText(int k, char separator) {
    QByteArray row = QByteArray::fromStdString(
                         ReadingFormat::elapsedText(static_cast<std::uint32_t>(k) * 1000)) +
                     ",LiIo/Po/Fe,+CHG+,25,31,15.00,16.80,2.00," + QByteArray::number(k % 3000) +
                     ",33.60,4.20,4.20,4.20,4.20,0,0,0,0,0,0,0,0";
    if (separator == '\t') {
        row.replace(',', '\t');
    }
    return row;
}

// A journal of kRows rows with `changed` applied to its line `line` (0: the
// first row's) and `tail` after the last.
QByteArray journal(char separator, int line, const QByteArray& changed, const QByteArray& tail) {
    QByteArray bytes = "\xEF\xBB\xBF";
    if (separator == ',') {
        bytes += "\"# cellwatch 1.10.0; port=x; start=2026-12-01T10:00:00+00:00\"\r\n";
    }
    QByteArray header =
        "Time,Type,State,Ext,Int,In,Volt,Curr,Cap,Power,C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12";
    if (separator == '\t') {
        header.replace(',', '\t');
    }
    bytes += header + "\r\n";
    for (int k = 0; k < kRows; ++k) {
        bytes += (k == line ? changed : rowText(k + 1, separator)) + "\r\n";
    }
    return bytes + tail;
}

struct Reading {
    bool refused = false;
    std::vector<std::string> rows;       // the 22 texts joined
    std::vector<std::uint64_t> numbers;  // the rows' numbers, bit for bit
    QStringList comments;
    std::vector<std::size_t> damagedLines;
    std::size_t damaged = 0;
    std::vector<std::pair<std::size_t, std::int64_t>> alarms;
    bool droppedCutRow = false;
};

Reading readingOf(const QString& path, bool streamed) {
    Reading r;
    RecordingFile file;
    const RowVisitor visitor = [&r](const RowFields& row, const RowNumbers& numbers) {
        std::string joined;
        for (const std::string_view field : row) {
            joined.append(field).push_back('|');
        }
        r.numbers.insert(r.numbers.end(),
                         {numbers.timed ? 1U : 0U, std::bit_cast<std::uint64_t>(numbers.seconds),
                          static_cast<std::uint64_t>(numbers.state),
                          static_cast<std::uint64_t>(numbers.chemistry)});
        for (std::size_t i = kFieldExtTemperature; i < numbers.field.size(); ++i) {
            r.numbers.push_back(std::bit_cast<std::uint64_t>(numbers.field[i]));
        }
        r.rows.push_back(std::move(joined));
    };
    try {
        if (streamed) {
            file.stream(path, visitor);
        } else {
            RowStore store;
            file.read(path, {}, visitor, &store);
        }
    } catch (const std::runtime_error&) {
        return Reading{true, {}, {}, {},
                       {},   0,  {}, false};  // the rows it saw before count for nothing
    }
    EXPECT_EQ(file.rowCount(), r.rows.size());
    r.comments = file.comments();
    r.damagedLines = file.damagedLines();
    r.damaged = file.damagedLineCount();
    for (const AlarmNote& a : file.alarms()) {
        r.alarms.emplace_back(a.afterRows, a.atSeconds);
    }
    r.droppedCutRow = file.droppedCutRow();
    return r;
}

TEST(RecordingStream, ReadsWhatTheWholeFileGives) {
    const QByteArray alarm = "\"# alarm cell-high: Cell 3 at 4.27 V, limit 4.25 V\"";
    const struct Case {
        const char* name;
        QByteArray bytes;
        bool refused;
        std::size_t rows;
    } cases[] = {
        {"whole", journal(',', -1, {}, {}), false, kRows},
        {"damaged and alarms past the first block",
         journal(',', 50'000, "0:00:07,\"Li", alarm + "\r\n" + rowText(kRows + 1, ',') + "\r\n"),
         false, kRows},
        {"NUL bytes at the end", journal(',', -1, {}, QByteArray(5000, '\0')), false, kRows},
        {"a NUL byte past the first block", journal(',', 55'000, QByteArray(1, '\0'), {}), true, 0},
        {"a cut last row", journal(',', -1, {}, rowText(kRows + 1, ',').left(40)), false, kRows},
        {"a log's tabs", journal('\t', 45'000, "x\ty", "# lost\n"), false, kRows - 1},
        {"a line longer than a block", journal(',', 30'000, QByteArray(5 << 20, 'x'), {}), false,
         kRows - 1},
        {"rows in other texts",
         journal(',', 50'000,
                 "0:00:07,LiIo/Po/Fe,Wait,25,31,15,16.8,2,nan,1e3,4.2,4.20,4.2,4.2,0,0,0,0,0,0,0,0",
                 {}),
         false, kRows},
        {"mostly damaged",
         journal(',', 10, "0:00:01,x", QByteArray(kRows, '\n').replace("\n", "x\n")), true, 0},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("cellwatch-20261201-100000.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        const Reading whole = readingOf(path, false);
        const Reading streamed = readingOf(path, true);
        ASSERT_EQ(whole.refused, c.refused);
        EXPECT_EQ(whole.rows.size(), c.rows);
        EXPECT_EQ(streamed.refused, whole.refused);
        EXPECT_EQ(streamed.rows, whole.rows);
        EXPECT_EQ(streamed.numbers, whole.numbers);
        EXPECT_EQ(streamed.comments, whole.comments);
        EXPECT_EQ(streamed.damagedLines, whole.damagedLines);
        EXPECT_EQ(streamed.damaged, whole.damaged);
        EXPECT_EQ(streamed.alarms, whole.alarms);
        EXPECT_EQ(streamed.droppedCutRow, whole.droppedCutRow);
    }
}

}  // namespace
}  // namespace cellwatch
