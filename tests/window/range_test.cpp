// The range cursors: on the chart of a viewer and of the live window, moved
// with the mouse and the keys, their panel's figures and the range export.
#include <qcustomplot.h>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "analysis/range_stats.h"
#include "app/language.h"
#include "app/range_panel.h"
#include "chart/range_cursors.h"
#include "readout/table_export.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

void sendMouse(QWidget* target, QEvent::Type type, double x, Qt::MouseButtons buttons) {
    const QPointF at(x, target->height() / 2.0);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class RangeTest : public WindowTest {
protected:
    // A recording of `count` rows a second apart, 10 mAh a row.
    QString writeRecording(int count) {
        QByteArray bytes = journalText({});
        for (int k = 0; k < count; ++k) {
            bytes += journalRow({k, "+CHG+", 11 + (k % 30) / 100.0, 1.5 + (k % 7) / 10.0, 10L * k,
                                 3.8 + (k % 4) / 100.0});
        }
        return writeFile(dir.filePath(QStringLiteral("recording.csv")), bytes);
    }

    ViewerWindow* openViewer(int rows) {
        open();
        ViewerWindow* viewer = WindowTest::openViewer(writeRecording(rows));
        EXPECT_TRUE(failures.isEmpty()) << failureText();
        if (viewer != nullptr) {
            viewer->resize(1200, 900);
            test::settle();
        }
        return viewer;
    }

    static std::optional<RangeStatistics> expected(ChartView& chart, DataTableModel& table,
                                                   const RangeCursors& cursors) {
        TableRangeRows rows(table.store());
        return rangeStatistics(rows, *rangeRowAt(chart, cursors.x(RangeCursors::A)),
                               *rangeRowAt(chart, cursors.x(RangeCursors::B)));
    }
};

TEST_F(RangeTest, ViewerCursorsFollowMouseAndKeys) {
    ViewerWindow* viewer = openViewer(600);
    ASSERT_NE(viewer, nullptr);
    RangeTool& range = viewer->range();
    RangeCursors& cursors = range.cursors();
    QCustomPlot* plot = viewer->chart().plot();
    EXPECT_FALSE(viewer->rangePanel().isVisible());
    EXPECT_EQ(range.reckonings(), 0U);

    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    ASSERT_TRUE(range.active());
    EXPECT_TRUE(viewer->rangePanel().isVisible());
    EXPECT_TRUE(viewer->command(QStringLiteral("ExportRange"))->isEnabled());
    // A third and two thirds into what the view shows of the rows.
    const QCPRange view = viewer->chart().axis(ChartAxis::Bottom)->range();
    const double lower = std::max(view.lower, viewer->chart().dataMin(ChartAxis::Bottom));
    const double upper = std::min(view.upper, viewer->chart().dataMax(ChartAxis::Bottom));
    EXPECT_NEAR(cursors.x(RangeCursors::A), lower + (upper - lower) / 3, 1e-12);
    EXPECT_NEAR(cursors.x(RangeCursors::B), lower + (upper - lower) * 2 / 3, 1e-12);
    ASSERT_TRUE(range.statistics());
    EXPECT_EQ(range.statistics()->rowA, *rangeRowAt(viewer->chart(), cursors.x(RangeCursors::A)));

    // A press on A's line drags A; the plot's own range drag is off meanwhile.
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    const double from = cursors.pixel(RangeCursors::A) + 3;
    sendMouse(plot, QEvent::MouseButtonPress, from, Qt::LeftButton);
    EXPECT_TRUE(cursors.dragging());
    EXPECT_FALSE(plot->interactions().testFlag(QCP::iRangeDrag));
    sendMouse(plot, QEvent::MouseMove, from - 40, Qt::LeftButton);
    sendMouse(plot, QEvent::MouseButtonRelease, from - 40, Qt::NoButton);
    EXPECT_FALSE(cursors.dragging());
    EXPECT_EQ(plot->interactions(), QCP::iRangeDrag | QCP::iRangeZoom);
    EXPECT_NEAR(cursors.x(RangeCursors::A), viewer->chart().xAtPixel(from - 40), 1e-12);

    // A press away from both lines is the plot's, and moves no cursor.
    const double a = cursors.x(RangeCursors::A);
    const double b = cursors.x(RangeCursors::B);
    const double between = (cursors.pixel(RangeCursors::A) + cursors.pixel(RangeCursors::B)) / 2;
    sendMouse(plot, QEvent::MouseButtonPress, between, Qt::LeftButton);
    EXPECT_FALSE(cursors.dragging());
    sendMouse(plot, QEvent::MouseButtonRelease, between, Qt::NoButton);
    EXPECT_EQ(cursors.x(RangeCursors::A), a);
    EXPECT_EQ(cursors.x(RangeCursors::B), b);

    // The keys: Right moves A to the next row, Tab picks B, Left moves B back a row.
    const std::size_t rowA = range.statistics()->rowA;
    const std::size_t rowB = range.statistics()->rowB;
    QTest::keyClick(plot, Qt::Key_Right);
    EXPECT_EQ(range.statistics()->rowA, rowA + 1);
    EXPECT_DOUBLE_EQ(cursors.x(RangeCursors::A), viewer->chart().pointX(0, rowA + 1));
    QTest::keyClick(plot, Qt::Key_Tab);
    EXPECT_EQ(cursors.chosen(), RangeCursors::B);
    QTest::keyClick(plot, Qt::Key_Left);
    EXPECT_EQ(range.statistics()->rowB, rowB - 1);
    EXPECT_EQ(range.statistics()->rowA, rowA + 1);

    // The panel shows what the rows between them come to.
    const auto want = expected(viewer->chart(), viewer->table(), cursors);
    ASSERT_TRUE(want);
    const RangePanel& panel = viewer->rangePanel();
    EXPECT_EQ(panel.headText(0, 1), QString::number(want->deltaMah, 'f', 0));
    EXPECT_EQ(panel.headText(0, 2), QString::number(want->energyWh, 'f', 3));
    EXPECT_EQ(panel.valueText(0, RangeQuantity::Voltage, RangeFigure::Max),
              QString::number(want->of(RangeQuantity::Voltage).max, 'f', 2));
    EXPECT_EQ(panel.valueText(0, RangeQuantity::Current, RangeFigure::AtB),
              QString::number(want->of(RangeQuantity::Current).atB, 'f', 2));
    EXPECT_EQ(want->deltaMah,
              10.0 * (static_cast<double>(rowB) - 1 - static_cast<double>(rowA) - 1));

    // Off: gone, and the keys work nothing more out.
    const std::size_t reckoned = range.reckonings();
    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    EXPECT_FALSE(viewer->rangePanel().isVisible());
    QTest::keyClick(plot, Qt::Key_Right);
    EXPECT_EQ(range.reckonings(), reckoned);
}

TEST_F(RangeTest, PanelGivesChargedAndDischargedAcrossPhases) {
    RangeStatistics s;
    s.deltaSeconds = 60;
    s.deltaMah = -985;
    s.energyWh = 2;
    s.chargedMah = 1000;
    s.chargedWh = 1.25;
    s.dischargedMah = 985;
    s.dischargedWh = 0.75;
    const struct {
        bool across;
        bool chinese;
        const char* line;
    } cases[] = {
        {false, false, "Δt 0:01:00   ΔmAh -985   Wh 2.000"},
        {true, false, "Δt 0:01:00   Charged 1000 mAh 1.250 Wh   Discharged 985 mAh 0.750 Wh"},
        {true, true, "Δt 0:01:00   充入 1000 mAh 1.250 Wh   放出 985 mAh 0.750 Wh"},
    };
    RangePanel panel;
    for (const auto& c : cases) {
        s.acrossPhases = c.across;
        installLanguage(c.chinese ? Language::Chinese : Language::English);
        panel.retranslate();
        panel.setColumns({{QString(), s}});
        EXPECT_EQ(panel.headLine(0), QString::fromUtf8(c.line));
        auto* figures = panel.findChild<QLabel*>(QStringLiteral("rangeFigures"));
        ASSERT_NE(figures, nullptr);
        EXPECT_EQ(figures->text().contains(QStringLiteral("-985")), !c.across);
    }
    installLanguage(Language::English);
}

TEST_F(RangeTest, ExportRangeWritesTheRowsBetweenTheCursors) {
    ViewerWindow* viewer = openViewer(30);
    ASSERT_NE(viewer, nullptr);
    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    RangeCursors& cursors = viewer->range().cursors();
    // B before A: the same span.
    cursors.setX(RangeCursors::A, 20 * kSecond + kSecond / 2);
    cursors.setX(RangeCursors::B, 5 * kSecond + kSecond / 2);
    saveAnswer = dir.filePath(QStringLiteral("range.csv"));
    viewer->command(QStringLiteral("ExportRange"))->trigger();
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    ASSERT_EQ(saveAsks.size(), 1U);
    EXPECT_TRUE(saveAsks[0].proposed.endsWith(QStringLiteral("recording-range.csv")));

    QByteArray want("\xEF\xBB\xBF");
    want += tableCsvLine(viewer->table().store(), 0).toUtf8();
    for (int row = 6; row <= 21; ++row) {  // data rows 5 to 20
        want += tableCsvLine(viewer->table().store(), row).toUtf8();
    }
    EXPECT_EQ(readAll(saveAnswer), want);
    EXPECT_EQ(viewer->statusText(), QStringLiteral("Exported the range's 16 rows to ") +
                                        QDir::toNativeSeparators(saveAnswer));

    // One row: A = B.
    cursors.setX(RangeCursors::B, 20 * kSecond + kSecond / 4);
    viewer->range().exportRange(saveAnswer);
    EXPECT_EQ(readAll(saveAnswer).count('\n'), 2);
}

TEST_F(RangeTest, LiveWindowFollowsRowsInsideTheSpanOnlyWhileOn) {
    openConnected();
    recordRows(1, 3);
    EXPECT_EQ(w->range().reckonings(), 0U);  // off: nothing is worked out
    EXPECT_FALSE(tool("View1", "ExportRange")->enabled());
    click("View1", "RangeCursors");
    ASSERT_TRUE(w->range().active());
    EXPECT_TRUE(tool("View1", "RangeCursors")->checked());
    EXPECT_TRUE(w->rangePanel().isVisible());
    // The panel takes its height from the plot inside the chart's area: it
    // hides none of the plot, and the chart keeps its place in the window.
    test::settle();
    const QRect plot = w->chart().plot()->geometry();
    const QRect panel = w->rangePanel().geometry();
    EXPECT_EQ(w->rangePanel().parentWidget(), &w->chart());
    EXPECT_GE(panel.top(), plot.bottom());
    EXPECT_LE(panel.bottom(), w->chart().rect().bottom());
    EXPECT_GT(panel.height(), 20);
    RangeCursors& cursors = w->range().cursors();
    // Placed over the rows, not over the empty rest of the time axis.
    const double lastX = w->chart().dataMax(ChartAxis::Bottom);
    EXPECT_LT(cursors.x(RangeCursors::A), cursors.x(RangeCursors::B));
    EXPECT_LT(cursors.x(RangeCursors::B), lastX);
    EXPECT_GT(cursors.x(RangeCursors::A), w->chart().dataMin(ChartAxis::Bottom));
    // Switched off and on again, they stay where they were put.
    cursors.setX(RangeCursors::A, lastX / 4);
    click("View1", "RangeCursors");
    click("View1", "RangeCursors");
    EXPECT_DOUBLE_EQ(cursors.x(RangeCursors::A), lastX / 4);
    // Both cursors right of the last row: it is theirs, so a new row counts.
    cursors.setX(RangeCursors::A, 0);
    cursors.setX(RangeCursors::B, 1);
    ASSERT_TRUE(w->range().statistics());
    const std::size_t rowsBefore = w->range().statistics()->rows;
    advance(1000);
    record(charging(4));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w->range().statistics() && w->range().statistics()->rows == rowsBefore + 1; },
        kWaitMs));

    click("Lang1", "CHT");  // the panel follows the language
    EXPECT_EQ(w->rangePanel().exportButton()->text(), QStringLiteral("导出区间…"));

    click("View1", "RangeCursors");
    EXPECT_FALSE(w->range().active());
    const std::size_t reckoned = w->range().reckonings();
    advance(1000);
    record(charging(5));
    test::settle();
    EXPECT_EQ(w->range().reckonings(), reckoned);
}

}  // namespace
}  // namespace cellwatch::windowtest
