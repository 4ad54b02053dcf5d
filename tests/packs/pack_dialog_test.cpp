// The Recordings dialog's pack column, filter and history chart, and the
// pack dialog, through the real widgets on real journals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <functional>

#include "app/pack_dialog.h"
#include "app/recordings_dialog.h"
#include "chart/pack_history_chart.h"
#include "readout/pack_file.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

class PackDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // A two-row journal started on `day` of December 2026.
    QString journal(int day, const char* state, int mah, const char* pack) const {
        const QString dd = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
        const double amps = QByteArray(state) == "-DSC-" ? -2 : 2;
        const QString path = testing::writeFile(
            dir.filePath(QStringLiteral("cellwatch-202612%1-090000.csv").arg(dd)),
            testing::journalText(QStringLiteral("2026-12-%1T09:00:00+01:00").arg(dd),
                                 {{1, state, 12, amps, 0, 4.10}, {3, state, 12, amps, mah}}));
        if (*pack != '\0') {
            EXPECT_TRUE(writePackInfo(path, {QString::fromUtf8(pack), QStringLiteral("n")}));
        }
        return path;
    }

    // The values a series of the pack's chart draws, in order.
    static std::vector<double> seriesValues(PackHistoryChart& chart, PackHistoryChart::Series s) {
        std::vector<double> v;
        for (auto it = chart.series(s)->data()->constBegin();
             it != chart.series(s)->data()->constEnd(); ++it) {
            v.push_back(it->value);
        }
        return v;
    }

    QStringList shownPaths(const RecordingsDialog& d) const {
        QStringList paths;
        for (int row = 0; row < d.list().rowCount(); ++row) {
            if (!d.list().isRowHidden(row)) {
                paths << d.pathOfRow(row);
            }
        }
        return paths;
    }
};

// A pack file that cannot be read shows as unreadable, saying why, and the
// list still appears with every recording: a FIFO, which would make the
// dialog wait for ever. (Each kind of unreadable pack file and what it says:
// PackTest.HostilePackFilesAreNoPackAtOnceSayingWhy. Should opening the FIFO
// wait after all, the watchdog opens its other end after a while: the test
// then fails instead of hanging.)
TEST_F(PackDialogTest, UnreadablePackFilesShowAsSuchAndTheListStillAppears) {
    const QString good = journal(5, "+CHG+", 2000, "Pack A");
    const QString hostile = journal(6, "+CHG+", 900, "");
    const QString pack = packFilePath(hostile);
    const QByteArray packName = QFile::encodeName(pack);
    ASSERT_EQ(::mkfifo(packName.constData(), 0600), 0);
    const testing::FifoWatchdog watchdog(packName.toStdString());
    RecordingsDialog d(dir.path());
    EXPECT_EQ(shownPaths(d), (QStringList{hostile, good}));
    const QTableWidgetItem* it = d.list().item(0, RecordingsDialog::kPackColumn);
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->text(), QStringLiteral("(unreadable)"));
    EXPECT_EQ(it->toolTip(), QStringLiteral("cannot read ") + pack +
                                 QStringLiteral(": it is a FIFO, not a regular file"));
    EXPECT_EQ(d.list().item(1, RecordingsDialog::kPackColumn)->text(), QStringLiteral("Pack A"));
    EXPECT_EQ(d.list().item(0, 2)->text(), QStringLiteral("2"));  // the rows, still read
}

