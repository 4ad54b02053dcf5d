// The live sample pipeline: a recording over the real chart and data
// table, a fake readout view and clocks set by hand. Samples are given the
// elapsed time the decoder would compute (tick count minus ConnectTicks).
#include "readout/recording.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "chart/chart_view.h"
#include "readout/cell_panel_widget.h"
#include "readout/gauge_settings.h"
#include "readout/recording_views.h"
#include "readout/row_readouts.h"
#include "readout/row_store.h"
#include "tests/protocol/decimal_text.h"
#include "tests/support/fake_gauge.h"
#include "tests/support/made_reading.h"

namespace cellwatch {
namespace {

using testing::FakeGauge;

constexpr double kSecond = 1.0 / 86400.0;  // in days, the unit of X

using testing::d;

class FakeReadouts final : public ReadoutView {
public:
    bool cursorHold() const override { return hold; }
    void setReadout(int index, const QString& text) override { label3[index] = text; }
    void setLargeReadout(int index, const QString& text) override { label2[index] = text; }
    void fitReadouts() override {}
    PowerGaugeControl& gauge() override { return dial; }
    CellPanelView& cellPanel() override { return cells; }
    QStringList cellTexts() const {
        QStringList out;
        for (int cell = 1; cell <= kCellCount; ++cell) {
            out << cells.cellLabel(cell)->text();
        }
        return out;
    }

    bool hold = false;
    std::map<int, QString> label3;
    std::map<int, QString> label2;
    FakeGauge dial;
    CellPanelWidget cells;
};

// Everything a user can see, to compare before and after.
struct Shown {
    std::map<int, QString> label3, label2;
    QStringList cellTexts;
    double gaugeValue;
    QString gaugeCaption;
    QStringList title;
    std::array<std::size_t, kSeriesCount> points;
    std::array<AxisRange, 5> ranges;
    int rows;

    bool operator==(const Shown& o) const {
        auto same = [](const AxisRange& a, const AxisRange& b) {
            return a.min == b.min && a.max == b.max;
        };
        return label3 == o.label3 && label2 == o.label2 && cellTexts == o.cellTexts &&
               gaugeValue == o.gaugeValue && gaugeCaption == o.gaugeCaption && title == o.title &&
               points == o.points && rows == o.rows &&
               std::equal(ranges.begin(), ranges.end(), o.ranges.begin(), same);
    }
};

Reading charging(const char* volts = "12.60", const char* amps = "2.00") {
    return testing::madeReading(kTypeLithium, kStateCharge, 25, 31, "12", volts, amps, 150,
                                {"4.2", "4.2", "4.2"});
}

// A connected recording. The tick counter is started just short of its wrap,
// so every recording here runs across it.
struct Rig {
    static constexpr std::uint32_t kStartTicks = 0xFFFFF000u;

    // `views`: the chart and readouts subscribed, as a window does.
    explicit Rig(QDateTime start = QDateTime(QDate(2024, 1, 15), QTime(14, 0)), bool views = true)
        : wall(start), startWall(start) {
        if (views) {
            showOn(recording, chart, view, nullptr);
        }
        recording.events().restarted = [this] { ++restarts; };
        recording.resetAxes();
        recording.begin();
    }

    // Both clocks to `ms` after the connect (the wall clock off by
    // `wallOffsetMs`, as after someone set it).
    void at(std::int64_t ms) {
        ticks.set(kStartTicks + static_cast<std::uint32_t>(ms));
        wall.set(startWall.addMSecs(ms + wallOffsetMs));
    }
    // Hands `s` over at `ms` after the connect, as the decoder would.
    void feed(Reading s, std::int64_t ms) {
        at(ms);
        s.elapsedMs = ticksBetween(recording.connectTicks(), ticks.tickCount());
        recording.AcceptSample(s);
    }

