// The alarm rules, told rows and events on a simulated clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/alarm_monitor.h"
#include "alarms/alarm_rules.h"
#include "alarms/recording_alarms.h"
#include "readout/row_store.h"
#include "tests/alarms/alarm_rows.h"

namespace cellwatch::alarms {
namespace {

Decimal v(std::int64_t h) {
    return test::hundredths(h);
}

RowValues healthy(std::uint32_t elapsed = 30) {
    return test::healthyCharge(elapsed);
}

std::vector<Kind> kinds(const std::vector<Alarm>& alarms) {
    std::vector<Kind> out;
    for (const Alarm& a : alarms) {
        out.push_back(a.kind);
    }
    return out;
}

struct Threshold {
    const char* name;
    Kind kind;
    void (*change)(RowValues&, std::int64_t hundredths);
    std::int64_t limit;  // hundredths
    int direction;       // +1: raised above the limit, -1: below
    const char* text;    // of the alarm one step beyond the limit
};

const Threshold kThresholds[] = {
    {"cell-high lithium", Kind::CellHigh, [](RowValues& r, std::int64_t x) { r.cells[2] = v(x); },
     425, +1, "Cell 3 at 4.26 V (limit 4.25 V)"},
    {"cell-high lead", Kind::CellHigh,
     [](RowValues& r, std::int64_t x) {
         r.chemistry = Chemistry::Pb;
         r.cells = {};
         r.cells[0] = v(220);
         r.cells[1] = v(x);
     },
     245, +1, "Cell 2 at 2.46 V (limit 2.45 V)"},
    {"cell-low lithium", Kind::CellLow,
     [](RowValues& r, std::int64_t x) {
         r.state = ChargeState::Discharging;
         r.cells[3] = v(x);
     },
     300, -1, "Cell 4 at 2.99 V (limit 3.00 V)"},
    {"cell-low lead", Kind::CellLow,
     [](RowValues& r, std::int64_t x) {
         r.chemistry = Chemistry::Pb;
         r.state = ChargeState::Discharging;
         r.cells = {};
         r.cells[0] = v(200);
         r.cells[1] = v(x);
     },
     175, -1, "Cell 2 at 1.74 V (limit 1.75 V)"},
    {"cell-spread", Kind::CellSpread,
     [](RowValues& r, std::int64_t x) {
         r.elapsedSeconds = 60;
         r.cells[1] = v(400 + x);
     },
     10, +1, "Cells 0.11 V apart: cell 2 at 4.11 V, cell 1 at 4.00 V (limit 0.10 V)"},
    {"external temperature", Kind::Temperature,
     [](RowValues& r, std::int64_t x) { r.extTemperature = v(x); }, 5000, +1,
     "External temperature 51 °C (limit 50 °C)"},
    {"internal temperature", Kind::Temperature,
     [](RowValues& r, std::int64_t x) { r.intTemperature = v(x); }, 7000, +1,
     "Internal temperature 71 °C (limit 70 °C)"},
    {"input-low", Kind::InputLow, [](RowValues& r, std::int64_t x) { r.inputVoltage = v(x); }, 1100,
     -1, "Input at 10.99 V (limit 11.00 V)"},
};

// Just under, at and just over each limit: only beyond it raises (strict),
// saying the value and the limit.
TEST(AlarmRules, EachLimitIsStrictAndItsTextNamesTheValueAndTheLimit) {
    for (const Threshold& t : kThresholds) {
        // Temperatures are whole degrees; the others step by 0.01.
        const std::int64_t step = t.kind == Kind::Temperature ? 100 : 1;
        for (const std::int64_t offset : {-step, std::int64_t{0}, step}) {
            AlarmMonitor monitor;
            monitor.connected(0);
            RowValues row = healthy();
            t.change(row, t.limit + offset);
            const bool beyond = offset * t.direction > 0;
            const std::vector<Alarm> raised = monitor.row(row, 1000);
            EXPECT_EQ(kinds(raised), beyond ? std::vector<Kind>{t.kind} : std::vector<Kind>{})
                << t.name << " at " << t.limit + offset;
            if (beyond && !raised.empty()) {
                EXPECT_EQ(raised[0].text, t.text);
            }
        }
    }
    // A charger that reports no input voltage and no temperatures raises
    // neither: not reported is not 0.
    AlarmMonitor monitor;
    monitor.connected(0);
    RowValues row = healthy();
    row.inputVoltage = row.extTemperature = row.intTemperature = std::nullopt;
    EXPECT_TRUE(monitor.row(row, 1000).empty());
}

// Hysteresis: a value wavering around its limit for ten minutes (a row a
// second, one step beyond, at, and one step back) raises the rule once. It
// is raised again only after the value has been back past the limit by the
// margin for the hold time: 29 s back there is not enough, nor is a long
// time back inside the margin; 30 s is.
TEST(AlarmRules, ThresholdRulesRearmOnlyBackPastTheMarginForTheHoldTime) {
    for (const Threshold& t : kThresholds) {
        SCOPED_TRACE(t.name);
        const std::int64_t step = t.kind == Kind::Temperature ? 100 : 1;
        const std::int64_t margin = rearmMargin(t.kind).raw() / 100;  // hundredths
        ASSERT_GT(margin, step);
        AlarmMonitor monitor;
        monitor.connected(0);
        std::uint32_t second = 60;
        int count = 0;
        const auto feed = [&](std::int64_t x, int seconds) {
            for (int i = 0; i < seconds; ++i, ++second) {
                RowValues row = healthy(second);
                t.change(row, x);
                for (const Alarm& a : monitor.row(row, second * 1000)) {
                    count += a.kind == t.kind ? 1 : 0;
                }
            }
        };
        for (int i = 0; i < 600; ++i) {
            feed(t.limit + t.direction * step * (1 - i % 3), 1);
        }
        EXPECT_EQ(count, 1) << "wavering for ten minutes";
        const std::int64_t back = t.limit - t.direction * margin;
        feed(back + t.direction * step, 120);  // back, but inside the margin
        feed(t.limit + t.direction * step, 1);
        EXPECT_EQ(count, 1) << "back inside the margin";
        feed(back, 30);  // rows at 0..29 s
        feed(t.limit + t.direction * step, 1);
        EXPECT_EQ(count, 1) << "back past the margin for 29 s";
        feed(back, 31);  // rows at 0..30 s
        feed(t.limit + t.direction * step, 1);
        EXPECT_EQ(count, 2) << "back past the margin for 30 s";
    }
}

// Cell rules need a known battery type, and cell-low needs a discharge;
// absent (zero) cells are never the lowest.
TEST(AlarmRules, CellRulesKeepToTheirCases) {
    AlarmMonitor monitor;
    monitor.connected(0);
    RowValues nimh = healthy();
    nimh.chemistry = Chemistry::NiMH;
    nimh.cells[0] = v(480);
    EXPECT_TRUE(monitor.row(nimh, 1000).empty() || !monitor.active(Kind::CellHigh));
    RowValues charging = healthy(90);
    charging.cells[0] = v(250);  // low, but charging: only the spread speaks
    EXPECT_EQ(kinds(monitor.row(charging, 2000)), std::vector<Kind>{Kind::CellSpread});
    RowValues discharging = healthy();
    discharging.state = ChargeState::Discharging;  // cells 5..12 read 0: no alarm
    EXPECT_TRUE(monitor.row(discharging, 3000).empty());
}

// cell-spread is looked at from the 60th second of a recording on, and
// again only then after a restart.
TEST(AlarmRules, SpreadWaitsSixtySecondsIntoEachRecording) {
    AlarmMonitor monitor;
    monitor.connected(0);
    std::uint32_t now = 0;
    auto spreadAt = [&](std::uint32_t elapsed) {
        RowValues row = healthy(elapsed);
        row.cells[0] = v(420);
        now += 1000;
        return kinds(monitor.row(row, now));
    };
    EXPECT_TRUE(spreadAt(1).empty());
    EXPECT_TRUE(spreadAt(59).empty());
    EXPECT_EQ(spreadAt(60), std::vector<Kind>{Kind::CellSpread});
    EXPECT_TRUE(spreadAt(61).empty());
    monitor.restarted(now += 5000);
    EXPECT_TRUE(spreadAt(59).empty());
    EXPECT_EQ(spreadAt(60), std::vector<Kind>{Kind::CellSpread});
}

// A pause restart starts a new recording: a condition that goes on is
// raised again in it, once.
TEST(AlarmRules, RestartStartsEveryRuleAfresh) {
    AlarmMonitor monitor;
    monitor.connected(0);
    RowValues hot = healthy(1);
    hot.extTemperature = Decimal::fromInt(55);
    EXPECT_EQ(monitor.row(hot, 1000).size(), 1u);
    hot.elapsedSeconds = 2;
    EXPECT_TRUE(monitor.row(hot, 2000).empty());
    EXPECT_TRUE(monitor.restarted(8000).empty());
    EXPECT_FALSE(monitor.hasRows());
    hot.elapsedSeconds = 1;
    EXPECT_EQ(kinds(monitor.row(hot, 9000)), std::vector<Kind>{Kind::Temperature});
    hot.elapsedSeconds = 2;
    EXPECT_TRUE(monitor.row(hot, 10000).empty());
}

// finished: 10 s of idle words after the rows; stalled: 30 s of nothing.
TEST(AlarmRules, FinishedAndStalledOnTheClock) {
    const struct {
        const char* name;
        bool idleMessages;  // the charger says idle every second, or is silent
        std::uint32_t quietMs;
        std::vector<Kind> raised;
    } cases[] = {
        {"idle 9.999 s", true, 9999, {}},
        {"idle 10 s", true, 10000, {Kind::Finished}},
        {"idle 60 s", true, 60000, {Kind::Finished}},
        {"silent 29.999 s", false, 29999, {}},
        {"silent 30 s", false, 30000, {Kind::Stalled}},
        {"silent 90 s", false, 90000, {Kind::Stalled}},
    };
    for (const auto& c : cases) {
        AlarmMonitor monitor;
        const std::uint32_t start = 0xFFFF0000u;  // the tick counter wraps meanwhile
        monitor.connected(start);
        ASSERT_TRUE(monitor.row(healthy(1), start + 1000).empty());
        std::vector<Kind> raised;
        // Idle words start a second after the row; silence starts at the row.
        const std::uint32_t first = start + (c.idleMessages ? 2000 : 1000);
        std::vector<std::uint32_t> moments;
        for (std::uint32_t t = 0; t < c.quietMs; t += 1000) {
            moments.push_back(t);
        }
        moments.push_back(c.quietMs);
        for (const std::uint32_t t : moments) {
            const auto more =
                c.idleMessages ? monitor.messageDecoded(false, first + t) : monitor.tick(first + t);
            for (const Alarm& a : more) {
                raised.push_back(a.kind);
            }
        }
        EXPECT_EQ(raised, c.raised) << c.name;
    }
}

// A row ends both episodes; an idle state counts as an idle word; nothing is
// raised without rows or after a disconnect.
TEST(AlarmRules, TimeRulesNeedARunningRecording) {
    AlarmMonitor monitor;
    monitor.connected(0);
    EXPECT_TRUE(monitor.messageDecoded(false, 1000).empty());
    EXPECT_TRUE(monitor.tick(60000).empty());  // no rows yet
    monitor.row(healthy(1), 61000);
    EXPECT_TRUE(monitor.idleShown(62000).empty());
    EXPECT_EQ(kinds(monitor.tick(72000)), std::vector<Kind>{Kind::Finished});
    EXPECT_TRUE(monitor.tick(200000).empty());  // stalled stays quiet: it stopped
    monitor.row(healthy(2), 201000);
    EXPECT_EQ(kinds(monitor.tick(231000)), std::vector<Kind>{Kind::Stalled});
    monitor.row(healthy(3), 232000);
    EXPECT_EQ(kinds(monitor.tick(262000)), std::vector<Kind>{Kind::Stalled});
    monitor.disconnected();
    EXPECT_TRUE(monitor.tick(400000).empty());
}

// After a lost link the time without rows is no stall: the interrupted
// recording going on after a reconnect is watched afresh, and a stall names
// its last row. (A new recording after the loss is watched through the
// window's alarm band.) A link lost before any row is no alarm.
TEST(AlarmRules, StallIsWatchedAfreshAfterAReconnectAndLostNeedsRows) {
    AlarmMonitor empty;
    empty.connected(0);
    EXPECT_TRUE(empty.linkLost("gone", 1000).empty());

    AlarmMonitor monitor;
    monitor.connected(0);
    monitor.row(healthy(36), 1000);
    const std::vector<Alarm> lost = monitor.linkLost("the device was unplugged", 2000);
    ASSERT_EQ(kinds(lost), std::vector<Kind>{Kind::Lost});
    EXPECT_EQ(lost[0].text,
              "Link lost during the charge, last row at 0:00:36: the device was unplugged");
    monitor.linkOpened(60000);
    EXPECT_TRUE(monitor.tick(62000).empty());
    EXPECT_TRUE(monitor.tick(60000 + 29999).empty());
    const std::vector<Alarm> raised = monitor.tick(60000 + 30000);
    ASSERT_EQ(kinds(raised), std::vector<Kind>{Kind::Stalled});
    EXPECT_EQ(raised[0].text,
              "No new row for 30 s while the charge was running (last row at 0:00:36)");
}

TEST(AlarmRules, LimitsFromTheCommandLine) {
    const struct {
        const char* text;
        const char* error;  // "" when accepted
    } cases[] = {
        {"cell-high=4.30", ""},
        {"cell-high:pb=2.50", ""},
        {"temperature:internal=75", ""},
        {"stalled=60", ""},
        {"lost=3", "lost has no limit"},
        {"cell-spread", "'cell-spread' is not KIND=LIMIT"},
        {"cell-warm=4", "unknown alarm 'cell-warm'"},
        {"input-low:pb=3", "unknown alarm 'input-low:pb'"},
        {"input-low=abc", "bad limit 'abc' for input-low (0 to 1000, two decimals at most)"},
        {"input-low=1.234", "bad limit '1.234' for input-low (0 to 1000, two decimals at most)"},
        {"stalled=0", "bad limit '0' for stalled (1 to 3600 seconds)"},
    };
    for (const auto& c : cases) {
        AlarmSettings s = AlarmSettings::defaults();
        EXPECT_EQ(applyLimit(s, c.text), c.error) << c.text;
    }
    AlarmSettings s = AlarmSettings::defaults();
    applyLimit(s, "cell-high:pb=2.50");
    applyLimit(s, "temperature=45");
    EXPECT_EQ(s[Kind::CellHigh].second, v(250));
    EXPECT_EQ(s[Kind::CellHigh].limit, v(425));
    EXPECT_EQ(s[Kind::Temperature].limit, Decimal::fromInt(45));
}

}  // namespace
}  // namespace cellwatch::alarms