TEST_F(PackDialogTest, PackColumnFilterAndHistoryChart) {
    const QString a1 = journal(5, "+CHG+", 2000, "Pack A");
    const QString b1 = journal(6, "+CHG+", 900, "Pack B");
    const QString a2 = journal(3, "-DSC-", 1800, "Pack A");
    const QString a3 = journal(8, "+CHG+", 2050, "Pack A");
    const QString none = journal(7, "+CHG+", 10, "");

    RecordingsDialog d(dir.path());
    // Newest first; the pack column says each one's pack.
    EXPECT_EQ(shownPaths(d), (QStringList{a3, none, b1, a1, a2}));
    EXPECT_EQ(d.list().item(0, RecordingsDialog::kPackColumn)->text(), QStringLiteral("Pack A"));
    EXPECT_EQ(d.list().item(1, RecordingsDialog::kPackColumn)->text(), QString());
    // The pack column sorts by name.
    d.list().sortItems(RecordingsDialog::kPackColumn, Qt::AscendingOrder);
    EXPECT_EQ(d.list().item(0, RecordingsDialog::kPackColumn)->text(), QString());
    EXPECT_EQ(d.list().item(4, RecordingsDialog::kPackColumn)->text(), QStringLiteral("Pack B"));
    d.list().sortItems(RecordingsDialog::kStartedColumn, Qt::DescendingOrder);

    QComboBox& filter = d.packFilter();
    ASSERT_EQ(filter.count(), 3);
    EXPECT_EQ(filter.itemText(0), QStringLiteral("All packs"));
    EXPECT_EQ(filter.itemText(1), QStringLiteral("Pack A"));
    EXPECT_EQ(filter.itemText(2), QStringLiteral("Pack B"));
    EXPECT_TRUE(d.historyChart().isHidden());

    // Choosing a pack the way the user does.
    filter.setCurrentIndex(1);
    emit filter.activated(1);
    EXPECT_EQ(d.packShown(), QStringLiteral("Pack A"));
    EXPECT_EQ(shownPaths(d), (QStringList{a3, a1, a2}));
    EXPECT_FALSE(d.historyChart().isHidden());
    ASSERT_EQ(d.history().size(), 3u);
    EXPECT_EQ(d.history()[0].path, a2);  // oldest first
    EXPECT_EQ(d.history()[2].path, a3);

    PackHistoryChart& chart = d.historyChart();
    const auto values = [&](PackHistoryChart::Series s) { return seriesValues(chart, s); };
    EXPECT_EQ(values(PackHistoryChart::kChargeCapacity), (std::vector<double>{2000, 2050}));
    EXPECT_EQ(values(PackHistoryChart::kDischargeCapacity), (std::vector<double>{1800}));
    EXPECT_EQ(values(PackHistoryChart::kChargeEnergy).size(), 2u);
    EXPECT_EQ(values(PackHistoryChart::kDischargeEnergy).size(), 1u);
    ASSERT_EQ(values(PackHistoryChart::kSpread).size(), 3u);
    EXPECT_NEAR(values(PackHistoryChart::kSpread)[0], 0.10, 1e-9);
    EXPECT_EQ(chart.series(PackHistoryChart::kSpread)->valueAxis(), chart.spreadAxis());
    EXPECT_TRUE(chart.legend->visible());
    EXPECT_EQ(chart.legend->itemCount(), PackHistoryChart::kHistorySeriesCount);
    // The axes take in every point: dates on X, from 0 up on the values.
    const QCPRange x = chart.xAxis->range();
    for (const auto* g : {chart.series(PackHistoryChart::kChargeCapacity),
                          chart.series(PackHistoryChart::kDischargeCapacity)}) {
        for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it) {
            EXPECT_TRUE(x.contains(it->key));
            EXPECT_TRUE(chart.yAxis->range().contains(it->value));
        }
    }
    EXPECT_EQ(chart.xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>().isNull(), false);

    // Back to all packs: every row again, no chart.
    filter.setCurrentIndex(0);
    emit filter.activated(0);
    EXPECT_EQ(shownPaths(d).size(), 5);
    EXPECT_TRUE(d.historyChart().isHidden());
    EXPECT_TRUE(d.history().empty());
}

// A charge and a discharge in one recording, the charger's counter starting
// again for the discharge: the pack's chart takes each from its phase, the
// list counts the cells (marked: the pack has four, the recording three) and
// the alarms, and the pack's health is said under the chart.
TEST_F(PackDialogTest, MixedRecordingsChartTheirPhasesAndTheListMarksAWrongCellCount) {
    const QString path = testing::writeFile(
        dir.filePath(QStringLiteral("cellwatch-20261210-090000.csv")),
        testing::journalText(QStringLiteral("2026-12-10T09:00:00+01:00"),
                             {{1, "+CHG+", 12, 2, 0},
                              {3, "+CHG+", 12, 2, 1500},
                              {4, "-DSC-", 12, -2, 0},
                              {6, "-DSC-", 12, -2, 1400}}) +
            QByteArray("# alarm cell-spread: Cells 0.11 V apart (limit 0.10 V)\r\n"));
    PackInfo pack{QStringLiteral("Pack M"), QString()};
    pack.chemistry = PackChemistry::LiPo;
    pack.cells = 4;
    pack.capacityMah = 2000;
    ASSERT_TRUE(writePackInfo(path, pack));

    RecordingsDialog d(dir.path());
    ASSERT_EQ(d.list().rowCount(), 1);
    const QTableWidgetItem* cells = d.list().item(0, RecordingsDialog::kCellsColumn);
    EXPECT_EQ(cells->text(), QStringLiteral("3 ⚠"));
    EXPECT_EQ(cells->toolTip(),
              QStringLiteral("This recording has 3 cells; pack \"Pack M\" has 4"));
    EXPECT_EQ(d.list().item(0, RecordingsDialog::kAlarmsColumn)->text(), QStringLiteral("1"));

    d.packFilter().setCurrentIndex(1);
    emit d.packFilter().activated(1);
    PackHistoryChart& chart = d.historyChart();
    const auto values = [&](PackHistoryChart::Series s) { return seriesValues(chart, s); };
    EXPECT_EQ(values(PackHistoryChart::kChargeCapacity), (std::vector<double>{1500}));
    EXPECT_EQ(values(PackHistoryChart::kDischargeCapacity), (std::vector<double>{1400}));
    EXPECT_FALSE(d.healthText().isHidden());
    EXPECT_FALSE(d.healthText().text().isEmpty());
}

