// A journal that owes rows (a full disk) is tried again on the session's own
// timer, so what is owed is written once there is room, also when no new
// row comes to carry it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "protocol/byte_source.h"
#include "readout/journal.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "tests/support/charger_readings.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::session {
namespace {

TEST(JournalRetry, RowsOwedByAFullDiskAreWrittenOnTheSessionsTimer) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recordings"));
    // In a child: a file size limit stands in for a full disk, raised again
    // as space returns. Exit code: the step that went wrong, 0 when none.
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        ManualTickClock ticks;
        ManualWallClock wall(QDateTime::fromMSecsSinceEpoch(1796606575000));
        RowStore rows;
        Journal journal(folder, QStringLiteral("test"));
        LiveSession session({rows, ticks, wall});
        session.setJournal(&journal);
        session.journalRetry().hold();
        session.open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
        BufferByteSource line;
        for (int k = 1; k <= 60; ++k) {
            ticks.set(ticks.tickCount() + 1000);
            wall.advance(1000);
            line.feed(emulator::encodeStatus(testing::charging(k), FrameLayout::Long112));
            session.take(line);
        }
        if (rows.dataRowCount() != 60 || journal.rowsOwed() == 0) {
            _exit(1);
        }
        if (!session.journalRetry().isActive()) {
            _exit(2);  // nothing would write what is owed until the next row
        }
        limit.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        if (!session.journalRetry().step() || journal.rowsOwed() != 0) {
            _exit(3);
        }
        if (session.journalRetry().isActive()) {
            _exit(4);  // nothing owed: it rests
        }
        RecordingFile file;
        _exit(file.read(journal.path()) && file.rowCount() == 60 ? 0 : 5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace cellwatch::session
