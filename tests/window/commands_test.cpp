// The window's commands that take the recording out (Save, Copy, Print,
// Export) and what they say they did, their keys, and the cross-line cursor
// readout.
// Dialogs go through the window's hooks, so nothing blocks; clocks are set by
// hand, so the chart's points lie where the test puts them.
#include <qcustomplot.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <cmath>
#include <utility>

#include "app/tab_control.h"
#include "readout/cell_panel_widget.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

constexpr qint64 kSampleGapMs = 3000;  // wall clock and elapsed time between samples

// Texts compared as one line, so a failure reads plainly.
std::string joined(const QStringList& texts) {
    return texts.join(QStringLiteral(" | ")).toStdString();
}

// One reading as the driver hands it over, and what the detail readouts show
// when the cross-line cursor reads it back from its table row.
struct SampleCase {
    Reading reading;
    // Label3 indexes 16, 23, 22, 21, 20, 19, 18, 17, 24, 0, 3.
    QStringList readBack;
};

const std::vector<SampleCase>& sampleCases() {
    static const std::vector<SampleCase> cases = {
        {madeReading("LiIo/Po/Fe", "+CHG+", 25, 30, "12.5", "16.8", "1.5", 120,
                     {"4.2", "4.2", "4.2", "4.2"}),
         {"12.5", "+CHG+", "LiIo/Po/Fe", "4S", "16.80", "1.50", "30", "25.20", "0:00:01", "120",
          "25"}},
        {madeReading("LiIo/Po/Fe", "+CHG+", 26, 31, "12.25", "16.85", "2", 250,
                     {"4.21", "4.22", "4.21", "4.21"}),
         {"12.25", "+CHG+", "LiIo/Po/Fe", "4S", "16.85", "2.00", "31", "33.70", "0:00:04", "250",
          "26"}},
        {madeReading("Ni-MH", "-DSC-", 27, 33, "12", "7.2", "-1.25", 1234, {}),
         {"12", "-DSC-", "Ni-MH", "S", "7.20", "-1.25", "33", "9.00", "0:00:07", "1234", "27"}},
        {madeReading(" Pb  ", "+CHG+", 28, 34, "11.8", "6.3", "0.5", 2000, {"2.1", "2.1", "2.1"}),
         {"11.8", "+CHG+", "Pb", "3S", "6.30", "0.50", "34", "3.15", "0:00:10", "2000", "28"}},
        {madeReading("LiIo/Po/Fe", "+CHG+", 29, 35, "12.6", "12.65", "1", 2100,
                     {"4.22", "4.22", "4.21"}),
         {"12.6", "+CHG+", "LiIo/Po/Fe", "3S", "12.65", "1.00", "35", "12.65", "0:00:13", "2100",
          "29"}},
    };
    return cases;
}

constexpr int kDetailReadouts[] = {
    readouts::kInputVoltage, readouts::kState,    readouts::kBatteryType, readouts::kCellCount,
    readouts::kVoltage,      readouts::kCurrent,  readouts::kInternal,    readouts::kPower,
    readouts::kElapsed,      readouts::kCapacity, readouts::kExternal};

// What a command must not touch: every table cell, every point, the axes and
// the title.
struct RecordingSnapshot {
    QStringList cells;
    std::vector<double> points;
    std::vector<double> ranges;
    QStringList title;
    bool operator==(const RecordingSnapshot&) const = default;
};

class CommandsTest : public WindowTest {
protected:
    RecordingSnapshot snapshot() const {
        RecordingSnapshot s;
        s.cells = tableTexts();
        for (int series = 0; series < kSeriesCount; ++series) {
            s.points.push_back(static_cast<double>(w->chart().pointCount(series)));
            for (std::size_t k = 0; k < w->chart().pointCount(series); ++k) {
                s.points.push_back(w->chart().pointX(series, k));
            }
        }
        for (ChartAxis axis : {ChartAxis::Bottom, ChartAxis::Left, ChartAxis::Right,
                               ChartAxis::Capacity, ChartAxis::Temperature}) {
            s.ranges.push_back(w->chart().axisRange(axis).min);
            s.ranges.push_back(w->chart().axisRange(axis).max);
        }
        s.title = w->chart().titleLines();
        return s;
    }

