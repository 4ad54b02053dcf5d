// The journal's recordings opened in windows of their own beside the live
// window, the live recording's summary, the recordings list's columns, the
// message of a new recording and replays without a journal.
#include <qcustomplot.h>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <cmath>
#include <map>
#include <vector>

#include "analysis/recording_summary.h"
#include "analysis/summary_format.h"
#include "app/alarm_list.h"
#include "app/recordings_dialog.h"
#include "app/summary_view.h"
#include "app/summary_window.h"
#include "app/tab_control.h"
#include "protocol/byte_source.h"
#include "tests/support/journal_text.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

// The report's lines ("  name:   value") as name and value.
std::vector<std::pair<QString, QString>> reportLines(const QString& report) {
    std::vector<std::pair<QString, QString>> out;
    const QStringList lines = report.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {  // the first names the file
        const qsizetype colon = lines[i].indexOf(u':');
        out.emplace_back(lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed());
    }
    return out;
}

void expectSummaryAsReport(const SummaryView& view, const RecordingSummaryValues& summary) {
    const auto lines = reportLines(summaryText(summary, QStringLiteral("f")));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSummaryLineCount));
    for (const auto& [name, value] : lines) {
        EXPECT_EQ(view.value(name), value) << name.toStdString();
    }
}

emu::ChargerReading discharging(int k) {
    emu::ChargerReading r = charging(k);
    r.mode = emu::Mode::Discharge;
    r.current = Decimal::fromHundredths(-100 - k % 50);
    return r;
}

class ViewerTest : public WindowTest {
protected:
    QStringList liveReadouts() const {
        QStringList out;
        for (int i = 0; i < 25; ++i) {
            if (QLabel* l = w->readout(i)) {
                out << l->text();
            }
        }
        for (int i = 0; i < 3; ++i) {
            out << w->largeReadout(i)->text();
        }
        return out;
    }
};

TEST_F(ViewerTest, ARecordingOpenedWhileConnectedLeavesTheLiveWindowAlone) {
    openConnected(5);
    const QStringList first = tableTexts();
    const auto firstPoints = voltagePoints(w->chart());
    pause();
    recordRows(7, 9);

    // The journal keeps each recording.
    const QStringList files = journalFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(readAll(files[0]).contains("# cellwatch "));
    const QString liveTitle = w->windowTitle();
    const QStringList liveChartTitle = w->chart().titleLines();
    const QStringList liveTable = tableTexts();
    const std::size_t livePoints = points();
    const QStringList readouts = liveReadouts();

    // A main window near the screen's corner: the viewer still opens whole
    // on the screen, not centred on it and cut off.
    const QRect room = w->screen()->availableGeometry();
    w->move(room.right() - 300, room.bottom() - 200);
    ViewerWindow* viewer = openViewer(files[0]);
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    ASSERT_NE(viewer, nullptr);
    EXPECT_GE(viewer->frameGeometry().right(), room.right() - 20);  // over the main window
    EXPECT_TRUE(room.contains(viewer->frameGeometry()))
        << viewer->frameGeometry().x() << "," << viewer->frameGeometry().y() << " "
        << viewer->width() << "x" << viewer->height();

    // The live window is as it was, and goes on recording.
    EXPECT_EQ(w->windowTitle(), liveTitle);
    EXPECT_EQ(w->chart().titleLines(), liveChartTitle);
    EXPECT_EQ(tableTexts(), liveTable);
    EXPECT_EQ(points(), livePoints);
    EXPECT_EQ(liveReadouts(), readouts);
    EXPECT_TRUE(w->linkOpen());
    recordRows(10, 10);
    EXPECT_EQ(rows(), 4);

    // The viewer shows the file: its rows, curves, title and summary.
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), QFileInfo(files[0]).fileName());
    EXPECT_EQ(tableTexts(viewer->table()), first);
    expectSamePoints(voltagePoints(viewer->chart()), firstPoints);
    EXPECT_EQ(viewer->chart().titleLines(), QStringList{QFileInfo(files[0]).fileName()});
    EXPECT_EQ(viewer->readout(readouts::kElapsed)->text(), QStringLiteral("0:00:05"));
    RecordingFile file;
    const RecordingSummaryValues summary = readAndSummarize(file, files[0]);
    expectSummaryAsReport(viewer->summaryView(), summary);
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("rows")), QStringLiteral("5"));
    EXPECT_EQ(viewer->statusText(), QStringLiteral("Opened ") + QDir::toNativeSeparators(files[0]));

    // The cross line reads the file's rows into the viewer's readouts alone.
    const QStringList live = liveReadouts();
    ChartView& chart = viewer->chart();
    chart.setAxisRange(ChartAxis::Bottom, -2.0 / 86400, 8.0 / 86400);
    chart.plot()->replot();
    viewer->command(QStringLiteral("CrossLine"))->trigger();
    ASSERT_TRUE(chart.cursorActive());
    for (const std::size_t k : {std::size_t{0}, std::size_t{2}, std::size_t{3}}) {  // not the last
        SCOPED_TRACE(k);
        const double pixel =
            chart.axis(ChartAxis::Bottom)->coordToPixel(chart.pointX(kSeriesVoltage, k));
        viewer->OnChartMouseMove(static_cast<int>(std::ceil(pixel + 0.01)));
        const int row = static_cast<int>(k) + 1;
        EXPECT_EQ(viewer->readout(readouts::kElapsed)->text(), viewer->table().gridText(row, 1));
        EXPECT_EQ(viewer->readout(readouts::kVoltage)->text(), viewer->table().gridText(row, 7));
        EXPECT_TRUE(viewer->cursorHold());
    }
    EXPECT_EQ(liveReadouts(), live);

    // A second one opens beside it; closing one changes nothing on disk.
    const QByteArray onDisk = readAll(files[0]);
    ViewerWindow* second = w->openRecording(files[1]);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(w->viewers().size(), 2u);
    viewer->close();
    test::settle();
    EXPECT_EQ(w->viewers(), std::vector<ViewerWindow*>{second});
    EXPECT_EQ(readAll(files[0]), onDisk);
}

