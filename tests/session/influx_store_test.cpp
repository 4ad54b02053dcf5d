// A two-channel recording written into real time-series databases started
// by the test, and read back with the servers' own query interfaces.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <functional>
#include <memory>

#include "net/influx_target.h"
#include "net/influx_writer.h"
#include "readout/row_store.h"
#include "session/fed_source.h"
#include "session/influx_feed.h"
#include "session/live_session.h"
#include "test_databases.h"
#include "tests/session/pair_driver.h"
#include "tests/support/event_wait.h"

namespace cellwatch::session {
namespace {

using nettest::TestDatabase;
using nettest::TestInfluxd;
using nettest::TestVictoria;

struct Server {
    const char* name;
    std::function<bool()> installed;
    std::function<std::unique_ptr<TestDatabase>()> make;
};

const Server kServers[] = {
    {"influxd", TestInfluxd::installed, [] { return std::make_unique<TestInfluxd>(); }},
    {"victoria-metrics", TestVictoria::installed, [] { return std::make_unique<TestVictoria>(); }},
};

// A charger of two channels fed by hand, its rows going to `address`.
class Recorder {
public:
    explicit Recorder(const QString& address, QByteArray auth = {}) {
        net::InfluxWriter::Limits limits;
        limits.batchLines = 100;
        limits.firstRetryMs = 100;
        limits.mostRetryMs = 400;
        limits.mostTries = 1000;
        writer = std::make_unique<net::InfluxWriter>(net::parseInfluxAddress(address),
                                                     std::move(auth), limits);
        session.setCharger(testing::pairDriverEntry());
        feed = std::make_unique<InfluxFeed>(session, *writer, QStringLiteral("bay 1"));
        QObject::connect(&session, &LiveSession::channelRowAppended,
                         [this](int channel, int) { ++rows[channel == 1 ? 0 : 1]; });
        session.open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
    }
    // `count` readings of each channel, a second apart.
    void record(int count) {
        for (int i = 0; i < count; ++i) {
            ticks.advance(1000);
            wall.advance(1000);
            const std::string lines = "1,11.10,1.50," + std::to_string(10 + i) + "\n2,7.40,0.80," +
                                      std::to_string(5 + i) + "\n";
            session.take({reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()});
        }
    }

    ManualTickClock ticks{5000};
    ManualWallClock wall{QDateTime::currentDateTime().addSecs(-3600)};
    RowStore store;
    LiveSession session{SessionParts{store, ticks, wall}};
    std::unique_ptr<net::InfluxWriter> writer;
    std::unique_ptr<InfluxFeed> feed;
    long long rows[2] = {0, 0};
};

// Every row written is stored, per channel; a server stopped mid-run and
// started again gets the rows recorded while it was away.
TEST(InfluxStore, EveryRowOfEveryChannelIsStoredAlsoAcrossARestart) {
    for (const Server& server : kServers) {
        SCOPED_TRACE(server.name);
        if (!server.installed()) {
            GTEST_SKIP() << server.name << " is not installed (scripts/setup --dev installs it)";
        }
        const std::unique_ptr<TestDatabase> db = server.make();
        Recorder recorder(db->writeAddress());
        QSignalSpy notices(recorder.writer.get(), &net::InfluxWriter::notice);
        recorder.record(250);
        ASSERT_TRUE(testing::waitUntil([&] { return recorder.writer->idle(); }, 60000));

        db->stop();
        recorder.record(150);  // queued while the server is away
        ASSERT_TRUE(testing::waitUntil(
            [&] { return recorder.writer->state() == net::InfluxWriter::State::Unreachable; },
            60000));
        db->start();
        ASSERT_TRUE(recorder.writer->finish(120000));

        EXPECT_EQ(recorder.rows[0], 400);
        EXPECT_EQ(recorder.rows[1], 400);
        EXPECT_EQ(recorder.writer->dropped(), 0u);
        EXPECT_EQ(db->rowsStored(1), recorder.rows[0]);
        EXPECT_EQ(db->rowsStored(2), recorder.rows[1]);
        QStringList said;
        for (const auto& n : notices) {
            said << n.at(0).toString();
        }
        EXPECT_TRUE(said.join('\n').contains(QLatin1String("takes rows again")))
            << said.join('\n').toStdString();
    }
}

// A wrong token is said once, clearly, and the rows are dropped rather
// than kept for ever.
TEST(InfluxStore, AWrongTokenIsSaidClearly) {
    if (!TestInfluxd::installed()) {
        GTEST_SKIP() << "influxd is not installed (scripts/setup --dev installs it)";
    }
    TestInfluxd db(true);
    Recorder recorder(db.writeAddress(), "Token not-the-token");
    QSignalSpy notices(recorder.writer.get(), &net::InfluxWriter::notice);
    recorder.record(120);
    EXPECT_TRUE(recorder.writer->finish(60000));  // nothing is kept waiting
    EXPECT_EQ(recorder.writer->delivered(), 0u);
    EXPECT_EQ(recorder.writer->refused(), recorder.feed->rowsSent() + recorder.feed->alarmsSent());
    EXPECT_EQ(recorder.feed->rowsSent(), 240u);
    ASSERT_GE(notices.count(), 1);
    const QString first = notices.front().at(0).toString();
    EXPECT_TRUE(first.contains(QLatin1String("401"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QLatin1String("--influx-auth"))) << first.toStdString();
    EXPECT_EQ(db.rowsStored(1), 0);
}

}  // namespace
}  // namespace cellwatch::session
