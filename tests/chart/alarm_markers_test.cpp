// Alarm markers' labels: laid out over a few rows so that none overlaps
// another, crowded ones told by one label, laid out again when the time
// axis or the chart's size changes; compared recordings' markers beside
// the recording's own.
#include "chart/alarm_markers.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QImage>
#include <algorithm>
#include <set>
#include <vector>

#include "chart/chart_axes.h"
#include "chart/chart_overlays.h"
#include "chart/marker_layout.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

// --- the layout alone -------------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    std::vector<MarkerSpot> spots;
    int rows;
    // Per label, left to right: its row and text.
    std::vector<std::pair<int, QString>> expected;
    std::vector<double> takenUpTo = {};
};

// Every text is 10 pixels a character wide.
double tenPerCharacter(const QString& text) {
    return 10.0 * static_cast<double>(text.size());
}

class MarkerLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MarkerLayoutTest, EveryMarkerIsToldOnceAndNoLabelsOverlap) {
    const LayoutCase& c = GetParam();
    MarkerLayoutRules rules;
    rules.rows = c.rows;
    rules.takenUpTo = c.takenUpTo;
    const std::vector<MarkerLabel> labels = layOutMarkerLabels(c.spots, tenPerCharacter, rules);

    ASSERT_EQ(labels.size(), c.expected.size());
    std::multiset<std::size_t> told;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i].row, c.expected[i].first) << i;
        EXPECT_EQ(labels[i].text, c.expected[i].second) << i;
        EXPECT_LT(labels[i].row, c.rows);
        // It stands beside the first marker it tells (or where its row
        // frees), as wide as its text.
        const double beside = c.spots[labels[i].members.front()].x + rules.offset;
        if (i == 0 && labels[i].left != beside) {
            ASSERT_LT(static_cast<std::size_t>(labels[i].row), c.takenUpTo.size());
            EXPECT_DOUBLE_EQ(labels[i].left,
                             c.takenUpTo[static_cast<std::size_t>(labels[i].row)] + rules.gap);
        } else {
            EXPECT_DOUBLE_EQ(labels[i].left, beside);
        }
        EXPECT_DOUBLE_EQ(labels[i].right - labels[i].left, tenPerCharacter(labels[i].text));
        if (static_cast<std::size_t>(labels[i].row) < c.takenUpTo.size()) {
            EXPECT_GE(labels[i].left,
                      c.takenUpTo[static_cast<std::size_t>(labels[i].row)] + rules.gap);
        }
        told.insert(labels[i].members.begin(), labels[i].members.end());
        for (std::size_t j = 0; j < i; ++j) {
            if (labels[j].row == labels[i].row) {
                EXPECT_LE(labels[j].right + rules.gap, labels[i].left) << j << " and " << i;
            }
        }
    }
    EXPECT_EQ(told.size(), c.spots.size());
    for (std::size_t s = 0; s < c.spots.size(); ++s) {
        EXPECT_EQ(told.count(s), 1U) << "spot " << s;
    }
}

const QString kSpread = QStringLiteral("spread");  // 60 px wide
const QString kLow = QStringLiteral("low");        // 30 px wide

INSTANTIATE_TEST_SUITE_P(
    Spots, MarkerLayoutTest,
    ::testing::Values(
        LayoutCase{"FarApartAllInTheTopRow",
                   {{0, kSpread}, {100, kSpread}, {200, kLow}},
                   3,
                   {{0, kSpread}, {0, kSpread}, {0, kLow}}},
        LayoutCase{"CloseOnesStepDownARow",
                   {{0, kSpread}, {20, kSpread}, {40, kSpread}, {70, kSpread}},
                   3,
                   {{0, kSpread}, {1, kSpread}, {2, kSpread}, {0, kSpread}}},
        LayoutCase{"GivenInAnyOrderLaidOutLeftToRight",
                   {{70, kSpread}, {0, kSpread}, {40, kSpread}, {20, kSpread}},
                   3,
                   {{0, kSpread}, {1, kSpread}, {2, kSpread}, {0, kSpread}}},
        LayoutCase{
            "TooCrowdedForTheRowsOneLabelTellsTheRest",
            {{0, kSpread}, {1, kSpread}, {2, kSpread}, {3, kSpread}, {4, kSpread}, {5, kSpread}},
            3,
            {{0, kSpread}, {1, kSpread}, {2, QStringLiteral("spread ×4")}}},
        LayoutCase{"AClusterOfKindsNamesTheFirstAndCountsTheOthers",
                   {{0, kLow}, {1, kSpread}, {2, kSpread}},
                   1,
                   {{0, QStringLiteral("low +2")}}},
        LayoutCase{"ARowFreesAgainAfterACluster",
                   {{0, kLow}, {1, kLow}, {300, kLow}},
                   1,
                   {{0, QStringLiteral("low ×2")}, {0, kLow}}},
        LayoutCase{"RowsTakenByALegendAreUsedAfterIt",
                   {{10, kLow}, {20, kLow}, {130, kLow}},
                   2,
                   {{1, QStringLiteral("low ×2")}, {0, kLow}},
                   {100}},
        LayoutCase{"EveryRowTakenTheFirstGoesWhereARowFreesFirst",
                   {{10, kLow}},
                   2,
                   {{1, kLow}},
                   {100, 50}},
        LayoutCase{"UnderALegendTheFirstWaitsRightOfItAndTellsTheOthers",
                   {{10, kLow}, {20, kLow}, {70, kLow}, {200, kLow}},
                   1,
                   {{0, QStringLiteral("low ×3")}, {0, kLow}},
                   {100}},
        LayoutCase{"None", {}, 3, {}}),
    [](const ::testing::TestParamInfo<LayoutCase>& param) { return param.param.name; });