TEST_F(ViewerTest, ViewerExportsAndSavesTheFilesRecording) {
    openConnected(4);
    const QString journal = w->journal().path();
    ViewerWindow* viewer = w->openRecording(journal);
    ASSERT_NE(viewer, nullptr);
    recordRows(5, 6);  // the live recording goes on; the viewer keeps its file's rows

    saveAnswer = dir.filePath(QStringLiteral("exported.csv"));
    viewer->command(QStringLiteral("Export"))->trigger();
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    RecordingFile source;
    RecordingFile exported;
    ASSERT_TRUE(source.read(journal));
    ASSERT_TRUE(exported.read(saveAnswer));
    ASSERT_EQ(source.rowCount(), 6u);  // the journal has the new rows by now
    ASSERT_EQ(exported.rowCount(), 4u);
    for (std::size_t row = 0; row < 4; ++row) {
        EXPECT_EQ(exported.rowTexts(row), source.rowTexts(row)) << row;
    }
    EXPECT_TRUE(viewer->statusText().startsWith(QStringLiteral("Exported 4 rows to")));

    saveAnswer = dir.filePath(QStringLiteral("chart.png"));
    viewer->command(QStringLiteral("Save"))->trigger();
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    EXPECT_TRUE(readAll(saveAnswer).startsWith("\x89PNG"));
    EXPECT_FALSE(saveAsks.back().proposed.startsWith(journals())) << "among the recordings";

    // Never over the file it shows.
    saveAnswer = journal;
    viewer->command(QStringLiteral("Export"))->trigger();
    EXPECT_EQ(failures.size(), 1);
}

TEST_F(ViewerTest, DamagedLinesAndLanguageShowInTheViewersStatus) {
    openConnected(3);
    disconnect();
    const QByteArray good = readAll(journalFiles().value(0));
    const QByteArray damaged = good + "garbage,1,2\r\n";
    const QByteArray twice = good + "garbage\r\nnot a row,\r\n";
    const std::tuple<const char*, QByteArray, QString> cases[] = {
        {"one.csv", damaged, QString::fromUtf8(" — 1 damaged line skipped")},
        {"two.csv", twice, QString::fromUtf8(" — 2 damaged lines skipped")},
    };
    for (const auto& [name, bytes, note] : cases) {
        SCOPED_TRACE(name);
        const QString path = writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
        ViewerWindow* viewer = w->openRecording(path);
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->table().gridRowCount(), 4);
        EXPECT_EQ(viewer->statusText(),
                  QStringLiteral("Opened ") + QDir::toNativeSeparators(path) + note);
    }
    // Both windows follow a language switch at once.
    click("Lang1", "CHT");
    QCoreApplication::processEvents();  // the widgets hear of it
    ViewerWindow* viewer = w->viewers().back();
    EXPECT_TRUE(viewer->statusText().startsWith(QString::fromUtf8("已打开 ")));
    EXPECT_TRUE(viewer->statusText().endsWith(QString::fromUtf8("跳过了 2 行损坏的数据")));
    EXPECT_EQ(viewer->command(QStringLiteral("Save"))->text(), QString::fromUtf8("图形另存"));
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("kind")), QString::fromUtf8("充电"));
    click("Lang1", "ENG");
    QCoreApplication::processEvents();  // the widgets hear of it
    EXPECT_EQ(viewer->summaryView().value(QStringLiteral("kind")), QStringLiteral("charge"));
}

