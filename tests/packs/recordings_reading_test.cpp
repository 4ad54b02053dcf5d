// The Recordings dialog on a folder of thousands of journals, through the
// real widgets: it shows at once with the newest and its progress, is
// usable while the rest is read in the background, ends with every row,
// and can be closed or destroyed part way.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>

#include "app/recordings_dialog.h"
#include "readout/pack_file.h"
#include "tests/support/journal_text.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

// Generous: only a guard against a reading that never ends.
constexpr int kGuardMs = 120'000;

class RecordingsReadingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QStringList paths;  // oldest first

    // `count` two-row journals a minute apart, every tenth of pack "P"; the
    // rows of journal i end at i mAh.
    void makeJournals(int count, int firstBytes = 0) {
        const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
        for (int i = 0; i < count; ++i) {
            const QDateTime at = start.addSecs(60LL * i);
            QByteArray text =
                testing::journalText(at.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss+00:00")),
                                     {{1, "+CHG+", 12, 2, 0}, {2, "+CHG+", 12, 2, i}});
            if (i == count - 1 && firstBytes > text.size()) {
                // The newest made large with rows of its own.
                while (text.size() < firstBytes) {
                    text += testing::journalRow({3, "+CHG+", 12, 2, i});
                }
            }
            paths << testing::writeFile(
                dir.filePath(at.toString(QStringLiteral("'cellwatch-'yyyyMMdd-HHmmss'.csv'"))),
                text);
            if (i % 10 == 0) {
                EXPECT_TRUE(writePackInfo(paths.back(), {QStringLiteral("P"), QString()}));
            }
        }
    }

    static void waitUntilRead(RecordingsDialog& d) {
        QSignalSpy finished(&d, &RecordingsDialog::readingFinished);
        while (d.reading()) {
            ASSERT_TRUE(finished.wait(kGuardMs)) << "the reading never ended";
        }
    }

    static QStringList listed(const RecordingsDialog& d) {
        QStringList shown;
        for (int row = 0; row < d.list().rowCount(); ++row) {
            shown << d.pathOfRow(row);
        }
        return shown;
    }
};

// What is read before the dialog shows: the newest journals up to 1 MiB
// together and 100 at most, so a large newest one waits for the background
// as well; the rest follows, and the list ends whole in every case.
TEST_F(RecordingsReadingTest, ShowsTheNewestAtOnceWithProgressAndEndsWithEveryRow) {
    const struct {
        const char* name;
        int journals;
        int firstBytes;  // of the newest
        int atOnce;
        const char* says;
    } cases[] = {
        {"a few", 5, 0, 5, ""},
        {"thousands", 3000, 0, RecordingsDialog::kReadAtOnceCount,
         "Reading 100 of 3,000 recordings\u2026"},
        {"a large newest one", 300, 2 << 20, 0, "Reading 0 of 300 recordings\u2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        paths.clear();
        ASSERT_TRUE(QDir(dir.path()).removeRecursively() && QDir().mkpath(dir.path()));
        makeJournals(c.journals, c.firstBytes);

        RecordingsDialog d(dir.path());
        d.show();
        ASSERT_EQ(d.list().rowCount(), c.atOnce);
        if (c.atOnce > 0) {
            EXPECT_EQ(d.pathOfRow(0), paths.back());  // the newest on top
        }
        const bool background = c.atOnce < c.journals;
        EXPECT_EQ(d.reading(), background);
        EXPECT_EQ(d.readingText().isVisible(), background);
        EXPECT_EQ(d.readingBar().isVisible(), background);
        if (background) {
            EXPECT_EQ(d.readingText().text(), QString::fromUtf8(c.says));
            EXPECT_EQ(d.readingBar().maximum(), c.journals);
        }

        waitUntilRead(d);
        ASSERT_EQ(d.list().rowCount(), c.journals);
        EXPECT_FALSE(d.readingText().isVisible());
        EXPECT_FALSE(d.readingBar().isVisible());
        QStringList newestFirst = paths;
        std::reverse(newestFirst.begin(), newestFirst.end());
        EXPECT_EQ(listed(d), newestFirst);
        ASSERT_EQ(d.journals().size(), static_cast<std::size_t>(c.journals));
        EXPECT_EQ(d.journals().front().path, paths.back());
        EXPECT_TRUE(d.folderText().endsWith(QStringLiteral(" in %1 recordings").arg(c.journals)))
            << d.folderText().toStdString();
        // Each row as the journal tells it: rows, capacity, pack.
        const int last = c.journals - 1;
        EXPECT_EQ(d.list().item(last, 2)->text(), QStringLiteral("2"));
        EXPECT_EQ(d.list().item(last, 5)->text(), QStringLiteral("0"));
        EXPECT_EQ(d.list().item(last, RecordingsDialog::kPackColumn)->text(), QStringLiteral("P"));
        EXPECT_EQ(d.packFilter().count(), 2);  // all packs, P
    }
}

// While the rows come in, the list sorts, scrolls, filters and keeps what
// was chosen: the user's sort holds for every row read later, the chosen
// row stays chosen, the filter shows only its pack's rows.
TEST_F(RecordingsReadingTest, TheListIsUsableWhileItFills) {
    makeJournals(3000);
    RecordingsDialog d(dir.path());
    d.show();
    ASSERT_TRUE(d.reading());
    QTableWidget& list = d.list();
    const QString chosen = d.pathOfRow(7);
    list.clearSelection();
    list.selectRow(7);
    list.horizontalHeader()->setSortIndicator(5, Qt::AscendingOrder);  // capacity, smallest first
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    d.filterByPack(QStringLiteral("P"));
    QSignalSpy added(&d, &RecordingsDialog::rowsAdded);
    ASSERT_TRUE(added.wait(kGuardMs));  // a batch from the background
    waitUntilRead(d);

    ASSERT_EQ(list.rowCount(), 3000);
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorSection(), 5);
    for (int row = 1; row < list.rowCount(); ++row) {
        ASSERT_LE(list.item(row - 1, 5)->text().toInt(), list.item(row, 5)->text().toInt()) << row;
    }
    EXPECT_EQ(d.pathOfRow(0), paths.front());
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(d.pathOfRow(selected.front().row()), chosen);
    int shown = 0;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!list.isRowHidden(row)) {
            ++shown;
            EXPECT_EQ(list.item(row, RecordingsDialog::kPackColumn)->text(), QStringLiteral("P"));
        }
    }
    EXPECT_EQ(shown, 300);
    EXPECT_EQ(d.history().size(), 300u);
}