    int rows() const { return table.gridRowCount() - 1; }
    AxisRange range(ChartAxis axis) const { return chart.axisRange(axis); }
    QString timeOfRow(int row) const { return table.gridText(row, 1); }
    QString lastTime() const { return timeOfRow(rows()); }

    Shown shown() const {
        return {
            view.label3,
            view.label2,
            view.cellTexts(),
            view.dial.value(),
            view.dial.caption(),
            chart.titleLines(),
            {chart.pointCount(0), chart.pointCount(1), chart.pointCount(2), chart.pointCount(3)},
            {range(ChartAxis::Bottom), range(ChartAxis::Left), range(ChartAxis::Right),
             range(ChartAxis::Capacity), range(ChartAxis::Temperature)},
            rows()};
    }

    ChartView chart;
    RowStore table;
    FakeReadouts view;
    ManualTickClock ticks{kStartTicks};
    ManualWallClock wall;
    QDateTime startWall;
    std::int64_t wallOffsetMs = 0;
    Recording recording{table, ticks, wall};
    int restarts = 0;
};

// --- the cell limit --------------------------------------------------------------------------

struct LimitCase {
    const char* what;
    std::size_t cell;
    const char* volts;
    std::int64_t ms;  // when it arrives; the first reading came at 1000
    int rowsAfter;    // 2: recorded, 1: dropped, 0: restarted the recording
};

// (The driver keeps the other limits: it delivers no reading beyond them.)
const LimitCase kLimitCases[] = {
    {"cell 2 at 5.01 V", 1, "5.01", 2000, 1},
    {"cell 12 at 5.01 V", 11, "5.01", 2000, 1},
    {"cell 2 at 5.00 V", 1, "5.00", 2000, 2},
    // The cell limit comes after the pause test.
    {"cell at 5.01 V after 10 s", 0, "5.01", 11000, 0},
};

TEST(RecordingCellLimit, StrictAndADroppedReadingChangesNothing) {
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.what);
        Rig r;
        r.feed(charging("12.60"), 1000);
        ASSERT_EQ(r.rows(), 1);
        const Shown before = r.shown();

        Reading s = charging("12.70");
        s.cells[c.cell] = d(c.volts);
        r.feed(s, c.ms);

        EXPECT_EQ(r.rows(), c.rowsAfter);
        EXPECT_EQ(r.restarts, c.rowsAfter == 0 ? 1 : 0);
        if (c.rowsAfter == 1) {
            EXPECT_TRUE(r.shown() == before);
        }
        if (c.rowsAfter == 2) {
            EXPECT_EQ(r.chart.pointCount(kSeriesVoltage), 2u);
            EXPECT_EQ(r.view.label3[readouts::kInputVoltage],
                      QString::fromStdString(s.inputVoltage->format(kFormat2)));
        }
    }
}

// --- the pause rule -------------------------------------------------------------------------

