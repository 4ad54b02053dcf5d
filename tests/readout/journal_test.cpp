#include "readout/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include "chart/data_table.h"
#include "chart/table_export.h"
#include "protocol/sample_text.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

const QString kVersion = QStringLiteral("1.10.0");
const QDateTime kStart(QDate(2026, 12, 5), QTime(14, 30, 12), QTimeZone(3600));

// Row i of a test recording: one second apart, the capacity counting up.
QStringList journalRow(int i, const QString& type = QStringLiteral("LiIo/Po/Fe")) {
    const auto time = QString::fromStdString(elapsedText(static_cast<std::uint32_t>(i + 1) * 1000));
    return QStringLiteral(
               "%1,%2,+CHG+,25,30,12.00,16.80,2.00,%3,33.60,4.2,4.2,4.2,4.2,0,0,0,0,0,0,0,0")
        .arg(time, type)
        .arg(i)
        .split(u',');
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void addTo(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

void expectRowsAsWritten(const RecordingFile& file) {
    for (std::size_t i = 0; i < file.rowCount(); ++i) {
        ASSERT_EQ(file.rowTexts(i), journalRow(static_cast<int>(i))) << "row " << i;
    }
}

// Runs `body` in a child process and returns its exit status (-1: killed).
template <typename Body>
int inChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(JournalTest, WritesTheExportFormatAfterOneCommentLine) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));  // made when needed
    Journal journal(folder, kVersion);
    journal.begin(kStart, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(journal.path().isEmpty());  // no file before the first row

    DataTableModel table;
    table.appendTabText(journalRow(0).join(u'\t'));
    journal.appendRow(table, 1);
    journal.appendRow(journalRow(1));
    journal.end();
    journal.appendRow(journalRow(2));  // after the end: nowhere

    EXPECT_EQ(journal.path(), folder + QStringLiteral("/cellwatch-20261205-143012.csv"));
    EXPECT_EQ(journal.rowCount(), 2);
    QByteArray expected("\xEF\xBB\xBF");
    expected +=
        "# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
        "battery=LiIo/Po/Fe\r\n";
    expected += tableCsvLine(table, 0).toUtf8();
    expected += (csvLine(journalRow(0)) + csvLine(journalRow(1))).toUtf8();
    EXPECT_EQ(contents(journal.path()), expected);

    // A second recording with the same start gets its own file.
    Journal second(folder, kVersion);
    second.begin(kStart, QStringLiteral("/dev/ttyUSB0"));
    second.appendRow(journalRow(0));
    EXPECT_EQ(second.path(), folder + QStringLiteral("/cellwatch-20261205-143012-2.csv"));
}

TEST(JournalTest, EveryRowWrittenSurvivesAKill) {
    QTemporaryDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        Journal journal(dir.path(), kVersion);
        journal.begin(kStart, QStringLiteral("/dev/pts/9"));
        for (int written = 1; written <= 1'000'000; ++written) {
            journal.appendRow(journalRow(written - 1));
            if (write(fds[1], &written, sizeof written) != sizeof written) {
                _exit(1);
            }
        }
        _exit(0);
    }
    close(fds[1]);
    int written = 0;
    while (written < 300 && read(fds[0], &written, sizeof written) == sizeof written) {
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    for (int more = 0; read(fds[0], &more, sizeof more) == sizeof more;) {
        written = more;  // what the child wrote after the look
    }
    close(fds[0]);
    ASSERT_GE(written, 300);

    const std::vector<JournalInfo> journals = listJournals(dir.path());
    ASSERT_EQ(journals.size(), 1U);
    RecordingFile file;
    ASSERT_TRUE(file.read(journals[0].path));
    // The row being written at the kill may or may not have reached the file.
    EXPECT_GE(file.rowCount(), static_cast<std::size_t>(written));
    EXPECT_LE(file.rowCount(), static_cast<std::size_t>(written) + 1);
    EXPECT_EQ(journals[0].rowCount, static_cast<qint64>(file.rowCount()));
    expectRowsAsWritten(file);
}

TEST(JournalTest, AFailedWriteStopsTheJournalAndIsReportedOnce) {
    QTemporaryDir dir;
    // The disk fills up: a file size limit makes the writes fail midway.
    const QString folder = dir.filePath(QStringLiteral("full"));
    const int rows = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3000, 3000};
        setrlimit(RLIMIT_FSIZE, &limit);
        Journal full(folder, kVersion);
        int calls = 0;
        full.setFailureHandler([&](const QString&) { ++calls; });
        full.begin(kStart, QStringLiteral("/dev/ttyUSB0"));
        for (int i = 0; i < 100; ++i) {
            full.appendRow(journalRow(i));
        }
        const qint64 written = full.rowCount();
        bool reported = calls == 1 && full.failure().contains(QStringLiteral("Cannot"));
        full.begin(kStart.addSecs(1), QStringLiteral("/dev/ttyUSB0"));  // tries again
        full.appendRow(journalRow(0));
        reported = reported && full.failure().isEmpty() && full.rowCount() == 1;
        return reported && written < 100 ? static_cast<int>(written) : 255;
    });
    ASSERT_GT(rows, 0);
    ASSERT_LT(rows, 255);
    RecordingFile file;
    ASSERT_TRUE(file.read(listJournals(folder).at(0).path));
    EXPECT_EQ(file.rowCount(), static_cast<std::size_t>(rows));  // a cut last row is dropped
    expectRowsAsWritten(file);
}

TEST(JournalTest, ListingTellsEachRecording) {
    QTemporaryDir dir;
    const auto record = [&](const QDateTime& start, int rows, const QString& type) {
        Journal journal(dir.path(), kVersion);
        journal.begin(start, QStringLiteral("/dev/ttyUSB0"));
        for (int i = 0; i < rows; ++i) {
            journal.appendRow(journalRow(i, type));
        }
        return journal.path();
    };
    const QString later = record(kStart, 3, QStringLiteral("Ni-MH"));
    const QString earlier = record(kStart.addDays(-1), 5, QStringLiteral("Pb"));
    addTo(earlier, "0:00:06,Pb,+CHG+,25");  // a crash cut its last line
    // An export put there by hand: no comment line.
    DataTableModel table;
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

}  // namespace
}  // namespace cellwatch