    // Starts a recording, as connecting does, and feeds samples `from` to
    // `to` - 1 of sampleCases(), 3 s apart; remembers what the cell panel
    // showed for each.
    void feed(std::size_t from, std::size_t to) {
        if (from == 0) {
            w->recording().begin();
        }
        for (std::size_t k = from; k < to; ++k) {
            if (k > 0) {
                advance(kSampleGapMs);
            }
            Reading s = sampleCases()[k].reading;
            s.elapsedMs = static_cast<std::uint32_t>(1000 + kSampleGapMs * static_cast<qint64>(k));
            w->recording().AcceptSample(s);
            if (!w->cursorHold()) {
                shownPanel.resize(k + 1);
                shownPanel[k] = cellPanelTexts();
            }
        }
    }

    QStringList cellPanelTexts() const {
        QStringList texts;
        for (int cell = 1; cell <= kCellCount; ++cell) {
            texts << w->cellPanelWidget().cellLabel(cell)->text();
        }
        for (int i = 1; i <= CellPanelWidget::kStatisticCount; ++i) {
            texts << w->cellPanelWidget().statisticLabel(i)->text();
        }
        return texts;
    }

    QStringList detailReadouts() const {
        QStringList texts;
        for (int index : kDetailReadouts) {
            texts << w->readout(index)->text();
        }
        return texts;
    }

    // Marks every detail readout and the cell panel, so that a readout that
    // writes nothing shows.
    void markReadouts() const {
        for (int index : kDetailReadouts) {
            w->setReadout(index, QStringLiteral("?"));
        }
        for (int cell = 1; cell <= kCellCount; ++cell) {
            w->cellPanelWidget().setCellText(cell, QStringLiteral("?"));
        }
    }
    static QStringList marked() {
        return QStringList(static_cast<qsizetype>(std::size(kDetailReadouts)), QStringLiteral("?"));
    }

    // Widens the time axis so the points lie well apart, then finds the
    // chart pixel of an X value.
    void spreadPoints() const {
        w->chart().setAxisRange(ChartAxis::Bottom, -6 * kSecond, 15 * kSecond);
        w->chart().plot()->replot();
    }
    double pixelOf(double days) const {
        return w->chart().axis(ChartAxis::Bottom)->coordToPixel(days);
    }
    double pointPixel(std::size_t k) const { return pixelOf(w->chart().pointX(kSeriesVoltage, k)); }
    // The first whole pixel at or right of point k: the cursor line on it.
    int onPoint(std::size_t k) const { return static_cast<int>(std::ceil(pointPixel(k) + 0.01)); }
    int betweenPoints(std::size_t k) const {
        return static_cast<int>(std::lround((pointPixel(k) + pointPixel(k + 1)) / 2));
    }

    void moveCursor(int x) const { w->OnChartMouseMove(Qt::NoModifier, x, 100); }
    // Mouse movements as the window system delivers them: to the widget
    // under the pointer, and on to its parents only through widgets that
    // track the mouse.
    void moveOver(QWidget* widget, QPoint at) const {
        QTest::mouseMove(w->windowHandle(), widget->mapTo(w.get(), at));
    }

    void setCrossLine(bool on) const {
        Tool* cross = tool("Tools", "CrossLine");
        if (cross->checked() != on) {
            w->OnToolClick(cross);
        }
        ASSERT_EQ(cross->checked(), on);
    }

    std::vector<QStringList> shownPanel;  // the cell panel after each fed sample
};

// --- the cross-line cursor readout ------------------------------------------------------

TEST_F(CommandsTest, CursorShowsTheRowOfThePointAtOrLeftOfIt) {
    open();
    const std::size_t n = sampleCases().size();
    feed(0, n);
    ASSERT_EQ(points(), n);
    ASSERT_EQ(rows(), static_cast<int>(n));
    spreadPoints();
    ASSERT_GT(pointPixel(1) - pointPixel(0), 10) << "points too close to aim at";
    setCrossLine(true);

    // The last point is found only with the cursor exactly on it, which a
    // whole pixel seldom is; the search's own tests cover that case.
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const std::pair<const char*, int> positions[] = {{"on point", onPoint(k)},
                                                         {"between points", betweenPoints(k)}};
        for (const auto& [where, x] : positions) {
            SCOPED_TRACE(::testing::Message() << where << " " << k << " (pixel " << x << ")");
            markReadouts();
            w->setCursorHold(false);
            moveCursor(x);
            EXPECT_EQ(joined(detailReadouts()), joined(sampleCases()[k].readBack));
            EXPECT_EQ(joined(cellPanelTexts()), joined(shownPanel[k]));
            EXPECT_TRUE(w->cursorHold());
        }
    }
}

