#include "readout/journal.h"

#include <gtest/gtest.h>

#include "tests/readout/journal_fixture.h"

namespace cellwatch {
namespace {

using namespace journaltest;

TEST(JournalTest, WritesTheExportFormatAfterOneCommentLine) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));  // made when needed
    Fed fed(folder);
    Journal& journal = fed.journal;
    EXPECT_TRUE(journal.path().isEmpty());  // no file before the first row
    fed.addRows(0, 2);
    journal.end();
    fed.add(2);  // after the end: nowhere

    EXPECT_EQ(journal.path(), folder + QStringLiteral("/cellwatch-20261205-143012.csv"));
    EXPECT_EQ(journal.rowCount(), 2);
    QByteArray expected("\xEF\xBB\xBF");
    expected +=
        "\"# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
        "battery=LiIo/Po/Fe; charger=tkrx\"\r\n";
    expected += tableCsvLine(fed.table, 0).toUtf8();
    expected += (csvLine(journalRow(0)) + csvLine(journalRow(1))).toUtf8();
    EXPECT_EQ(contents(journal.path()), expected);

    // A second recording with the same start gets its own file.
    Fed second(folder);
    second.add(0);
    EXPECT_EQ(second.journal.path(), folder + QStringLiteral("/cellwatch-20261205-143012-2.csv"));
}

TEST(JournalTest, EveryRowWrittenSurvivesAKill) {
    QTemporaryDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        Fed fed(dir.path());
        for (int written = 1; written <= 1'000'000; ++written) {
            fed.add(written - 1);
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

TEST(JournalTest, AFullDiskEndsTheFileOnARowAndCatchesUpWhenSpaceReturns) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("full"));
    // In a child: a file size limit stands in for a full disk; it is raised
    // again as space returns. Exit code: the step that went wrong, 0 when none.
    const int failedStep = inChild([&]() -> int {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{3000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        Fed fed(folder);
        Journal& journal = fed.journal;
        const QString& log = fed.log;
        fed.addRows(0, 60);
        if (log != QLatin1String("S") || journal.rowsOwed() == 0 || journal.rowCount() == 0) {
            return 1;
        }
        // The file ends on a row boundary: every row in it is whole.
        RecordingFile cut;
        if (!cut.read(journal.path()) ||
            static_cast<qint64>(cut.rowCount()) != journal.rowCount()) {
            return 2;
        }
        const QByteArray bytes = contents(journal.path());
        if (!bytes.endsWith("\r\n")) {
            return 3;
        }
        limit.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        fed.add(60);  // too soon after the failure: still owed
        if (journal.rowsOwed() == 0 || log != QLatin1String("S")) {
            return 4;
        }
        journal.retry();  // what the window's timer does; or the next row after a while
        if (journal.rowsOwed() != 0 || journal.rowCount() != 61 || log != QLatin1String("SC")) {
            return 5;
        }
        RecordingFile whole;
        if (!whole.read(journal.path()) || whole.rowCount() != 61) {
            return 6;
        }
        for (std::size_t i = 0; i < whole.rowCount(); ++i) {
            if (whole.rowTexts(i) != journalRow(static_cast<int>(i))) {
                return 7;
            }
        }
        return 0;
    });
    EXPECT_EQ(failedStep, 0);
}

TEST(JournalTest, ADeletedFolderIsMadeAgainWithEveryRowSoFar) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    Fed fed(folder);
    Journal& journal = fed.journal;
    fed.addRows(0, 10);
    const QString first = journal.path();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    fed.addRows(10, 12);
    EXPECT_EQ(fed.log, QLatin1String("R"));  // said once
    EXPECT_EQ(journal.rowCount(), 12);
    journal.end();
    RecordingFile file;
    ASSERT_TRUE(file.read(journal.path())) << journal.path().toStdString();
    EXPECT_EQ(file.rowCount(), 12U);
    expectRowsAsWritten(file);
    EXPECT_EQ(QFileInfo(first).dir(), QFileInfo(journal.path()).dir());

    // A file removed (not the folder) is noticed the same way.
    fed.begin(kStart.addSecs(60));
    fed.add(0);
    ASSERT_TRUE(QFile::remove(journal.path()));
    fed.add(1);
    EXPECT_EQ(fed.log, QLatin1String("RR"));
    ASSERT_TRUE(file.read(journal.path()));
    EXPECT_EQ(file.rowCount(), 2U);
}

TEST(JournalTest, WithoutAFolderItSaysSoAndNeverThrows) {
    // No home folder: no folder under the root.
    const QByteArray home = qgetenv("HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    const QString folder = Journal::defaultFolder();
    qputenv("HOME", home);
    if (!data.isEmpty()) {
        qputenv("XDG_DATA_HOME", data);
    }
    EXPECT_TRUE(folder.isEmpty()) << folder.toStdString();

    Fed fed(folder);
    fed.addRows(0, 2);
    EXPECT_EQ(fed.log, QLatin1String("S"));
    EXPECT_TRUE(fed.journal.failure().contains(QStringLiteral("no home folder")));
    EXPECT_EQ(fed.journal.rowsOwed(), 2);
}

// A pipe, a device or an endless file among the recordings is passed over at
// once: listing the folder neither waits nor reads without end.
}  // namespace
}  // namespace cellwatch
