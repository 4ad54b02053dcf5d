// A polled charger of two channels recorded by a session that publishes to
// a broker of the test's own, and watched there by another session: each
// channel under its own topics, the requests among the raw records, and a
// watcher of one channel recording that channel alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "net/publisher.h"
#include "readout/row_store.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "session/watch_source.h"
#include "test_broker.h"
#include "tests/session/pair_driver.h"

namespace cellwatch::session {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;

net::MqttOptions optionsAt(const QString& address) {
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(address);
    return o;
}

QStringList voltages(RowStore& rows) {
    QStringList out;
    for (int row = 1; row < rows.gridRowCount(); ++row) {
        out << rows.gridText(row, kFieldVoltage + 1);
    }
    return out;
}

TEST(ChannelPublishing, EachChannelGoesUnderItsTopicsAndAWatcherOfOneRecordsIt) {
    addDriver(testing::polledPairDriverEntry());  // for the watcher to find
    TestBroker broker;
    const QString address = broker.address(QStringLiteral("duo"));

    // Everything under cellwatch/duo/, by topic below it ("2/row").
    std::map<QString, QByteArrayList> got;
    net::MqttClient spy(optionsAt(address));
    QObject::connect(&spy, &net::MqttClient::message,
                     [&got](const QString& topic, const QByteArray& payload) {
                         got[topic.section(u'/', 2)].push_back(payload);
                     });
    spy.subscribe({QStringLiteral("cellwatch/duo/#")});
    spy.start();

    ManualTickClock ticks{5000};
    ManualWallClock wall{QDateTime::fromMSecsSinceEpoch(1'796'606'575'000)};
    RowStore rows;
    LiveSession charger{{rows, ticks, wall}};
    charger.setCharger(testing::polledPairDriverEntry());
    auto options = optionsAt(address);
    options.reconnect = true;
    net::Publisher publisher(options, false);
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected() && spy.isConnected(); }));
    charger.setPublisher(&publisher);

    ManualTickClock local;
    ManualWallClock localWall{QDateTime::fromMSecsSinceEpoch(1'796'606'575'000)};
    RowStore watchedRows;
    LiveSession watcher{{watchedRows, local, localWall}};
    watcher.alarmClock().hold();
    watcher.open(std::make_unique<WatchSource>(watcher.sourceEvents(),
                                               optionsAt(address + QStringLiteral("/2")), local));

    charger.open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
    ASSERT_TRUE(waitUntil([&] { return watcher.state() == LinkState::Connected; }));
    SourceEvents line = charger.sourceEvents();
    const auto receive = [&](const std::string& text) {
        ticks.advance(1000);
        wall.advance(1000);
        testing::deliver(line, text);
    };
    receive("1,12.10,1.0,10\n2,11.50,2.0,20\n");
    receive("2,11.60,2.0,30\n");

    auto* watch = dynamic_cast<WatchSource*>(watcher.source());
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        return watchedRows.dataRowCount() == 2 && watch->feed().requestsSeen() == 3 &&
               got[QStringLiteral("2/row")].size() == 2;
    }));
    EXPECT_EQ(watcher.channelCount(), 1);
    EXPECT_EQ(voltages(watchedRows), voltages(charger.rows(2)));
    EXPECT_EQ(voltages(watchedRows), (QStringList{"11.50", "11.60"}));
    const auto volts = [&](const QString& topic) {
        QStringList out;
        for (const QByteArray& payload : got[topic]) {
            const std::optional<net::RowValues> row = net::parseRowJson(payload);
            out << (row ? QString::number(row->voltageV, 'f', 2) : QStringLiteral("?"));
        }
        return out;
    };
    EXPECT_EQ(volts(QStringLiteral("1/row")), QStringList{"12.10"});
    EXPECT_EQ(volts(QStringLiteral("2/row")), (QStringList{"11.50", "11.60"}));
    EXPECT_EQ(got.count(QStringLiteral("row")), 0u);

    // The line lost: every channel's events say so, and the watcher is lost.
    line.lost(QStringLiteral("unplugged"));
    const auto saidLost = [&](const QString& topic) {
        return std::any_of(got[topic].begin(), got[topic].end(), [](const QByteArray& payload) {
            return payload.contains(R"("event":"lost")");
        });
    };
    EXPECT_TRUE(waitUntil([&] {
        return watcher.state() == LinkState::Lost && saidLost(QStringLiteral("1/event")) &&
               saidLost(QStringLiteral("2/event"));
    }));
    publisher.finish();
}

}  // namespace
}  // namespace cellwatch::session
