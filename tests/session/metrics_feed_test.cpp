// What a scrape of a live session gets: each channel's latest reading,
// counts and age, also of a channel the driver brought after the feed
// began following the session.
#include <gtest/gtest.h>

#include "readout/row_store.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "session/metrics_feed.h"
#include "tests/session/pair_driver.h"

namespace cellwatch::session {
namespace {

TEST(MetricsFeed, EachChannelsLatestReadingCountsAndAge) {
    ManualTickClock ticks{5000};
    ManualWallClock wall{QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12))};
    RowStore rows;
    LiveSession session(SessionParts{rows, ticks, wall});
    MetricsFeed feed;
    feed.watch(session, "bench", [](int channel) { return channel == 2 ? "b" : ""; });
    session.setCharger(testing::pairDriverEntry());  // two channels from now on
    session.open(std::make_unique<FedSource>(QStringLiteral("charger"), true));
    for (const std::string lines :
         {"1,11.10,1.50,10\n2,7.40,0.80,5\n", "1,11.20,1.50,20\n2,7.50,0.80,6,4.30\n"}) {
        ticks.advance(1000);
        session.take({reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()});
    }
    ticks.advance(2500);
    session.sourceEvents().lost(QStringLiteral("gone"));

    const std::vector<ChargerMetrics> got = feed.metrics();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].charger, "bench");
    EXPECT_EQ(got[0].link, LinkState::Lost);
    ASSERT_EQ(got[0].channels.size(), 2u);
    const struct {
        const char* voltage;
        std::string pack;
        std::uint64_t cellHigh;
    } want[] = {{"11.2", "", 0}, {"7.5", "b", 1}};
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k + 1);
        const ChannelMetrics& c = got[0].channels[k];
        EXPECT_EQ(c.channel, static_cast<int>(k + 1));
        EXPECT_EQ(c.pack, want[k].pack);
        ASSERT_TRUE(c.latest.has_value());
        EXPECT_EQ(c.latest->voltage, Decimal::parse(want[k].voltage).value());
        EXPECT_EQ(c.rows, 2u);
        EXPECT_EQ(c.alarms[static_cast<std::size_t>(alarms::Kind::CellHigh)], want[k].cellHigh);
        EXPECT_EQ(c.alarms[static_cast<std::size_t>(alarms::Kind::Lost)], 1u);
        EXPECT_EQ(c.lastRowAgeSeconds, 2.5);
    }
}

}  // namespace
}  // namespace cellwatch::session
