// Other channels over the chart of the chosen one, on the real chart fed by
// real recordings.
#include "chart/channel_overlays.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <memory>

#include "chart/envelope_graph.h"
#include "chart/series_envelope.h"
#include "readout/recording.h"
#include "readout/recording_views.h"
#include "readout/row_store.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

// One channel's recording on clocks set by hand, fed a reading a second.
struct Channel {
    static constexpr std::uint32_t kStartTicks = 5000;
    ManualTickClock ticks{kStartTicks};
    ManualWallClock wall{QDateTime(QDate(2026, 3, 1), QTime(10, 0))};
    RowStore table;
    Recording recording{table, ticks, wall};
    std::uint32_t ms = 0;

    Channel() {
        recording.resetAxes();
        recording.begin();
    }
    void feed(double volts, double amps, int readings = 1, std::uint32_t stepMs = 1000) {
        for (int i = 0; i < readings; ++i) {
            ms += stepMs;
            ticks.set(kStartTicks + ms);
            wall.advance(stepMs);
            Reading r;
            r.state = ChargeState::Charging;
            r.voltage = Decimal::fromHundredths(std::lround(volts * 100));
            r.current = Decimal::fromHundredths(std::lround(amps * 100));
            r.elapsedMs = ms;
            recording.acceptReading(r);
        }
    }
};

class ChannelOverlaysTest : public ::testing::Test {
protected:
    void SetUp() override {
        chosen.recording.subscribe(std::make_unique<RecordingChart>(chart));
        charttest::showChart(chart);
        chosen.feed(8.0, 2.0, 30);
        one.feed(12.6, 5.0, 30);
        three.feed(4.2, 1.0, 20);
    }

    ChartView chart;
    Channel chosen;
    Channel one;
    Channel three;
};

TEST_F(ChannelOverlaysTest, OverlaysAddTheirCurvesAndLeaveTheChartAsTheyFoundIt) {
    QCustomPlot* plot = chart.plot();
    const int graphs = plot->graphCount();
    const AxisRange volts = chart.axisRange(ChartAxis::Left);
    const AxisRange amps = chart.axisRange(ChartAxis::Right);
    ASSERT_LT(volts.max, 12.6);  // the chosen channel's own scale

    ChannelOverlays overlays(chart);
    overlays.setOverlays({&one.recording, &three.recording}, {1, 3});
    EXPECT_EQ(plot->graphCount(), graphs + 2 * ChannelOverlays::kCurves);
    ASSERT_EQ(overlays.count(), 2);
    struct Expect {
        int index, number;
        std::size_t points;
        double volts, amps;
    };
    for (const Expect& e : {Expect{0, 1, 30, 12.6, 5.0}, Expect{1, 3, 20, 4.2, 1.0}}) {
        const auto* voltage = dynamic_cast<EnvelopeGraph*>(overlays.graph(e.index, 0));
        const auto* current = dynamic_cast<EnvelopeGraph*>(overlays.graph(e.index, 1));
        ASSERT_NE(voltage, nullptr);
        ASSERT_NE(current, nullptr);
        EXPECT_EQ(voltage->points().size(), e.points) << e.number;
        EXPECT_DOUBLE_EQ(voltage->points().y(0), e.volts) << e.number;
        EXPECT_DOUBLE_EQ(current->points().y(0), e.amps) << e.number;
        EXPECT_EQ(voltage->pen().color(), ChannelOverlays::channelColour(e.number));
        EXPECT_EQ(voltage->valueAxis(), chart.axis(ChartAxis::Left));
        EXPECT_EQ(current->valueAxis(), chart.axis(ChartAxis::Right));
        // The key names the channel by its number.
        QCPAbstractLegendItem* item = overlays.key()->itemWithPlottable(overlays.graph(e.index, 0));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(overlays.graph(e.index, 0)->name(), QString::number(e.number));
    }
    EXPECT_NE(ChannelOverlays::channelColour(1), ChannelOverlays::channelColour(3));
    EXPECT_TRUE(overlays.key()->visible());
    EXPECT_EQ(overlays.key()->itemCount(), 2);
    // No curve runs off the chart.
    EXPECT_GE(chart.axisRange(ChartAxis::Left).max, 12.6);
    EXPECT_GE(chart.axisRange(ChartAxis::Right).max, 5.0);
    EXPECT_GE(chart.dataMax(ChartAxis::Left), 12.6);

    overlays.clear();
    EXPECT_EQ(plot->graphCount(), graphs);
    EXPECT_FALSE(overlays.key()->visible());
    EXPECT_EQ(chart.axisRange(ChartAxis::Left).max, volts.max);
    EXPECT_EQ(chart.axisRange(ChartAxis::Left).min, volts.min);
    EXPECT_EQ(chart.axisRange(ChartAxis::Right).max, amps.max);
    EXPECT_EQ(chart.dataMax(ChartAxis::Left), 8.0);
}

TEST_F(ChannelOverlaysTest, RefreshFollowsTheChannelsAsTheyGo) {
    ChannelOverlays overlays(chart);
    overlays.setOverlays({&one.recording, &three.recording});
    const auto points = [&](int index) {
        return dynamic_cast<EnvelopeGraph*>(overlays.graph(index, 0))->points().size();
    };
    one.feed(12.7, 5.0, 10);
    chosen.feed(8.1, 2.0);  // the chosen channel sets its own scale again
    overlays.refresh();
    EXPECT_EQ(points(0), 40u);
    EXPECT_EQ(points(1), 20u);
    EXPECT_GE(chart.axisRange(ChartAxis::Left).max, 12.7);

    // A pause begins a new recording on channel 3: it is read anew.
    three.feed(4.1, 1.0, 1, 6000);
    three.feed(4.1, 1.0, 5);
    overlays.refresh();
    EXPECT_EQ(points(1), three.table.dataRowCount());
    EXPECT_LT(points(1), 20u);

    // The curve switches hide a channel's voltage with the chart's own.
    chart.setSeriesActive(kSeriesVoltage, false);
    EXPECT_FALSE(overlays.graph(0, 0)->visible());
    EXPECT_TRUE(overlays.graph(0, 1)->visible());
}

}  // namespace
}  // namespace cellwatch