TEST_F(ViewerTest, LiveSummaryFollowsRowsAndStartsAgainWithANewRecording) {
    openConnected();
    click("View1", "Summary");
    SummaryWindow* window = w->summaryWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Summary"));
    recordRows(1, 3);
    EXPECT_EQ(window->view().value(QStringLiteral("rows")), QStringLiteral("3"));
    recordRows(4, 5);
    // What the report makes of the journal, the live window shows.
    RecordingFile file;
    expectSummaryAsReport(window->view(), readAndSummarize(file, w->journal().path()));

    pause();
    EXPECT_EQ(window->view().value(QStringLiteral("rows")), QStringLiteral("0"));
    recordRows(7, 8, discharging);
    EXPECT_EQ(window->view().value(QStringLiteral("rows")), QStringLiteral("2"));
    EXPECT_EQ(window->view().value(QStringLiteral("kind")), QStringLiteral("discharge"));

    click("Lang1", "CHT");
    QCoreApplication::processEvents();  // the widgets hear of it
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("摘要"));
    EXPECT_EQ(window->view().value(QStringLiteral("kind")), QString::fromUtf8("放电"));
}

TEST_F(ViewerTest, ANewRecordingSaysSoAndIsListedFirst) {
    openConnected(2);
    const QString previous = w->journal().path();
    pause();
    EXPECT_EQ(statusText(), QStringLiteral("A new recording began; the previous one is kept in ") +
                                QFileInfo(previous).fileName());
    recordRows(3, 5, discharging);
    const QString newest = w->journal().path();
    ASSERT_NE(newest, previous);

    QStringList atStart;
    std::map<QString, QStringList> sortedBy;  // "Rows+": the paths in order
    QString opened;
    onDialog = [&](QDialog& dialog) {
        auto& list = dynamic_cast<RecordingsDialog&>(dialog);
        QTableWidget& table = list.list();
        const auto order = [&] {
            QStringList paths;
            for (int row = 0; row < table.rowCount(); ++row) {
                paths << list.pathOfRow(row);
            }
            return paths;
        };
        atStart = order();
        EXPECT_EQ(table.item(0, 1)->text(), QStringLiteral("0:00:03"));  // duration
        EXPECT_EQ(table.item(0, 2)->text(), QStringLiteral("3"));        // rows
        EXPECT_EQ(table.item(0, 4)->text(), QStringLiteral("discharge"));
        EXPECT_EQ(table.item(1, 4)->text(), QStringLiteral("charge"));
        // Every column sorts, numbers as numbers, both ways.
        for (int column = 0; column < table.columnCount(); ++column) {
            for (const Qt::SortOrder way : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                table.horizontalHeader()->setSortIndicator(column, way);
                const QString header = table.horizontalHeaderItem(column)->text();
                const QString a = table.item(0, column)->text();
                const QString b = table.item(1, column)->text();
                sortedBy[header + (way == Qt::AscendingOrder ? u'+' : u'-')] = order();
                if (header == QLatin1String("Energy (Wh)") ||
                    header == QLatin1String("Capacity (mAh)") || header == QLatin1String("Rows")) {
                    const bool rising = a.toDouble() <= b.toDouble();
                    EXPECT_EQ(rising, way == Qt::AscendingOrder) << header.toStdString();
                }
            }
        }
        opened = list.pathOfRow(0);
        list.open(0);  // the last sort: size, largest first
    };
    const QStringList live = tableTexts();
    click("file1", "Records");
    EXPECT_EQ(atStart, (QStringList{newest, previous}));
    for (const auto& [by, paths] : sortedBy) {
        EXPECT_EQ(paths.size(), 2) << by.toStdString();
    }
    // The charge has 2 rows, the discharge 3 with more energy.
    EXPECT_EQ(sortedBy[QStringLiteral("Rows+")], (QStringList{previous, newest}));
    EXPECT_EQ(sortedBy[QStringLiteral("Rows-")], (QStringList{newest, previous}));
    EXPECT_EQ(sortedBy[QStringLiteral("Kind+")], (QStringList{previous, newest}));
    EXPECT_EQ(sortedBy[QStringLiteral("Started+")], (QStringList{previous, newest}));
    // The largest, the newest, opens as it was recorded; the live window stays as it was.
    ASSERT_EQ(w->viewers().size(), 1u);
    EXPECT_EQ(w->viewers()[0]->fileName(), opened);
    EXPECT_EQ(opened, newest);
    EXPECT_EQ(tableTexts(w->viewers()[0]->table()), live);
    EXPECT_EQ(tableTexts(), live);
}

