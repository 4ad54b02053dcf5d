// Every alarm the monitor raises carries its figures, its line is worded
// from them as the journal and the broker have always had it, and the line
// reads back into the same figures: what a window or the page words in its
// language is what the journal says.
#include "alarms/alarm_figures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "alarms/alarm_monitor.h"
#include "tests/alarms/alarm_rows.h"

namespace cellwatch::alarms {
namespace {

using test::hundredths;

RowValues charging(std::uint32_t elapsed) {
    return test::healthyCharge(elapsed);
}

struct Raise {
    const char* name;
    std::function<std::vector<Alarm>(AlarmMonitor&)> raise;
    std::string line;  // as the journal has it
};

TEST(AlarmFigures, EveryRaisedAlarmCarriesFiguresThatReadBackFromItsLine) {
    const Raise cases[] = {
        {"cell-high",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.cells[2] = hundredths(426);
             return m.row(r, 1000);
         },
         "Cell 3 at 4.26 V (limit 4.25 V)"},
        {"cell-low",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.state = ChargeState::Discharging;
             r.cells[3] = hundredths(299);
             return m.row(r, 1000);
         },
         "Cell 4 at 2.99 V (limit 3.00 V)"},
        {"cell-spread",
         [](AlarmMonitor& m) {
             RowValues r = charging(60);
             r.cells[1] = hundredths(411);
             return m.row(r, 1000);
         },
         "Cells 0.11 V apart: cell 2 at 4.11 V, cell 1 at 4.00 V (limit 0.10 V)"},
        {"both temperatures",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.extTemperature = Decimal::fromInt(51);
             r.intTemperature = Decimal::fromInt(71);
             return m.row(r, 1000);
         },
         "External temperature 51 °C (limit 50 °C); internal temperature 71 °C (limit 70 °C)"},
        {"internal temperature",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.intTemperature = Decimal::fromInt(71);
             return m.row(r, 1000);
         },
         "Internal temperature 71 °C (limit 70 °C)"},
        {"input-low",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.inputVoltage = hundredths(1099);
             return m.row(r, 1000);
         },
         "Input at 10.99 V (limit 11.00 V)"},
        {"finished",
         [](AlarmMonitor& m) {
             m.row(charging(75), 1000);
             m.messageDecoded(false, 2000);  // stopped: finished 10 s on
             return m.messageDecoded(false, 12000);
         },
         "The charge finished after 0:01:15 (no charging or discharging for 10 s)"},
        {"stalled",
         [](AlarmMonitor& m) {
             RowValues r = charging(3600);
             r.state = ChargeState::Discharging;
             m.row(r, 1000);
             return m.tick(31000);
         },
         "No new row for 30 s while the discharge was running (last row at 1:00:00)"},
        {"lost, with the system's reason",
         [](AlarmMonitor& m) {
             m.row(charging(58), 1000);
             return m.linkLost("the device went away: errno 19", 2000);
         },
         "Link lost during the charge, last row at 0:00:58: the device went away: errno 19"},
        {"lost, without one",
         [](AlarmMonitor& m) {
             m.row(charging(58), 1000);
             return m.linkLost("", 2000);
         },
         "Link lost during the charge, last row at 0:00:58"},
    };
    for (const Raise& c : cases) {
        SCOPED_TRACE(c.name);
        AlarmMonitor monitor;
        monitor.connected(0);
        const std::vector<Alarm> raised = c.raise(monitor);
        ASSERT_EQ(raised.size(), 1u);
        const Alarm& alarm = raised[0];
        EXPECT_EQ(alarm.text, c.line);
        ASSERT_TRUE(alarm.figures.has_value());
        EXPECT_EQ(readAlarmLine(alarm.kind, alarm.text), alarm.figures);
    }
}

// A line in no form the monitor writes, or of another kind's form, or one
// that would not be written back the same, has no figures.
TEST(AlarmFigures, LinesInNoWrittenFormHaveNone) {
    const struct {
        Kind kind;
        const char* line;
    } cases[] = {
        {Kind::CellHigh, "Cell 3 is on fire"},
        {Kind::CellHigh, "Input at 10.99 V (limit 11.00 V)"},
        {Kind::CellHigh, "Cell 3 at 4.260 V (limit 4.25 V)"},
        {Kind::CellHigh, "Cell 03 at 4.26 V (limit 4.25 V)"},
        {Kind::CellHigh, "Cell 3 at 4.26 V (limit 4.25 V) "},
        {Kind::CellHigh, "Cell  at 4.26 V (limit 4.25 V)"},
        {Kind::CellLow, "Cell 3 at -.- V (limit 3.00 V)"},
        {Kind::Temperature, "External temperature 51 °C (limit 50 °C); rain"},
        {Kind::Temperature,
         "Internal temperature 71 °C (limit 70 °C); internal temperature 1 °C "
         "(limit 0 °C)"},
        {Kind::Finished,
         "The recharge finished after 0:01:15 (no charging or discharging for 10 s)"},
        {Kind::Stalled, "No new row for 30 s while the charge was running (last row at 1:0:00)"},
        {Kind::Lost, "Link lost during the charge, last row at 0:00:58: "},
        {Kind::Lost, ""},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(readAlarmLine(c.kind, c.line).has_value()) << c.line;
    }
}

}  // namespace
}  // namespace cellwatch::alarms