// --- on the chart -----------------------------------------------------------------------------

// A label's rectangle as the plot draws it.
QRectF labelBox(const QCPItemText* label) {
    return {label->topLeft->pixelPosition(), label->bottomRight->pixelPosition()};
}

// The alarms of a two-hour recording, every `stepS` seconds, of two kinds.
std::vector<AlarmMark> denseAlarms(int stepS, int hours = 2) {
    std::vector<AlarmMark> alarms;
    for (int s = stepS; s < hours * 3600; s += stepS) {
        alarms.push_back(
            {static_cast<double>(s),
             alarms.size() % 3 == 0 ? QStringLiteral("cell-low") : QStringLiteral("cell-spread"),
             QStringLiteral("at %1 s").arg(s)});
    }
    return alarms;
}

class AlarmMarkersTest : public ::testing::Test {
protected:
    void SetUp() override {
        charttest::showChart(chart);
        chart.setAxisRange(ChartAxis::Bottom, 0, 7200 * kSecond);
    }
    void replot() { chart.plot()->replot(); }

    // No two shown labels intersect, and every alarm in view is told by
    // exactly one of them (its tooltip has a line for it). Returns how
    // many labels are shown.
    std::size_t expectLaidOut(std::size_t alarmsInView) {
        const std::vector<QCPItemText*> shown = markers.shownLabels();
        std::size_t told = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(shown[i]->visible());
            EXPECT_TRUE(chart.plot()->hasItem(shown[i]));
            const QRectF box = labelBox(shown[i]);
            EXPECT_GT(box.width(), 0);
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_FALSE(box.intersects(labelBox(shown[j])))
                    << shown[i]->text().toStdString() << " over " << shown[j]->text().toStdString();
            }
            told += static_cast<std::size_t>(markers.toolTipAt(box.center()).count(u'\n')) + 1;
        }
        EXPECT_EQ(told, alarmsInView);
        return shown.size();
    }

    ChartView chart;
    AlarmMarkers markers{chart};
};

TEST_F(AlarmMarkersTest, DenseAlarmsKeepEveryLineAndNoTwoLabelsIntersect) {
    struct Case {
        int stepS;
        double viewS;  // the time axis shows 0..viewS
        QSize size;
    };
    for (const Case& c :
         {Case{40, 7200, {900, 500}}, Case{30, 7200, {900, 500}}, Case{50, 7200, {1600, 500}},
          Case{40, 610, {900, 500}}, Case{40, 7200, {400, 300}}}) {
        SCOPED_TRACE(testing::Message()
                     << c.stepS << " s, 0.." << c.viewS << " s, " << c.size.width());
        const std::vector<AlarmMark> alarms = denseAlarms(c.stepS);
        markers.setAlarms(alarms);
        chart.resize(c.size);
        chart.setAxisRange(ChartAxis::Bottom, 0, c.viewS * kSecond);
        replot();
        QCPAxis* time = chart.axis(ChartAxis::Bottom);
        std::size_t inView = 0;
        for (std::size_t i = 0; i < alarms.size(); ++i) {
            QCPItemStraightLine* line = markers.line(i);
            ASSERT_NE(line, nullptr);
            EXPECT_TRUE(line->visible());
            EXPECT_NEAR(line->point1->pixelPosition().x(),
                        time->coordToPixel(alarms[i].seconds * kSecond), 0.5);
            inView += alarms[i].seconds < c.viewS ? 1 : 0;
        }
        const std::size_t labels = expectLaidOut(inView);
        EXPECT_GT(labels, 1U);
        if (c.viewS > 3600) {
            EXPECT_LT(labels, inView);  // crowded: some labels tell several
        }
    }
}

TEST_F(AlarmMarkersTest, ZoomingInGivesEachAlarmItsOwnLabelAgain) {
    markers.setAlarms(denseAlarms(40));
    replot();
    const std::size_t wide = markers.shownLabels().size();
    chart.setAxisRange(ChartAxis::Bottom, 0, 300 * kSecond);  // 7 alarms
    replot();
    EXPECT_EQ(expectLaidOut(7), 7U);
    EXPECT_GT(wide, 0U);
    for (QCPItemText* label : markers.shownLabels()) {
        EXPECT_TRUE(label->text() == QStringLiteral("cell-low") ||
                    label->text() == QStringLiteral("cell-spread"));
    }
    // Out again: clusters come back.
    chart.setAxisRange(ChartAxis::Bottom, 0, 7200 * kSecond);
    replot();
    EXPECT_EQ(markers.shownLabels().size(), wide);
}