TEST(RecordingPause, MeasuredFromTheTimeWrittenInTheLastRow) {
    Rig r;
    r.feed(charging("12.50"), 1000);
    r.feed(charging("12.51"), 5000);  // exactly 4 s after "0:00:01"
    ASSERT_EQ(r.rows(), 2);
    EXPECT_EQ(r.lastTime(), QStringLiteral("0:00:05"));
    r.feed(charging("12.52"), 5600);   // written as 0:00:06
    r.feed(charging("12.53"), 10000);  // 4.4 s after that sample, 4 s after its row
    ASSERT_EQ(r.rows(), 4);
    EXPECT_EQ(r.lastTime(), QStringLiteral("0:00:10"));
    EXPECT_EQ(r.restarts, 0);

    const AxisRange voltageAxis = r.range(ChartAxis::Left);
    const double axisMaxVolt = r.recording.axes().axisMaxVolt();
    r.feed(charging("4.20"), 14500);  // 4.5 s: a new recording; this sample is not shown

    EXPECT_EQ(r.restarts, 1);
    EXPECT_EQ(r.rows(), 0);
    for (int series = 0; series < kSeriesCount; ++series) {
        EXPECT_EQ(r.chart.pointCount(series), 0u) << series;
    }
    EXPECT_EQ(r.chart.titleLines(), QStringList{QStringLiteral("Idle")});
    EXPECT_EQ(r.view.label3[readouts::kLegendVoltage], QStringLiteral("12.53"));
    EXPECT_EQ(r.view.label3[readouts::kVoltage], QStringLiteral("12.53"));
    EXPECT_EQ(r.recording.recordingStart(), r.wall.now());
    EXPECT_EQ(r.recording.timeWindowEnd(), r.wall.now().addMSecs(172'800));
    // The vertical axes keep the old recording's ranges until the next sample.
    const AxisRange kept = r.range(ChartAxis::Left);
    EXPECT_EQ(kept.min, voltageAxis.min);
    EXPECT_EQ(kept.max, voltageAxis.max);
    EXPECT_EQ(r.recording.axes().axisMaxVolt(), axisMaxVolt);

    r.feed(charging("4.21"), 15500);
    ASSERT_EQ(r.rows(), 1);
    EXPECT_EQ(r.timeOfRow(1), QStringLiteral("0:00:01"));
    EXPECT_EQ(r.view.label3[readouts::kElapsed], QStringLiteral("0:00:01"));
    EXPECT_NEAR(r.chart.pointX(kSeriesVoltage, 0), 1 * kSecond, 1e-9);
    EXPECT_LT(r.range(ChartAxis::Left).max, voltageAxis.max);
}

struct CadenceCase {
    std::int64_t intervalMs;
    std::vector<int> rows;  // after each sample
};

// The first row of a recording reads 1 s whenever it arrived, so every 3 s
// already restarts: the second sample lies 5 s after the first row.
TEST(RecordingPause, RowsAtASteadyCadenceAndTheFirstRowReadsOneSecond) {
    const CadenceCase cases[] = {
        {300, {1, 2, 3, 4, 5, 6}},  {1000, {1, 2, 3, 4, 5, 6}}, {2500, {1, 2, 3, 4, 5, 6}},
        {3000, {1, 0, 1, 0, 1, 0}}, {4500, {1, 0, 1, 0, 1, 0}}, {9000, {1, 0}},
    };
    for (const CadenceCase& c : cases) {
        SCOPED_TRACE(c.intervalMs);
        Rig r;
        std::vector<int> rows;
        for (std::size_t k = 1; k <= c.rows.size(); ++k) {
            r.feed(charging(), static_cast<std::int64_t>(k) * c.intervalMs);
            rows.push_back(r.rows());
            if (k == 1) {
                EXPECT_EQ(r.timeOfRow(1), QStringLiteral("0:00:01"));
                EXPECT_EQ(r.view.label3[readouts::kElapsed], QStringLiteral("0:00:01"));
            }
        }
        EXPECT_EQ(rows, c.rows);
    }
}

// --- the time axis --------------------------------------------------------------------------

TEST(RecordingTimeAxis, GrowsBy432SecondsWhenLessThan172Point8AreLeft) {
    const auto bottomMax = [](const Rig& r) { return r.range(ChartAxis::Bottom).max / kSecond; };
    {
        Rig r;
        EXPECT_NEAR(bottomMax(r), 172.8, 1e-6);
        r.feed(charging(), 0);  // at the very start: 172.8 s are left
        EXPECT_NEAR(bottomMax(r), 172.8, 1e-6);
    }
    Rig r;
    r.feed(charging(), 1);
    EXPECT_NEAR(bottomMax(r), 604.8, 1e-6);
    for (std::int64_t s = 1; s <= 432; ++s) {
        r.feed(charging(), s * 1000);
    }
    EXPECT_NEAR(bottomMax(r), 604.8, 1e-6);
    r.feed(charging(), 433'000);
    EXPECT_NEAR(bottomMax(r), 1036.8, 1e-6);
    EXPECT_EQ(r.rows(), 434);
    EXPECT_EQ(r.restarts, 0);
}

// Midnight passing, or the wall clock set back an hour or forward a day (a
// time-zone change, a clock sync) in the middle of a recording, moves no
// point: X keeps counting the seconds, and every point stays inside the time
// axis.
TEST(RecordingTimeAxis, MidnightOrAWallClockSetBackOrForwardMovesNoPoint) {
    const struct {
        QTime start;
        std::int64_t offsetMs;  // from the 11th sample on
    } cases[] = {{QTime(23, 59, 57), 0}, {QTime(14, 0), -3'600'000}, {QTime(14, 0), 86'400'000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offsetMs);
        Rig r(QDateTime(QDate(2024, 1, 15), c.start));
        for (std::int64_t s = 1; s <= 20; ++s) {
            if (s == 11) {
                r.wallOffsetMs = c.offsetMs;
            }
            r.feed(charging(), s * 1000);
        }
        ASSERT_EQ(r.rows(), 20);
        for (std::size_t k = 0; k < 20; ++k) {
            EXPECT_NEAR(r.chart.pointX(kSeriesVoltage, k), static_cast<double>(k + 1) * kSecond,
                        1e-9)
                << k;
        }
        EXPECT_NEAR(r.range(ChartAxis::Bottom).max / kSecond, 604.8, 1e-6);
    }
}

// --- what a sample shows --------------------------------------------------------------------

// A charger without an input reading or temperature probes: those readouts
// stay blank rather than saying 0.
TEST(RecordingSample, DischargeShowsTheSignButDrawsTheMagnitude) {
    Rig r;
    Reading s = charging("12.60", "-1.5");
    s.stateText = std::string(kStateDischarge);
    s.state = ChargeState::Discharging;
    s.inputVoltage.reset();
    s.intTemperature.reset();
    s.extTemperature.reset();
    r.feed(s, 1000);
    for (const int index : {readouts::kInputVoltage, readouts::kInternal, readouts::kExternal}) {
        EXPECT_EQ(r.view.label3[index], QString()) << index;
    }

    EXPECT_EQ(r.view.label2[readouts::kLargeCurrent], QStringLiteral("-1.50A"));
    EXPECT_EQ(r.view.label2[readouts::kLargeVoltage], QStringLiteral("12.60V"));
    EXPECT_EQ(r.view.label2[readouts::kLargeCapacity], QStringLiteral("150mAh"));
    EXPECT_EQ(r.view.label3[readouts::kLegendCurrent], QStringLiteral("-1.50"));
    EXPECT_EQ(r.view.label3[readouts::kCurrent], QStringLiteral("-1.50"));
    ASSERT_EQ(r.chart.pointCount(kSeriesCurrent), 1u);
    EXPECT_EQ(r.chart.pointY(kSeriesCurrent, 0), 1.5);
    EXPECT_EQ(r.view.label3[readouts::kPower], QStringLiteral("18.900"));
    EXPECT_EQ(r.view.dial.caption(), QStringLiteral("18.900"));
    EXPECT_DOUBLE_EQ(r.view.dial.value(), 18.9);
    EXPECT_EQ(r.chart.titleLines(), QStringList{QStringLiteral("LiIo/Po/Fe/-DSC-")});
    EXPECT_EQ(r.table.gridText(1, 8), QStringLiteral("-1.50"));
}

TEST(RecordingSample, CellCountCountsTheCellsPresent) {
    const std::pair<int, const char*> cases[] = {{6, "6Cells"}, {0, "0Cells"}, {12, "12Cells"}};
    for (const auto& [present, text] : cases) {
        SCOPED_TRACE(text);
        Rig r;
        Reading s = charging("20");
        s.cells = {};
        for (int cell = 0; cell < present; ++cell) {
            s.cells[static_cast<std::size_t>(cell)] = d("3.9");
        }
        r.feed(s, 1000);
        ASSERT_EQ(r.rows(), 1);
        EXPECT_EQ(r.view.label3[readouts::kCellCount], QString::fromLatin1(text));
    }
}

// While the cross-line cursor holds them, the detail readouts and the cell
// panel stay; the legend, the large readouts and the gauge follow.
TEST(RecordingSample, AHeldCursorKeepsTheDetailsAndTheCells) {
    Rig r;
    r.feed(charging("12.60", "2.00"), 1000);
    const Shown before = r.shown();
    r.view.hold = true;
    Reading s = charging("12.70", "1.00");
    s.cells[0] = d("3.5");
    r.feed(s, 2000);
    const Shown held = r.shown();
    EXPECT_EQ(held.cellTexts, before.cellTexts);
    for (const int index : {readouts::kInputVoltage, readouts::kVoltage, readouts::kCurrent,
                            readouts::kPower, readouts::kElapsed}) {
        EXPECT_EQ(held.label3.at(index), before.label3.at(index)) << index;
    }
    EXPECT_EQ(held.label3.at(readouts::kLegendVoltage), QStringLiteral("12.70"));
    EXPECT_EQ(held.label2.at(readouts::kLargeCurrent), QStringLiteral("1.00A"));
    EXPECT_EQ(held.gaugeCaption, QStringLiteral("12.700"));
    EXPECT_EQ(held.rows, 2);
}

// --- the idle display -----------------------------------------------------------------------

TEST(RecordingIdle, ZeroesTheMainReadoutsAndMovesTheTimeOrigin) {
    Rig r;
    r.feed(charging("12.60", "2.00"), 1000);
    r.feed(charging("12.61", "2.00"), 2000);
    const Shown before = r.shown();

    r.at(3000);
    r.recording.ShowIdle();
    const Shown idle = r.shown();

    const std::pair<int, const char*> legend[] = {{readouts::kLegendVoltage, "0.00"},
                                                  {readouts::kLegendCurrent, "0.00"},
                                                  {readouts::kLegendCapacity, "0"},
                                                  {readouts::kLegendExternal, "0"}};
    for (const auto& [index, text] : legend) {
        EXPECT_EQ(idle.label3.at(index), QString::fromLatin1(text)) << index;
    }
    EXPECT_EQ(idle.label2.at(readouts::kLargeVoltage), QStringLiteral("0.00V"));
    EXPECT_EQ(idle.label2.at(readouts::kLargeCurrent), QStringLiteral("0.00A"));
    EXPECT_EQ(idle.label2.at(readouts::kLargeCapacity), QStringLiteral("0mAH"));
    EXPECT_EQ(idle.title, QStringList{QStringLiteral("Idle")});
    EXPECT_EQ(idle.gaugeValue, 0);
    EXPECT_EQ(idle.gaugeCaption, QStringLiteral("0"));
    EXPECT_EQ(r.view.dial.mode(), 1);
    // Table, points, detail readouts and cells stay.
    EXPECT_EQ(idle.rows, 2);
    EXPECT_EQ(idle.points, before.points);
    EXPECT_EQ(idle.cellTexts, before.cellTexts);
    EXPECT_EQ(idle.label3.at(readouts::kInputVoltage), before.label3.at(readouts::kInputVoltage));
    EXPECT_EQ(idle.label3.at(readouts::kElapsed), QStringLiteral("0:00:02"));
    EXPECT_EQ(r.recording.recordingStart(), r.wall.now());
    EXPECT_EQ(r.recording.timeWindowEnd(), r.wall.now().addMSecs(172'800));

    r.recording.ShowIdle();
    EXPECT_TRUE(r.shown() == idle);

    // The next sample is plotted from the moment of the idle display.
    r.feed(charging("12.62", "2.00"), 4000);
    ASSERT_EQ(r.chart.pointCount(kSeriesVoltage), 3u);
    EXPECT_NEAR(r.chart.pointX(kSeriesVoltage, 2), 1 * kSecond, 1e-9);
    EXPECT_EQ(r.rows(), 3);
    EXPECT_EQ(r.restarts, 0);
}

// --- the engine without views ---------------------------------------------------------------

// A headless front end subscribes nothing: the recording still keeps what
// the capacity roll-over, the pause rule and the axes go by, the same as
// under a window, and the chart it was never given stays untouched.
TEST(RecordingEngine, KeepsItsOwnStateWithOrWithoutViews) {
    Rig shown;
    Rig headless(QDateTime(QDate(2024, 1, 15), QTime(14, 0)), false);
    const struct {
        const char* volts;
        const char* mah;
        std::int64_t ms;
        int restarts;
        const char* capacityMax;  // the roll-over's base after it
    } steps[] = {
        {"12.60", "150", 1000, 0, "150"}, {"12.90", "900", 2000, 0, "900"},
        {"11.80", "400", 3000, 0, "900"}, {"11.70", "9999", 9000, 1, "0"},  // a pause: not shown
        {"11.70", "20", 10000, 1, "20"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.ms);
        for (Rig* r : {&shown, &headless}) {
            Reading s = charging(step.volts);
            s.capacity = d(step.mah);
            r->feed(s, step.ms);
            EXPECT_EQ(r->restarts, step.restarts);
            EXPECT_EQ(r->recording.capacityDataMax(), d(step.capacityMax));
        }
        EXPECT_EQ(headless.rows(), shown.rows());
        EXPECT_EQ(headless.recording.lastRowSeconds(), shown.recording.lastRowSeconds());
        EXPECT_EQ(headless.recording.axes().axisMaxVolt(), shown.recording.axes().axisMaxVolt());
        EXPECT_EQ(headless.recording.axes().axisMinVolt(), shown.recording.axes().axisMinVolt());
        EXPECT_EQ(headless.recording.axes().axisMaxCap(), shown.recording.axes().axisMaxCap());
        EXPECT_EQ(headless.recording.timeAxisDays(), shown.recording.timeAxisDays());
        // What the window's chart shows is what the engine holds.
        EXPECT_EQ(shown.chart.dataMax(ChartAxis::Capacity),
                  shown.recording.extent(kSeriesCapacity).maxOrZero());
        EXPECT_EQ(shown.range(ChartAxis::Left).max, shown.recording.axes().axisMaxVolt());
    }
    EXPECT_EQ(headless.chart.pointCount(kSeriesVoltage), 0u);
    EXPECT_TRUE(headless.view.label3.empty());
}

// The cross-line cursor on a recorded row of sixteen cells shows all sixteen,
// and the count; a row of twelve brings the twelve back.
TEST(RowDetails, ARowOfSixteenCellsShowsThemAll) {
    RowStore table;
    for (int cells : {16, 12}) {
        Reading r;
        r.stateText = "+CHG+";
        r.chemistryText = "LiPo";
        r.voltage = d("60.00");
        r.cellCount = cells;
        for (int k = 0; k < cells; ++k) {
            r.cells[static_cast<std::size_t>(k)] = Decimal::fromHundredths(370 + k);
        }
        table.append(r);
    }
    FakeReadouts view;
    struct Case {
        int row, shown;
        const char* last;
        const char* count;
    };
    for (const Case& c : {Case{1, 16, "3.85", "16S"}, Case{2, 12, "3.81", "12S"}}) {
        showRowDetails(table, c.row, view);
        EXPECT_EQ(view.cells.cellSlots(), c.shown) << c.row;
        EXPECT_EQ(view.cells.cellLabel(c.shown)->text(), c.last) << c.row;
        EXPECT_EQ(view.label3[readouts::kCellCount], c.count) << c.row;
    }
}

}  // namespace
}  // namespace cellwatch