TEST_F(CommandsTest, CursorOutsideThePointsChangesNothing) {
    for (const char* where : {"left of the first point", "right of the last point",
                              "empty chart at start-up", "empty chart after a reset"}) {
        for (bool hold : {false, true}) {
            SCOPED_TRACE(::testing::Message() << where << (hold ? ", held" : ", not held"));
            open();
            const std::string place = where;
            if (place.find("empty chart at") == std::string::npos) {
                feed(0, 3);
            }
            if (place.find("after a reset") != std::string::npos) {
                w->SetUpTable();
                w->ResetChart();
            }
            spreadPoints();
            setCrossLine(true);
            int x = static_cast<int>(std::lround(pixelOf(5 * kSecond)));
            if (place.find("left") != std::string::npos) {
                x = static_cast<int>(std::floor(pointPixel(0))) - 3;
            } else if (place.find("right") != std::string::npos) {
                x = static_cast<int>(std::ceil(pointPixel(2))) + 3;
            }
            markReadouts();
            w->setCursorHold(hold);
            moveCursor(x);
            EXPECT_EQ(joined(detailReadouts()), joined(marked()));
            EXPECT_EQ(w->cellPanelWidget().cellLabel(1)->text(), QStringLiteral("?"));
            EXPECT_EQ(w->cursorHold(), hold);
        }
    }
}

// The recording keeps held readouts while new samples come (its own tests
// cover which readouts those are); the window releases the hold.
TEST_F(CommandsTest, HeldReadoutsStayUntilTheCrossLineIsOffAndTheMouseMoves) {
    open();
    feed(0, 2);
    spreadPoints();
    setCrossLine(true);
    moveCursor(onPoint(0));
    ASSERT_TRUE(w->cursorHold());
    const QStringList held = sampleCases()[0].readBack;
    ASSERT_EQ(joined(detailReadouts()), joined(held));
    feed(2, 3);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(joined(detailReadouts()), joined(held));
    // The legend values, the large readouts and the chart follow the sample.
    EXPECT_EQ(points(), 3u);
    EXPECT_EQ(w->readout(readouts::kLegendVoltage)->text(), QStringLiteral("7.20"));
    EXPECT_EQ(w->largeReadout(1)->text(), QStringLiteral("7.20V"));
    EXPECT_EQ(joined(cellPanelTexts()), joined(shownPanel[0]));

    // Switching the cross line off does not release the hold by itself; the
    // next mouse movement over the chart does, and writes nothing.
    setCrossLine(false);
    EXPECT_TRUE(w->cursorHold());
    moveCursor(onPoint(1));
    EXPECT_FALSE(w->cursorHold());
    EXPECT_EQ(joined(detailReadouts()), joined(held));

    feed(3, 4);
    EXPECT_EQ(w->readout(readouts::kElapsed)->text(), QStringLiteral("0:00:10"));
    EXPECT_EQ(w->readout(readouts::kVoltage)->text(), QStringLiteral("6.30"));
    EXPECT_EQ(joined(cellPanelTexts()), joined(shownPanel[3]));
}

// The tab row and the cell panel cover their parents almost wholly, so the
// movement must be seen where it lands, not only by the frames.
TEST_F(CommandsTest, PointerOverTheChartHoldsAndAnywhereElseReleases) {
    open();
    feed(0, 3);
    spreadPoints();
    setCrossLine(true);
    QWidget* plot = w->chart().plot();
    QWidget* tabs = &w->tabs();
    const std::pair<QWidget*, QPoint> releasing[] = {
        {w->frame(1), QPoint(3, 3)},
        {w->frame(2), QPoint(3, 3)},
        {w->frame(4), QPoint(3, 3)},
        {tabs, QPoint(3, tabs->height() / 2)},  // left of the chart
        {tabs, QPoint(10, w->tabs().tabRowHeight() / 2)},
        {w->frame(3), w->frame(3)->rect().center()},
    };
    for (const auto& [other, at] : releasing) {
        SCOPED_TRACE(::testing::Message()
                     << other->objectName().toStdString() << " at " << at.x() << "," << at.y());
        markReadouts();
        moveOver(plot, QPoint(betweenPoints(1), plot->height() / 2));
        EXPECT_TRUE(w->cursorHold());
        EXPECT_EQ(joined(detailReadouts()), joined(sampleCases()[1].readBack));
        moveOver(other, at);
        EXPECT_FALSE(w->cursorHold());
    }
}

