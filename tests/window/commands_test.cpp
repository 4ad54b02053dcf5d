// The window's commands that take the recording out (Save, Copy, Print,
// Export), the cross-line cursor readout, the about box and the help page.
// Dialogs go through the window's hooks, so nothing blocks; clocks are set by
// hand, so the chart's points lie where the test puts them.
#include <qcustomplot.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QUrl>
#include <cmath>
#include <utility>

#include "app/about_box.h"
#include "app/help_page.h"
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

Decimal d(const char* text) {
    return *Decimal::parse(text);
}

// One sample as the decoders hand it over, and what the detail readouts show
// when the cross-line cursor reads it back from its table row.
struct SampleCase {
    StatusSample sample;
    // Label3 indexes 16, 23, 22, 21, 20, 19, 18, 17, 24, 0, 3.
    QStringList readBack;
};

StatusSample sample(const char* type, const char* state, int ext, int internal, const char* input,
                    const char* voltage, const char* current, int capacity, const char* power,
                    std::vector<const char*> cells) {
    StatusSample s;
    s.batteryType = type;
    s.state = state;
    s.extTemperature = Decimal::fromInt(ext);
    s.intTemperature = Decimal::fromInt(internal);
    s.inputVoltage = d(input);
    s.voltage = d(voltage);
    s.current = d(current);
    s.capacity = Decimal::fromInt(capacity);
    s.power = power;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        s.cells[i] = d(cells[i]);
    }
    return s;
}

