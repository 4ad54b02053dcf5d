// A charger watched on a broker through the live session: the watcher runs
// the alarms on its own clock, so a charger that stalls or a publisher that
// goes away raises its alarm in the watcher too, and a charger the broker
// has never seen is said to be missing while the watch goes on waiting.
#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "alarms/alarm_monitor.h"
#include "net/publisher.h"
#include "readout/row_store.h"
#include "session/live_session.h"
#include "session/watch_source.h"
#include "test_broker.h"
#include "tests/support/charger_readings.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::session {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;

// A watcher's session on a broker, and a publisher feeding it by hand on
// clocks of the test's own.
class WatchSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&session, &LiveSession::alarmRaised, [this](const alarms::Alarm& a) {
            kinds << QString::fromUtf8(alarms::kindName(a.kind));
        });
        QObject::connect(&session, &LiveSession::notice,
                         [this](const QString& text) { notices << text; });
        session.alarmClock().hold();
    }

    std::unique_ptr<WatchSource> watchSource(const QString& name) {
        net::MqttOptions options;
        options.address = net::parseBrokerAddress(broker.address(name));
        return std::make_unique<WatchSource>(session.sourceEvents(), options, local);
    }
    void startPublishing(const QString& name) {
        net::MqttOptions options;
        options.address = net::parseBrokerAddress(broker.address(name));
        publisher = std::make_unique<net::Publisher>(options, false);
        publisher->start();
        ASSERT_TRUE(waitUntil([&] { return publisher->client().isConnected(); }));
        publisher->setStart({kWallMs, 0, kStartTicks});
    }
    // One message of the charge, a second after the one before on the
    // publisher's clock.
    void publishRow(int k) {
        publisherMs += 1000;
        const std::vector<std::uint8_t> bytes =
            emulator::encodeStatus(testing::charging(k), FrameLayout::Long112);
        publisher->raw(kWallMs + publisherMs, kStartTicks + static_cast<std::uint32_t>(publisherMs),
                       bytes);
    }
    // Steps the held alarm clock once the local clock moved on by `ms`.
    void passLocally(std::uint32_t ms) {
        local.set(local.tickCount() + ms);
        session.alarmClock().step();
    }

    static constexpr std::int64_t kWallMs = 1796606575000;
    static constexpr std::uint32_t kStartTicks = 500000;

    TestBroker broker;
    ManualTickClock local;
    ManualWallClock wall{QDateTime::fromMSecsSinceEpoch(kWallMs)};
    RowStore rows;
    LiveSession session{{rows, local, wall}};
    std::unique_ptr<net::Publisher> publisher;
    std::int64_t publisherMs = 0;
    QStringList kinds;
    QStringList notices;
};

// Rows stop coming while the charge runs: 30 s later on the watcher's own
// clock it raises `stalled`, as the publisher does; the publisher's clean
// end then is `lost`. Each rule raises once.
TEST_F(WatchSessionTest, AStalledChargerAndALostPublisherRaiseTheirAlarmsInTheWatcher) {
    startPublishing(QStringLiteral("bay"));
    session.open(watchSource(QStringLiteral("bay")));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Connected; }));
    for (int k = 1; k <= 3; ++k) {
        publishRow(k);
        ASSERT_TRUE(waitUntil([&] { return rows.dataRowCount() == static_cast<std::size_t>(k); }));
    }
    passLocally(10000);
    EXPECT_TRUE(kinds.isEmpty()) << kinds.join(u' ').toStdString();
    passLocally(21000);  // 31 s without a row
    EXPECT_EQ(kinds, QStringList{QStringLiteral("stalled")});
    passLocally(5000);
    EXPECT_EQ(kinds.size(), 1);

    publisher->finish();  // "offline"
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Lost; }));
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("stalled"), QStringLiteral("lost")}));
}

// The publisher's own line is lost (its adapter pulled) while it stays on
// the broker, as a window that publishes does: the watcher's link is lost.
TEST_F(WatchSessionTest, ThePublishersLostLineIsTheWatchersLinkLost) {
    startPublishing(QStringLiteral("win"));
    session.open(watchSource(QStringLiteral("win")));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Connected; }));
    publishRow(1);
    ASSERT_TRUE(waitUntil([&] { return rows.dataRowCount() == 1; }));
    QString why;
    QObject::connect(&session, &LiveSession::lost, [&](const QString& text) { why = text; });
    publisher->event(QDateTime::fromMSecsSinceEpoch(kWallMs + 2000), QStringLiteral("lost"));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Lost; }));
    EXPECT_EQ(why, QStringLiteral("the charger's line was lost at the publisher"));
    EXPECT_EQ(kinds, QStringList{QStringLiteral("lost")});
    EXPECT_TRUE(publisher->client().isConnected());
}