// --- Save, Copy, Print, Export ------------------------------------------------------------

// Each command says in the status band what it did, in the window's
// language; an empty chart and table go out as well.
TEST_F(CommandsTest, CommandsTakeTheRecordingOutSayWhatTheyDidAndLeaveItAlone) {
    const struct {
        const char* language;
        int rows;
        const char* exported;  // %1: the file
    } cases[] = {
        {"ENG", 1204, "Exported 1,204 rows to %1"},
        {"ENG", 1, "Exported 1 row to %1"},
        {"ENG", 0, "Exported 0 rows to %1"},
        {"CHT", 1204, "已导出 1,204 行到 %1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.language << ", " << c.rows << " rows");
        const bool chinese = c.language == std::string("CHT");
        QTemporaryDir out;
        open(QString::fromLatin1(c.language));
        if (c.rows > 0) {
            w->recording().begin();
        }
        for (int k = 1; k <= c.rows; ++k) {
            advance(1000);
            Reading reading = chargeReading();
            reading.elapsedMs = static_cast<std::uint32_t>(1000 * k);
            w->recording().AcceptSample(reading);
        }
        ASSERT_EQ(rows(), c.rows);
        const RecordingSnapshot before = snapshot();
        const QSize chartSize = w->chart().plot()->size();
        QStringList said;

        const QString picture = out.filePath(QStringLiteral("chart.png"));
        saveAnswer = picture;
        click("View1", "Save");
        said << statusText();
        QImage saved;
        EXPECT_TRUE(saved.load(saveAnswer));
        EXPECT_EQ(saved.size(), chartSize);

        QApplication::clipboard()->clear();
        click("View1", "Copy");
        said << statusText();
        EXPECT_EQ(QApplication::clipboard()->pixmap().size(), chartSize);

        printFile = out.filePath(QStringLiteral("printed.pdf"));
        printAnswer = true;
        printAsks.clear();
        click("file1", "Print");
        said << statusText();
        ASSERT_EQ(printAsks.size(), 1u);
        EXPECT_EQ(printAsks[0], QPageLayout::Landscape);  // the dialog opens on landscape
        EXPECT_TRUE(readAll(printFile).startsWith("%PDF"));

        // Export asks for the name; exportTableTo with a name does not ask.
        saveAnswer = out.filePath(QStringLiteral("table.csv"));
        saveAsks.clear();
        click("file1", "Export");
        said << statusText();
        const QString given = out.filePath(QStringLiteral("given.csv"));
        w->exportTableTo(given);
        EXPECT_EQ(saveAsks.size(), 1u);
        for (const QString& csv : {saveAnswer, given}) {
            const QByteArray bytes = readAll(csv);
            EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFTime,Type,")) << csv.toStdString();
            EXPECT_EQ(bytes.count("\r\n"), w->table().gridRowCount()) << csv.toStdString();
        }

        EXPECT_EQ(
            said,
            (QStringList{
                (chinese ? QString::fromUtf8("已将图表保存到 %1")
                         : QStringLiteral("Saved the chart to %1"))
                    .arg(QDir::toNativeSeparators(picture)),
                chinese ? QString::fromUtf8("已复制图表") : QStringLiteral("Copied the chart"),
                chinese ? QString::fromUtf8("已打印图表") : QStringLiteral("Printed the chart"),
                QString::fromUtf8(c.exported).arg(QDir::toNativeSeparators(saveAnswer))}));
        EXPECT_TRUE(failures.isEmpty()) << failureText();
        EXPECT_TRUE(snapshot() == before);
    }
}

// Save and Export propose a time-stamped name. A cancelled dialog does
// nothing and says nothing; a command that fails shows the failure's own
// text. Neither changes the recording. (The export's own failures are among
// the faults.)
TEST_F(CommandsTest, CancelledOrFailingCommandsChangeNothing) {
    QTemporaryDir out;
    open();
    feed(0, 2);
    const RecordingSnapshot before = snapshot();
    const int messages = tool("state", "state_text")->itemCount();
    const struct {
        const char* tool;
        const char* proposedName;  // the wall clock stands at 2024-03-09 14:05:07 + 3 s
        const char* firstFilter;
    } asks[] = {
        {"Save", "cellwatch-20240309-140510.png", "*.png"},
        {"Export", "cellwatch-20240309-140510.csv", "*.csv"},
    };
    for (const auto& c : asks) {
        SCOPED_TRACE(c.tool);
        saveAsks.clear();
        saveAnswer.clear();
        click(c.tool == std::string("Save") ? "View1" : "file1", c.tool);
        ASSERT_EQ(saveAsks.size(), 1u);
        EXPECT_EQ(saveAsks[0].title, QString::fromLatin1(c.tool));
        EXPECT_EQ(QFileInfo(saveAsks[0].proposed).fileName(), QString::fromLatin1(c.proposedName));
        EXPECT_TRUE(QFileInfo(saveAsks[0].proposed).isAbsolute());
        ASSERT_FALSE(saveAsks[0].filters.isEmpty());
        EXPECT_TRUE(saveAsks[0].filters[0].contains(QString::fromLatin1(c.firstFilter)));
    }

    const QString missing = out.filePath(QStringLiteral("no such folder"));
    const struct {
        const char* band;
        const char* tool;
        const char* file;     // "" for a cancelled dialog
        const char* textHas;  // "" for the file's own path
    } cases[] = {
        {"file1", "Print", "", ""},
        {"View1", "Save", "chart.png", ""},
        {"View1", "Save", "chart.pdf", ""},
        {"View1", "Save", "chart.svg", ""},
        {"file1", "Print", "printed.pdf", "printer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.tool << " " << c.file);
        failures.clear();
        printAsks.clear();
        const QString path = *c.file ? missing + u'/' + QString::fromLatin1(c.file) : QString();
        saveAnswer = path;
        printFile = path.isEmpty() ? out.filePath(QStringLiteral("cancelled.pdf")) : path;
        printAnswer = !path.isEmpty();
        click(c.band, c.tool);
        if (path.isEmpty()) {
            EXPECT_EQ(printAsks.size(), 1u);
            EXPECT_TRUE(failures.isEmpty()) << failureText();
            EXPECT_EQ(tool("state", "state_text")->itemCount(), messages);
        } else {
            ASSERT_EQ(failures.size(), 1);
            const QString wanted = *c.textHas ? QString::fromLatin1(c.textHas) : path;
            EXPECT_TRUE(failures[0].contains(wanted)) << failures[0].toStdString();
        }
        EXPECT_TRUE(snapshot() == before);
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{});
}

// The menus' keys work wherever the focus is in the window.
TEST_F(CommandsTest, MenuShortcutsWorkWhereverTheFocusIs) {
    open();
    // Pressed anywhere in the window, the port box's text field included,
    // the keys run their commands, also while the menus are closed.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QWidget* portBox = tool("Tools", "com")->comboBox();
    saveAnswer.clear();
    printAnswer = false;
    for (QWidget* focus : {static_cast<QWidget*>(w.get()), portBox}) {
        SCOPED_TRACE(focus == portBox ? "in the port box" : "in the window");
        focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == focus; }))
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                            : "no focus");
        saveAsks.clear();
        printAsks.clear();
        QTest::keyClick(focus, Qt::Key_E, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(saveAsks.size(), 2u);
        EXPECT_EQ(saveAsks[0].title, QStringLiteral("Export"));
        EXPECT_EQ(saveAsks[1].title, QStringLiteral("Save"));
        EXPECT_EQ(printAsks.size(), 1u);
        QApplication::clipboard()->clear();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->pixmap().size(), w->chart().plot()->size());
        const int scans = ports.asked;
        QTest::keyClick(focus, Qt::Key_F5);
        EXPECT_EQ(ports.asked, scans + 1);
    }
    EXPECT_EQ(tool("Tools", "com")->text(), QStringLiteral("COM 3"));  // typed nothing
    QTest::keyClick(portBox, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
}  // namespace cellwatch::windowtest