namespace cellwatch::alarms {
namespace {

// The rules read a row's state and chemistry as its driver mapped them, not
// from the words shown: another maker's "working" is charging, and its cells
// are watched; what it does not report stays empty.
TEST(AlarmRows, ReadTheDriversStateAndChemistryAndLeaveOutWhatIsNotReported) {
    Reading r;
    r.charger = "other";
    r.elapsedMs = 5000;
    r.state = ChargeState::Charging;
    r.stateText = "working";
    r.chemistry = Chemistry::LiPo;
    r.chemistryText = "LiPo";
    r.voltage = Decimal::parse("16.80").value();
    r.current = Decimal::parse("2.00").value();
    r.cellCount = 4;
    for (int k = 0; k < 4; ++k) {
        r.cells[static_cast<std::size_t>(k)] = Decimal::parse("4.20").value();
    }
    RowStore table;
    table.append(r);
    const RowValues v = rowValues(table, 1);
    EXPECT_EQ(v.state, ChargeState::Charging);
    EXPECT_EQ(v.chemistry, Chemistry::LiPo);
    EXPECT_FALSE(v.inputVoltage);
    EXPECT_FALSE(v.extTemperature);
    EXPECT_EQ(v.cells[3], Decimal::parse("4.20").value());
}

}  // namespace
}  // namespace cellwatch::alarms
