// Every alarm the monitor raises reads in Chinese with its numbers carried
// over: a change of an English wording without its Chinese one fails here.
#include "alarms/alarm_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
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

// The numbers of a text in order ("4.26", "3", "0:00:58").
std::vector<std::string> numbers(const std::string& text) {
    static const std::regex number("[0-9]+(:[0-9]{2}:[0-9]{2}|\\.[0-9]+)?");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number);
         it != std::sregex_iterator(); ++it) {
        found.push_back(it->str());
    }
    return found;
}

struct Raise {
    const char* name;
    std::function<std::vector<Alarm>(AlarmMonitor&)> raise;
    std::string chinese;  // expected in full, or "" to check the rules only
};

TEST(AlarmText, EveryRaisedAlarmReadsInChineseWithItsNumbers) {
    const Raise cases[] = {
        {"cell-high",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.cells[2] = hundredths(426);
             return m.row(r, 1000);
         },
         "电芯 3 为 4.26 V（上限 4.25 V）"},
        {"cell-low",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.state = ChargeState::Discharging;
             r.cells[3] = hundredths(299);
             return m.row(r, 1000);
         },
         "电芯 4 为 2.99 V（下限 3.00 V）"},
        {"cell-spread",
         [](AlarmMonitor& m) {
             RowValues r = charging(60);
             r.cells[1] = hundredths(411);
             return m.row(r, 1000);
         },
         "电芯压差 0.11 V：电芯 2 为 4.11 V，电芯 1 为 4.00 V（上限 0.10 V）"},
        {"both temperatures",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.extTemperature = Decimal::fromInt(51);
             r.intTemperature = Decimal::fromInt(71);
             return m.row(r, 1000);
         },
         "外部温度 51 °C（上限 50 °C）；内部温度 71 °C（上限 70 °C）"},
        {"internal temperature",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.intTemperature = Decimal::fromInt(71);
             return m.row(r, 1000);
         },
         "内部温度 71 °C（上限 70 °C）"},
        {"input-low",
         [](AlarmMonitor& m) {
             RowValues r = charging(30);
             r.inputVoltage = hundredths(1099);
             return m.row(r, 1000);
         },
         "输入电压 10.99 V（下限 11.00 V）"},
        {"finished",
         [](AlarmMonitor& m) {
             m.row(charging(75), 1000);
             std::vector<Alarm> raised;
             for (std::uint32_t t = 2000; t <= 12000; t += 1000) {
                 for (const Alarm& a : m.messageDecoded(false, t)) {
                     raised.push_back(a);
                 }
             }
             return raised;
         },
         ""},
        {"stalled",
         [](AlarmMonitor& m) {
             RowValues r = charging(3600);
             r.state = ChargeState::Discharging;
             m.row(r, 1000);
             return m.tick(31000);
         },
         "放电进行中 30 秒没有新数据（最后一行在 1:00:00）"},
        {"lost, with the system's reason",
         [](AlarmMonitor& m) {
             m.row(charging(58), 1000);
             return m.linkLost("the device went away", 2000);
         },
         "充电中连接中断，最后一行在 0:00:58：the device went away"},
    };
    for (const Raise& c : cases) {
        SCOPED_TRACE(c.name);
        AlarmMonitor monitor;
        monitor.connected(0);
        const std::vector<Alarm> raised = c.raise(monitor);
        ASSERT_EQ(raised.size(), 1u);
        const std::string chinese = chineseAlarmText(raised[0].kind, raised[0].text);
        EXPECT_NE(chinese, raised[0].text);
        EXPECT_EQ(numbers(chinese), numbers(raised[0].text)) << chinese;
        if (!c.chinese.empty()) {
            EXPECT_EQ(chinese, c.chinese);
        }
        if (raised[0].kind != Kind::Lost) {
            // No English word is left over (units and the system's reason aside).
            EXPECT_FALSE(std::regex_search(chinese, std::regex("[A-Za-z]{2,}"))) << chinese;
        }
    }
}

// A text in no known form, or of another kind's form, comes back untouched.
TEST(AlarmText, UnknownWordingsStayAsTheyAre) {
    const struct {
        Kind kind;
        const char* text;
    } cases[] = {
        {Kind::CellHigh, "Cell 3 is on fire"},
        {Kind::CellHigh, "Input at 10.99 V (limit 11.00 V)"},
        {Kind::Temperature, "External temperature 51 °C (limit 50 °C); rain"},
        {Kind::Lost, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chineseAlarmText(c.kind, c.text), c.text);
    }
}

}  // namespace
}  // namespace cellwatch::alarms