// Joining late, after the publisher's pause rule began a new recording (so
// the recording began after its connection): the watcher takes up that
// recording, its last row and its time base, and its time axis spans the
// recording, not the ticks back to the connection's start.
TEST_F(WatchSessionTest, ALateWatcherTakesUpTheRecordingWhereItStands) {
    startPublishing(QStringLiteral("late"));
    net::ResumeState resume;
    resume.connectionTicks = kStartTicks;
    resume.connectTicks = kStartTicks + 60000;
    resume.beganMs = kWallMs + 60000;
    resume.beganTicks = kStartTicks + 60000;
    const QString lastRow = QStringLiteral(
        "0:00:05\tLiIo/Po/Fe\t+CHG+\t25\t30\t12.00\t11.05\t1.55\t50\t17.13\t3.82\t3.82\t3.82\t0"
        "\t0\t0\t0\t0\t0\t0\t0\t0");
    resume.lastRow = lastRow;
    publisher->resume(resume);
    session.open(watchSource(QStringLiteral("late")));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Connected; }));
    EXPECT_EQ(session.recording().connectTicks(), kStartTicks + 60000);
    ASSERT_EQ(rows.dataRowCount(), 1u);
    QStringList texts;
    for (int column = 1; column < kTableColumnCount; ++column) {
        texts << rows.gridText(1, column);
    }
    EXPECT_EQ(texts.join(u'\t'), lastRow);
    EXPECT_LT(session.recording().timeAxisDays(), 0.01);

    // The next message, a second after that row: the publisher's own time.
    publisherMs = 65000;
    publishRow(6);
    ASSERT_TRUE(waitUntil([&] { return rows.dataRowCount() == 2; }));
    EXPECT_EQ(rows.gridText(2, 1), QStringLiteral("0:00:06"));
    EXPECT_LT(session.recording().timeAxisDays(), 0.01);
}

// Joining while the charger has stalled: the watcher's clocks go on from the
// publisher's last row (20 s before it joined), so stalled comes 30 s after
// that row, and the publisher's end is `lost`, as for a watcher there from
// the start.
TEST_F(WatchSessionTest, AWatcherThatJoinsDuringAStallGoesOnFromThePublishersLastRow) {
    startPublishing(QStringLiteral("stall"));
    net::ResumeState resume;
    resume.connectionTicks = resume.connectTicks = resume.beganTicks = kStartTicks;
    resume.beganMs = kWallMs;
    resume.lastRow = QStringLiteral(
        "0:00:05\tLiIo/Po/Fe\t+CHG+\t25\t30\t12.00\t11.05\t1.55\t50\t17.13\t3.82\t3.82\t3.82\t0"
        "\t0\t0\t0\t0\t0\t0\t0\t0");
    resume.rowTicks = kStartTicks + 5000;
    resume.rowMs = kWallMs + 5000;
    publisher->resume(resume);
    std::unique_ptr<WatchSource> source = watchSource(QStringLiteral("stall"));
    source->feed().setClock([] { return kWallMs + 25000; });
    session.open(std::move(source));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Connected; }));
    passLocally(9000);  // 29 s after the row
    EXPECT_TRUE(kinds.isEmpty()) << kinds.join(u' ').toStdString();
    passLocally(1000);
    EXPECT_EQ(kinds, QStringList{QStringLiteral("stalled")});

    publisher->finish();
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Lost; }));
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("stalled"), QStringLiteral("lost")}));
}

// A charger the broker has never seen: the watch says so and keeps
// waiting; once the charger begins, the watch records it.
TEST_F(WatchSessionTest, AnUnknownChargerIsSaidToBeMissingAndWaitedFor) {
    std::unique_ptr<WatchSource> source = watchSource(QStringLiteral("ghost"));
    source->absentTimer().setInterval(1);  // instead of WatchSource::kAbsentNoticeMs
    session.open(std::move(source));
    ASSERT_TRUE(waitUntil([&] { return !notices.isEmpty(); }));
    EXPECT_EQ(notices.last(),
              QStringLiteral("no charger ghost on 127.0.0.1:%1: waiting").arg(broker.port()));
    EXPECT_EQ(session.state(), LinkState::Connecting);

    startPublishing(QStringLiteral("ghost"));
    ASSERT_TRUE(waitUntil([&] { return session.state() == LinkState::Connected; }));
    publishRow(1);
    ASSERT_TRUE(waitUntil([&] { return rows.dataRowCount() == 1; }));
}

}  // namespace
}  // namespace cellwatch::session