TEST_F(ViewerTest, AReplayWritesNoJournal) {
    open();
    w->beginReplay(QStringLiteral("charge.cwcap"));
    BufferByteSource line;
    const auto play = [&](const emu::ChargerReading& r) {
        const int before = rows();
        line.feed(message(r));
        w->session().take(line);
        return rows() - before;
    };
    for (int k = 1; k <= 3; ++k) {
        advance(1000);
        EXPECT_EQ(play(charging(k)), 1);
    }
    advance(6000);
    play(charging(4));  // a pause: a new recording, and still no journal
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(statusText(), QStringLiteral("A new recording began"));
    advance(1000);
    EXPECT_EQ(play(charging(5)), 1);
    w->endReplay();
    EXPECT_TRUE(journalFiles().isEmpty()) << journalFiles().join(u' ').toStdString();

    // A real connection afterwards writes one as ever.
    connectTo(slave());
    recordRows(6, 6);
    EXPECT_EQ(journalFiles().size(), 1);
}

// On a 1600 x 1000 screen at 100 % the window is high enough for the chart,
// every readout frame and the summary at once, without scrolling.
TEST_F(ViewerTest, AtFullSizeEverythingShowsAtOnce) {
    openConnected(3);
    const QString journal = w->journal().path();
    disconnect();
    ViewerWindow* viewer = openViewer(journal);
    ASSERT_NE(viewer, nullptr);
    test::settle();
    auto* body = viewer->findChild<QScrollArea*>(QStringLiteral("viewerBody"));
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(viewer->screen()->availableGeometry().contains(viewer->geometry()));
    EXPECT_FALSE(viewer->sheets().isVisible());
    EXPECT_FALSE(body->verticalScrollBar()->isVisible());
    EXPECT_FALSE(body->horizontalScrollBar()->isVisible());
    const QRect view(body->viewport()->mapToGlobal(QPoint(0, 0)), body->viewport()->size());
    std::vector<QWidget*> parts{viewer->pane().frame(1), viewer->pane().frame(2),
                                viewer->pane().frame(3), viewer->pane().frame(4)};
    parts.push_back(&viewer->summaryView());
    parts.push_back(&viewer->alarmList());
    parts.push_back(&viewer->chart());
    for (QWidget* part : parts) {
        EXPECT_TRUE(part->isVisible()) << part->objectName().toStdString();
        EXPECT_TRUE(view.contains(QRect(part->mapToGlobal(QPoint(0, 0)), part->size())))
            << part->objectName().toStdString();
    }
    viewer->close();
}

#if defined(__GLIBC__)
// The process's resident memory, in kB.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// What a long recording took goes back to the system when its viewer
// closes: the window does not keep it for the rest of its life.
TEST_F(ViewerTest, AClosedViewersMemoryGoesBackToTheSystem) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory on purpose";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory on purpose";
#endif
#endif
    QByteArray text = testing::journalText(QStringLiteral("2026-12-01T10:00:00+00:00"));
    for (int s = 1; s <= 200'000; ++s) {
        const bool charging = s % 2 == 0;
        text += testing::journalRow({s, charging ? "+CHG+" : "-DSC-", 12.0 + s % 50 / 100.0,
                                     charging ? 2.0 : -2.0, s % 1000});
    }
    const QString path = testing::writeFile(dir.filePath(QStringLiteral("long.csv")), text);
    text = QByteArray();
    open();
    const long before = residentKb();
    QPointer<ViewerWindow> viewer = openViewer(path);
    ASSERT_FALSE(viewer.isNull());
    test::settle();
    const long open = residentKb();
    ASSERT_GT(open - before, 20'000) << "opening took too little to tell";
    viewer->close();
    test::settle();
    ASSERT_TRUE(viewer.isNull());
    test::settle();
    const long after = residentKb();
    EXPECT_LT(after - before, (open - before) / 4)
        << before << " kB, " << open << " kB open, " << after << " kB closed";
}
#endif

}  // namespace
}  // namespace cellwatch::windowtest