TEST_F(PackDialogTest, DeletingAJournalDeletesItsPackFileAndTheFilterForgetsTheLastOfAPack) {
    const QString a = journal(5, "+CHG+", 2000, "Pack A");
    const QString b = journal(6, "+CHG+", 900, "Pack B");
    RecordingsDialog d(dir.path());
    d.confirm = [](QWidget*, const QString&) { return true; };
    d.filterByPack(QStringLiteral("Pack B"));
    ASSERT_EQ(shownPaths(d), QStringList{b});
    d.list().clearSelection();
    d.list().selectRow(0);  // row 0 is b, the newest
    ASSERT_EQ(d.pathOfRow(0), b);
    d.deleteSelected();
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_FALSE(QFile::exists(packFilePath(b)));
    EXPECT_TRUE(QFile::exists(packFilePath(a)));
    // Pack B has no recordings left: the filter offers Pack A only and shows all.
    EXPECT_EQ(d.packFilter().count(), 2);
    EXPECT_EQ(d.packShown(), QString());
    EXPECT_EQ(shownPaths(d), QStringList{a});
    // A name that is not there shows everything.
    d.filterByPack(QStringLiteral("Pack Z"));
    EXPECT_EQ(d.packShown(), QString());
    EXPECT_EQ(d.packFilter().currentIndex(), 0);
}

TEST_F(PackDialogTest, PackDialogOffersKnownNamesAndKeepsTheNameAsCompared) {
    PackDialog dialog({QStringLiteral("Pack A"), QStringLiteral("old")},
                      {QStringLiteral("Pack A"), QStringLiteral("Pack B")}, true);
    EXPECT_EQ(dialog.nameBox().count(), 2);
    EXPECT_EQ(dialog.info(), (PackInfo{QStringLiteral("Pack A"), QStringLiteral("old")}));
    dialog.nameBox().setEditText(QStringLiteral("  Pack\tC  "));
    dialog.noteBox().setPlainText(QStringLiteral(" two\nlines \n"));
    EXPECT_EQ(dialog.info(), (PackInfo{QStringLiteral("Pack C"), QStringLiteral("two\nlines")}));
}

// However a long text comes into the note (pasted, dropped, typed, from an
// input method, from the settings or a pack file), the note holds the limit
// at most, cut before the text reaches the box: a paste of two million
// characters returns at once with exactly the limit kept.
TEST_F(PackDialogTest, TheNoteStopsAtItsLimitHoweverTheTextComesIn) {
    const QString huge = QString(2'000'000, u'x');
    const QString nearlyFull(kPackNoteLimit - 2, u'n');
    const struct {
        const char* name;
        QString before;  // the note before, the cursor at its end
        std::function<void(QPlainTextEdit&)> put;
        QString tail;  // how the note then ends
    } cases[] = {
        {"pasted",
         {},
         [&](QPlainTextEdit& note) {
             QGuiApplication::clipboard()->setText(huge);
             note.paste();
         },
         QStringLiteral("xx")},
        {"pasted over a selection", QStringLiteral("keep this, not this"),
         [&](QPlainTextEdit& note) {
             QTextCursor cursor = note.textCursor();
             cursor.setPosition(9);
             cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
             note.setTextCursor(cursor);
             QGuiApplication::clipboard()->setText(QStringLiteral("!\r\n") + huge);
             note.paste();
         },
         QStringLiteral("xx")},
        {"dropped",
         {},
         [&](QPlainTextEdit& note) {
             QMimeData data;
             data.setText(huge);
             const QPoint at(5, 5);
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(note.viewport(), &enter);
             QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(note.viewport(), &move);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(note.viewport(), &drop);
             EXPECT_TRUE(drop.isAccepted());
         },
         QStringLiteral("xx")},
        {"typed", nearlyFull,
         [](QPlainTextEdit& note) { QTest::keyClicks(&note, QStringLiteral("abcdef")); },
         QStringLiteral("nab")},
        {"committed by an input method", nearlyFull,
         [&](QPlainTextEdit& note) {
             QInputMethodEvent commit;
             commit.setCommitString(huge);
             QApplication::sendEvent(&note, &commit);
         },
         QStringLiteral("nxx")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackDialog dialog({QStringLiteral("Pack A"), c.before}, {}, false);
        dialog.show();
        QPlainTextEdit& note = dialog.noteBox();
        note.setFocus();
        note.moveCursor(QTextCursor::End);
        c.put(note);
        const QString text = note.toPlainText();
        EXPECT_EQ(text.size(), kPackNoteLimit);
        EXPECT_TRUE(text.startsWith(c.before.left(9))) << text.left(20).toStdString();
        EXPECT_TRUE(text.endsWith(c.tail)) << text.right(20).toStdString();
        EXPECT_EQ(dialog.info().note.size(), kPackNoteLimit);
    }
    // A note and a name brought in from the settings or a pack file are cut
    // as well.
    PackDialog given({QString(1000, u'p'), huge}, {}, false);
    EXPECT_EQ(given.noteBox().toPlainText().size(), kPackNoteLimit);
    EXPECT_EQ(given.info(), (PackInfo{QString(kPackNameLimit, u'p'), huge.left(kPackNoteLimit)}));
}

}  // namespace
}  // namespace cellwatch