TEST_F(AlarmMarkersTest, APictureAtAnotherSizeIsLaidOutForThatSize) {
    markers.setAlarms(denseAlarms(40));
    replot();
    const std::size_t onScreen = markers.shownLabels().size();
    // Drawn three times as wide, as a picture: more room, more labels,
    // laid out for the picture's own width while it is drawn.
    QImage image(2700, 500, QImage::Format_RGB32);
    std::size_t inPicture = 0;
    QObject::connect(chart.plot(), &QCustomPlot::afterLayout, &markers,
                     [&] { inPicture = markers.shownLabels().size(); });
    {
        QCPPainter painter(&image);
        chart.plot()->toPainter(&painter, image.width(), image.height());
    }
    EXPECT_GT(inPicture, onScreen);
}

TEST_F(AlarmMarkersTest, ComparedRecordingsMarkersAreFainterAndNamedInTheTooltip) {
    markers.setAlarms({{600, QStringLiteral("cell-low"), QStringLiteral("cell 2 at 3.31 V")}});
    const int older = markers.addCompared(
        QStringLiteral("2026-11-01 10:00"),
        {{1800, QStringLiteral("cell-spread"), {}}, {3600, QStringLiteral("cell-low"), {}}});
    const int oldest =
        markers.addCompared(QStringLiteral("2026-10-01 10:00"),
                            {{2400, QStringLiteral("temperature"), QStringLiteral("46 °C")}});
    replot();
    EXPECT_EQ(older, 0);
    EXPECT_EQ(oldest, 1);
    ASSERT_EQ(markers.comparedCount(), 2);
    EXPECT_EQ(expectLaidOut(4), 4U);

    QCPItemStraightLine* own = markers.line(0);
    QCPItemStraightLine* compared = markers.comparedLine(0, 1);
    ASSERT_NE(compared, nullptr);
    EXPECT_EQ(own->pen().color().alpha(), 255);
    EXPECT_LT(compared->pen().color().alpha(), own->pen().color().alpha());
    EXPECT_LT(markers.comparedLabel(1, 0)->color().alpha(), 255);
    EXPECT_NEAR(compared->point1->pixelPosition().x(),
                chart.axis(ChartAxis::Bottom)->coordToPixel(3600 * kSecond), 0.5);
    EXPECT_EQ(markers.toolTipAt(labelBox(markers.comparedLabel(1, 0)).center()),
              QStringLiteral("2026-10-01 10:00 · 0:40:00  temperature: 46 °C"));
    EXPECT_EQ(markers.toolTipAt(labelBox(markers.label(0)).center()),
              QStringLiteral("0:10:00  cell-low: cell 2 at 3.31 V"));
    EXPECT_EQ(markers.toolTipAt(QPointF(-5, -5)), QString());

    // Removing the older one takes its lines and labels off the plot; the
    // oldest moves down to index 0.
    QCPItemText* olderLabel = markers.comparedLabel(0, 0);
    markers.removeCompared(older);
    replot();
    EXPECT_FALSE(chart.plot()->hasItem(compared));
    EXPECT_FALSE(chart.plot()->hasItem(olderLabel));
    ASSERT_EQ(markers.comparedCount(), 1);
    EXPECT_EQ(markers.comparedName(0), QStringLiteral("2026-10-01 10:00"));
    EXPECT_EQ(markers.comparedAlarms(0).size(), 1U);
    EXPECT_EQ(expectLaidOut(2), 2U);
    // The recording's own alarms anew leave the compared ones as they are.
    markers.setAlarms({});
    replot();
    EXPECT_EQ(expectLaidOut(1), 1U);
    EXPECT_TRUE(chart.plot()->hasItem(markers.comparedLine(0, 0)));
}

// The compared recordings' legend over the plot's top left corner: no
// label is hidden under it.
TEST_F(AlarmMarkersTest, LabelsKeepClearOfTheComparedRecordingsLegend) {
    ChartOverlays overlays(chart);
    const std::vector<double> days{0, 3600 * kSecond};
    const std::vector<double> volts{12, 13};
    for (const char* name : {"2026-11-27 18:30", "2026-11-20 18:00"}) {
        overlays.add(QString::fromLatin1(name), {days, {volts, volts, volts, volts}});
    }
    markers.setAlarms(denseAlarms(60, 1));
    replot();
    ASSERT_TRUE(overlays.legend()->visible());
    const QRectF legend = overlays.legend()->outerRect();
    expectLaidOut(59);
    for (QCPItemText* label : markers.shownLabels()) {
        EXPECT_FALSE(labelBox(label).intersects(legend)) << label->text().toStdString();
    }
}

}  // namespace
}  // namespace cellwatch
