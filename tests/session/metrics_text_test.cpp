// The metrics a scrape reads: which samples a charger's latest readings
// make, which they leave out, and label values that need escaping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/metrics_text.h"
#include "tests/support/made_reading.h"

namespace cellwatch::session {
namespace {

using testing::dec;

// Channel 1 charging a 3S pack with every value reported; channel 2
// discharging, without temperatures, input voltage or power.
ChargerMetrics twoChannels() {
    Reading one = testing::madeReading("LiIo/Po/Fe", "+CHG+", 25, 31, "15.10", "12.40", "1.50",
                                       1234, {"4.13", "4.14", "4.13"});
    one.cellCount = 12;  // nine empty slots at 0 V
    one.packResistance = dec("12.5");
    one.cellResistance[0] = dec("3.2");
    one.energy = dec("2.5");
    Reading two;
    two.channel = 2;
    two.voltage = dec("7.5");
    two.current = dec("-0.8");
    two.capacity = dec("10.25");
    ChargerMetrics c;
    c.charger = "duo";
    c.link = LinkState::Connected;
    ChannelMetrics first;
    first.channel = 1;
    first.pack = "lipo-3s";
    first.latest = one;
    first.alarms[static_cast<std::size_t>(alarms::Kind::CellHigh)] = 2;
    first.rows = 10;
    first.lastRowAgeSeconds = 1.5;
    ChannelMetrics second;
    second.channel = 2;
    second.latest = two;
    second.rows = 3;
    c.channels = {first, second};
    return c;
}

TEST(MetricsText, SamplesOfWhatTheChargerReportsOnly) {
    ChargerMetrics idle = twoChannels();
    idle.link = LinkState::Lost;
    idle.channels[1].latest.reset();
    idle.channels[1].rows = 0;
    ChargerMetrics quoted = twoChannels();
    quoted.charger = "club \"east\"\\bench\nB";
    quoted.channels.resize(1);
    quoted.channels[0].pack = "a\\b";
    const struct {
        const char* name;
        ChargerMetrics charger;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        {"two channels",
         twoChannels(),
         {
             "# HELP cellwatch_voltage_volts The pack's voltage.",
             "# TYPE cellwatch_voltage_volts gauge",
             R"(cellwatch_voltage_volts{charger="duo",channel="1",pack="lipo-3s"} 12.4)",
             R"(cellwatch_voltage_volts{charger="duo",channel="2"} 7.5)",
             R"(cellwatch_current_amperes{charger="duo",channel="2"} -0.8)",
             R"(cellwatch_capacity_coulombs{charger="duo",channel="1",pack="lipo-3s"} 4442.4)",
             R"(cellwatch_capacity_coulombs{charger="duo",channel="2"} 36.9)",
             R"(cellwatch_energy_joules{charger="duo",channel="1",pack="lipo-3s"} 9000)",
             R"(cellwatch_resistance_ohms{charger="duo",channel="1",pack="lipo-3s"} 0.0125)",
             R"(cellwatch_temperature_celsius{charger="duo",channel="1",pack="lipo-3s",sensor="external"} 25)",
             R"(cellwatch_temperature_celsius{charger="duo",channel="1",pack="lipo-3s",sensor="internal"} 31)",
             R"(cellwatch_input_voltage_volts{charger="duo",channel="1",pack="lipo-3s"} 15.1)",
             R"(cellwatch_cell_voltage_volts{charger="duo",channel="1",pack="lipo-3s",cell="3"} 4.13)",
             R"(cellwatch_cell_resistance_ohms{charger="duo",channel="1",pack="lipo-3s",cell="1"} 0.0032)",
             "# TYPE cellwatch_link_up gauge",
             R"(cellwatch_link_up{charger="duo"} 1)",
             R"(cellwatch_link_state{charger="duo",state="connected"} 1)",
             R"(cellwatch_link_state{charger="duo",state="lost"} 0)",
             "# TYPE cellwatch_alarms_total counter",
             R"(cellwatch_alarms_total{charger="duo",channel="1",pack="lipo-3s",kind="cell-high"} 2)",
             R"(cellwatch_alarms_total{charger="duo",channel="2",kind="lost"} 0)",
             R"(cellwatch_rows_total{charger="duo",channel="2"} 3)",
             R"(cellwatch_last_row_age_seconds{charger="duo",channel="1",pack="lipo-3s"} 1.5)",
         },
         {
             // empty cell slots, values channel 2 does not report
             R"(cell="4")",
             R"(cellwatch_temperature_celsius{charger="duo",channel="2")",
             R"(cellwatch_input_voltage_volts{charger="duo",channel="2")",
             R"(cellwatch_power_watts{charger="duo",channel="2")",
             R"(cellwatch_resistance_ohms{charger="duo",channel="2")",
             R"(cellwatch_last_row_age_seconds{charger="duo",channel="2")",
         }},
        {"a channel without a reading yet, the link lost",
         idle,
         {
             R"(cellwatch_link_up{charger="duo"} 0)",
             R"(cellwatch_link_state{charger="duo",state="lost"} 1)",
             R"(cellwatch_rows_total{charger="duo",channel="2"} 0)",
         },
         {R"(cellwatch_voltage_volts{charger="duo",channel="2")",
          R"(cellwatch_current_amperes{charger="duo",channel="2")"}},
        {"label values with a backslash, a quote and a newline",
         quoted,
         {R"(cellwatch_voltage_volts{charger="club \"east\"\\bench\nB",channel="1",pack="a\\b"} 12.4)"},
         {"bench\nB"}},
        {"no charger", {}, {}, {"cellwatch"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ChargerMetrics> chargers =
            c.charger.channels.empty() && c.charger.charger.empty()
                ? std::vector<ChargerMetrics>{}
                : std::vector<ChargerMetrics>{c.charger};
        const std::string text = metricsText(chargers);
        for (const std::string& line : c.present) {
            EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << "\nin\n" << text;
        }
        for (const std::string& part : c.absent) {
            EXPECT_EQ(text.find(part), std::string::npos) << part << "\nin\n" << text;
        }
    }
}

}  // namespace
}  // namespace cellwatch::session