const std::vector<SampleCase>& sampleCases() {
    static const std::vector<SampleCase> cases = {
        {sample("LiIo/Po/Fe", "+CHG+", 25, 30, "12.5", "16.8", "1.5", 120, "25.200",
                {"4.2", "4.2", "4.2", "4.2"}),
         {"12.5", "+CHG+", "LiIo/Po/Fe", "4S", "16.80", "1.50", "30", "25.20", "0:00:01", "120",
          "25"}},
        {sample("LiIo/Po/Fe", "+CHG+", 26, 31, "12.25", "16.85", "2", 250, "33.700",
                {"4.21", "4.22", "4.21", "4.21"}),
         {"12.25", "+CHG+", "LiIo/Po/Fe", "4S", "16.85", "2.00", "31", "33.70", "0:00:04", "250",
          "26"}},
        {sample("Ni-MH", "-DSC-", 27, 33, "12", "7.2", "-1.25", 1234, "9.000", {}),
         {"12", "-DSC-", "Ni-MH", "S", "7.20", "-1.25", "33", "9.00", "0:00:07", "1234", "27"}},
        {sample(" Pb  ", "+CHG+", 28, 34, "11.8", "6.3", "0.5", 2000, "3.150",
                {"2.1", "2.1", "2.1"}),
         {"11.8", "+CHG+", "Pb", "3S", "6.30", "0.50", "34", "3.15", "0:00:10", "2000", "28"}},
        {sample("LiIo/Po/Fe", "+CHG+", 29, 35, "12.6", "12.65", "1", 2100, "12.650",
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
            StatusSample s = sampleCases()[k].sample;
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

TEST_F(CommandsTest, CommandsTakeTheRecordingOutAndLeaveItAlone) {
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty chart and table" : "a recording");
        QTemporaryDir out;
        open();
        if (!empty) {
            feed(0, sampleCases().size());
        }
        const RecordingSnapshot before = snapshot();
        const QSize chartSize = w->chart().plot()->size();

        saveAnswer = out.filePath(QStringLiteral("chart.png"));
        click("View1", "Save");
        QImage saved;
        EXPECT_TRUE(saved.load(saveAnswer));
        EXPECT_EQ(saved.size(), chartSize);

        saveAnswer = out.filePath(QStringLiteral("chart.svg"));
        click("View1", "Save");
        EXPECT_TRUE(readAll(saveAnswer).contains("<svg"));

        QApplication::clipboard()->clear();
        click("View1", "Copy");
        EXPECT_EQ(QApplication::clipboard()->pixmap().size(), chartSize);

        printFile = out.filePath(QStringLiteral("printed.pdf"));
        printAnswer = true;
        printAsks.clear();
        click("file1", "Print");
        ASSERT_EQ(printAsks.size(), 1u);
        EXPECT_EQ(printAsks[0], QPageLayout::Landscape);  // the dialog opens on landscape
        EXPECT_TRUE(readAll(printFile).startsWith("%PDF"));

        // Export asks for the name; exportTableTo with a name does not ask.
        saveAnswer = out.filePath(QStringLiteral("table.csv"));
        saveAsks.clear();
        click("file1", "Export");
        const QString given = out.filePath(QStringLiteral("given.csv"));
        w->exportTableTo(given);
        EXPECT_EQ(saveAsks.size(), 1u);
        for (const QString& csv : {saveAnswer, given}) {
            const QByteArray bytes = readAll(csv);
            EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFTime,Type,")) << csv.toStdString();
            EXPECT_EQ(bytes.count("\r\n"), w->table().gridRowCount()) << csv.toStdString();
        }

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

// --- the about box ------------------------------------------------------------------------

TEST_F(CommandsTest, AboutBoxShowsTheTextOfTheInterfaceLanguage) {
    const QStringList chinese = aboutLines(QStringLiteral("CHT"));
    const QStringList english = aboutLines(QStringLiteral("ENG"));
    ASSERT_NE(chinese, english);
    EXPECT_EQ(aboutLines(QStringLiteral("cht")), english);  // only "CHT" itself is Chinese

    open(std::nullopt);
    int opened = 0;
    QString caption;
    QSize pictureSize;
    QStringList lines;
    onDialog = [&](QDialog& dialog) {
        ++opened;
        caption = dialog.windowTitle();
        auto* image = dialog.findChild<QLabel*>(QStringLiteral("Image1"));
        ASSERT_NE(image, nullptr);
        pictureSize = image->pixmap().size();
        auto* about = dynamic_cast<AboutBox*>(&dialog);
        ASSERT_NE(about, nullptr);
        lines = about->text().split(u'\n');  // the box shows each line on its own
    };
    click("Help1", "About");  // no language chosen yet: Chinese
    EXPECT_EQ(joined(lines), joined(chinese));
    click("Lang1", "ENG");
    click("Help1", "About");
    EXPECT_EQ(joined(lines), joined(english));
    EXPECT_EQ(caption, QStringLiteral("About"));
    EXPECT_EQ(pictureSize, QSize(254, 145));
    EXPECT_EQ(opened, 2);
}

TEST_F(CommandsTest, AboutBoxClosesOnAnyKeyAndOnAClick) {
    open();
    const struct {
        const char* target;  // "" for the box itself
        QEvent::Type event;
        int key;
    } cases[] = {
        {"", QEvent::KeyPress, Qt::Key_A},          {"", QEvent::KeyPress, Qt::Key_Escape},
        {"Text1", QEvent::KeyPress, Qt::Key_Space}, {"", QEvent::MouseButtonPress, 0},
        {"Image1", QEvent::MouseButtonPress, 0},    {"Text1", QEvent::MouseButtonPress, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "target '" << c.target << "' event " << c.event);
        bool closed = false;
        onDialog = [&](QDialog& dialog) {
            dialog.show();
            QWidget* target = &dialog;
            if (*c.target) {
                target = dialog.findChild<QWidget*>(QString::fromLatin1(c.target));
                ASSERT_NE(target, nullptr);
                if (auto* text = qobject_cast<QPlainTextEdit*>(target)) {
                    target = c.event == QEvent::KeyPress ? text : text->viewport();
                }
            }
            if (c.event == QEvent::KeyPress) {
                QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
                QApplication::sendEvent(target, &key);
            } else {
                const QPointF at(target->width() / 2.0, target->height() / 2.0);
                QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
            }
            closed = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
        };
        click("Help1", "About");
        EXPECT_TRUE(closed);
    }
}

// --- the help page --------------------------------------------------------------------------

TEST_F(CommandsTest, HelpPageIsAskedForOnceAndShownAgainOnALanguageChange) {
    for (bool isOnline : {false, true}) {
        SCOPED_TRACE(isOnline ? "online" : "offline");
        online = isOnline;
        onlineAsks = 0;
        open(std::nullopt);
        const QString address = w->helpPageAddress();
        if (isOnline) {
            EXPECT_EQ(address, QString::fromLatin1(kOnlineHelpAddress));
        } else {
            EXPECT_TRUE(address.startsWith(QLatin1String("file:///"))) << address.toStdString();
            EXPECT_EQ(QUrl(address).toLocalFile(),
                      QDir(QCoreApplication::applicationDirPath()).filePath("ad.htm"));
        }
        EXPECT_FALSE(w->helpPane().toPlainText().isEmpty());

        w->helpPane().clear();
        click("Lang1", "ENG");
        EXPECT_FALSE(w->helpPane().toPlainText().isEmpty()) << "not shown again";
        click("Lang1", "CHT");
        EXPECT_EQ(w->helpPageAddress(), address);
        EXPECT_EQ(onlineAsks, 1);
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