// Closing part way stops the reading at once: nothing more goes into the
// list, and the dialog goes (its thread ends within the file it reads).
// Reading again (after a delete) or destroying the dialog part way ends
// cleanly too. Whatever was listed is what the folder holds.
TEST_F(RecordingsReadingTest, ClosingPartWayStopsTheReading) {
    makeJournals(3000);
    const QSet<QString> all(paths.begin(), paths.end());
    const auto holdsOnlyJournals = [&](const RecordingsDialog& d) {
        for (const QString& path : listed(d)) {
            EXPECT_TRUE(all.contains(path)) << path.toStdString();
        }
    };
    {
        RecordingsDialog d(dir.path());
        d.show();
        ASSERT_TRUE(d.reading());
        d.open(0);
        EXPECT_EQ(d.chosenFile(), paths.back());
        EXPECT_FALSE(d.reading());
        EXPECT_FALSE(d.readingText().isVisible());
        const int rows = d.list().rowCount();
        // The thread ends within the file it reads; what it had read stays
        // out of the list, also once its last word is heard.
        QSignalSpy added(&d, &RecordingsDialog::rowsAdded);
        QSignalSpy ended(&d.scan(), &RecordingScan::finished);
        ASSERT_TRUE(ended.wait(kGuardMs));
        test::settle();
        EXPECT_EQ(added.count(), 0);
        EXPECT_EQ(d.list().rowCount(), rows);
        holdsOnlyJournals(d);
    }
    {
        RecordingsDialog d(dir.path());
        d.show();
        d.reject();
        EXPECT_FALSE(d.reading());
        holdsOnlyJournals(d);
    }
    {
        RecordingsDialog d(dir.path());
        d.confirm = [](QWidget*, const QString&) { return true; };
        d.list().clearSelection();
        d.list().selectRow(0);
        d.deleteSelected();  // reads the folder again, the reading before stopped
        EXPECT_FALSE(QFile::exists(paths.back()));
        waitUntilRead(d);
        EXPECT_EQ(d.list().rowCount(), 2999);
    }
    {
        // Destroyed while its thread reads.
        RecordingsDialog d(dir.path());
        ASSERT_TRUE(d.reading());
    }
}

}  // namespace
}  // namespace cellwatch
