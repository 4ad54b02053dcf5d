// A charger of several channels on a real broker: each channel's recording
// under its own topics, the charger's status, start and raw once, a watcher
// of one channel taking that channel's resume; and the records of a charger
// whose start names its driver carrying their direction.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <vector>

#include "feed_watcher.h"
#include "net/publisher.h"

namespace cellwatch::net::channeltest {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;

MqttOptions optionsAt(const QString& address, bool reconnect) {
    MqttOptions o;
    o.address = parseBrokerAddress(address);
    o.reconnect = reconnect;
    return o;
}

// Every message under cellwatch/NAME/, by topic below it ("2/row").
class Topics {
public:
    Topics(const TestBroker& broker, const QString& name)
        : client_(optionsAt(broker.address(name), false)) {
        QObject::connect(
            &client_, &MqttClient::message,
            [this, name](const QString& topic, const QByteArray& payload) {
                got[topic.mid(QStringLiteral("cellwatch/%1/").arg(name).size())].push_back(payload);
            });
        client_.subscribe({QStringLiteral("cellwatch/%1/#").arg(name)});
        client_.start();
    }
    std::map<QString, std::vector<QByteArray>> got;

private:
    MqttClient client_;
};

RowValues rowOf(double volts) {
    RowValues row;
    row.wall = QDateTime::fromMSecsSinceEpoch(1'700'000'001'000, QTimeZone(3600));
    row.time = QStringLiteral("0:00:01");
    row.state = QStringLiteral("+CHG+");
    row.voltageV = volts;
    return row;
}

const CaptureStart kStart{1'700'000'000'000, 3600, 1000, "tkrx"};

TEST(Channels, RecordingsGoUnderTheirChannelAndTheChargersTopicsStayOnce) {
    struct Case {
        int channels;
        std::vector<QString> rowTopics;  // of channel 1's row, then channel 2's
    };
    const std::vector<Case> cases = {
        {1, {QStringLiteral("row")}},  // as ever: no channel level
        {2, {QStringLiteral("1/row"), QStringLiteral("2/row")}},
    };
    TestBroker broker;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("ch%1").arg(c.channels);
        Topics seen(broker, name);
        Publisher publisher(optionsAt(broker.address(name), true), false);
        publisher.setChannels(c.channels);
        publisher.setStart(kStart);
        publisher.start();
        ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));
        ASSERT_TRUE(waitUntil([&] { return seen.got.count(QStringLiteral("start")) == 1; }));
        const std::uint64_t dropped = publisher.dropped();
        publisher.row(rowOf(12.1), 1);
        publisher.row(rowOf(12.2), 2);  // dropped with one channel
        publisher.event(rowOf(0).wall, QStringLiteral("alarm"), QStringLiteral("cell-high"),
                        QStringLiteral("x"), c.channels);
        publisher.resume(ResumeState{}, c.channels);
        const std::vector<std::uint8_t> bytes{1, 2, 3};
        publisher.raw(5, 6, bytes);
        const QString leafOf = c.channels == 1 ? QString() : QStringLiteral("%1/").arg(c.channels);
        ASSERT_TRUE(
            waitUntil([&] { return seen.got.count(leafOf + QStringLiteral("resume")) == 1; }));
        ASSERT_TRUE(waitUntil([&] { return seen.got.count(QStringLiteral("raw")) == 1; }));
        for (std::size_t i = 0; i < c.rowTopics.size(); ++i) {
            ASSERT_EQ(seen.got[c.rowTopics[i]].size(), 1u) << c.rowTopics[i].toStdString();
            EXPECT_DOUBLE_EQ(parseRowJson(seen.got[c.rowTopics[i]][0])->voltageV,
                             12.1 + 0.1 * static_cast<double>(i));
        }
        EXPECT_EQ(seen.got.count(leafOf + QStringLiteral("event")), 1u) << c.channels;
        EXPECT_EQ(publisher.dropped() - dropped, c.channels == 1 ? 1u : 0u);
        // The charger's own topics, and nothing else.
        std::vector<QString> expected = c.rowTopics;
        for (const char* leaf : {"status", "start", "raw"}) {
            expected.push_back(QString::fromLatin1(leaf));
        }
        expected.push_back(leafOf + QStringLiteral("event"));
        expected.push_back(leafOf + QStringLiteral("resume"));
        std::vector<QString> topics;
        for (const auto& [topic, payloads] : seen.got) {
            topics.push_back(topic);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(topics, expected) << c.channels;
        publisher.finish();
    }
}

// The publisher publishes as the session would for a charger of two
// channels; a watcher of channel 2 takes channel 2's resume, not channel
// 1's, and the charger's one byte stream.
TEST(Channels, AWatcherOfOneChannelTakesThatChannelsResume) {
    TestBroker broker;
    Publisher publisher(optionsAt(broker.address(QStringLiteral("duo")), true), false);
    publisher.setChannels(2);
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));
    ResumeState first;
    first.connectionTicks = kStart.ticks;
    first.lastRow = QStringLiteral("channel 1");
    ResumeState second = first;
    second.lastRow = QStringLiteral("channel 2");
    publisher.resume(first, 1);
    publisher.resume(second, 2);
    publisher.setStart(kStart);

    nettest::Watcher watcher(
        optionsAt(broker.address(QStringLiteral("duo")) + QStringLiteral("/2"), false));
    RemoteFeed& feed = watcher.feed;
    ASSERT_TRUE(waitUntil([&] { return feed.running() && feed.resume().has_value(); }));
    EXPECT_EQ(feed.resume()->lastRow, QStringLiteral("channel 2"));
    const std::vector<std::uint8_t> bytes{0x7B, 9};
    publisher.raw(kStart.wallMs + 10, kStart.ticks + 10, bytes);
    ASSERT_TRUE(waitUntil([&] { return feed.recordsPlayed() == 1; }));
    EXPECT_EQ(watcher.played, bytes);

    // A lost line at the publisher, told on channel 2's events: the watch is lost.
    publisher.event(QDateTime::currentDateTime(), QStringLiteral("lost"), {}, {}, 2);
    EXPECT_TRUE(waitUntil([&] { return !watcher.lost.isEmpty(); }));
}

// Another driver's records say whether they went to the charger or came
// from it: a watcher decodes only what came; the first family's stay format
// 1's, without the requests.
TEST(Channels, ANamedDriversRecordsCarryTheirDirection) {
    struct Case {
        const char* driver;
        std::uint64_t played;
        std::uint64_t requests;
        qsizetype recordSize;  // of the received record of 2 bytes
    };
    const Case cases[] = {{"tkrx", 1, 0, 14 + 2}, {"multi8", 1, 1, 15 + 2}};
    TestBroker broker;
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.driver);
        CaptureStart start = kStart;
        start.driver = c.driver;
        Topics seen(broker, name);
        Publisher publisher(optionsAt(broker.address(name), true), false);
        publisher.setStart(start);
        publisher.start();
        nettest::Watcher watcher(optionsAt(broker.address(name), false));
        RemoteFeed& feed = watcher.feed;
        ASSERT_TRUE(waitUntil([&] { return feed.running(); })) << c.driver;
        const std::vector<std::uint8_t> request{0x0F, 0x03};
        const std::vector<std::uint8_t> answer{0x0F, 0x44};
        publisher.raw(kStart.wallMs + 1, kStart.ticks + 1, request, CaptureDirection::Sent);
        publisher.raw(kStart.wallMs + 2, kStart.ticks + 2, answer);
        ASSERT_TRUE(waitUntil([&] { return feed.recordsPlayed() == c.played; })) << c.driver;
        ASSERT_TRUE(waitUntil(
            [&] { return seen.got[QStringLiteral("raw")].size() == c.played + c.requests; }));
        EXPECT_EQ(feed.requestsSeen(), c.requests) << c.driver;
        EXPECT_EQ(watcher.played, answer) << c.driver;
        EXPECT_EQ(seen.got[QStringLiteral("raw")].back().size(), c.recordSize) << c.driver;
        publisher.finish();
    }
}

TEST(Channels, DiscoveryHasOneDeviceAndEntitiesPerChannel) {
    const BrokerAddress address = parseBrokerAddress(QStringLiteral("mqtt://h/bench.1"));
    struct Case {
        int channels;
        QString someId;
        QString itsTopic;
    };
    const Case cases[] = {
        {1, QStringLiteral("cellwatch_bench_1_voltage"), QStringLiteral("cellwatch/bench.1/row")},
        {2, QStringLiteral("cellwatch_bench_1_ch2_voltage"),
         QStringLiteral("cellwatch/bench.1/2/row")},
    };
    for (const Case& c : cases) {
        const auto configs = discoveryConfigs(address, c.channels);
        EXPECT_EQ(configs.size(), 20u * static_cast<std::size_t>(c.channels));
        QSet<QString> ids;
        QSet<QString> devices;
        for (const auto& [topic, json] : configs) {
            const QJsonObject o = QJsonDocument::fromJson(json).object();
            ids.insert(o[QStringLiteral("unique_id")].toString());
            devices.insert(
                o[QStringLiteral("device")].toObject()[QStringLiteral("identifiers")].toString());
            if (o[QStringLiteral("unique_id")].toString() == c.someId) {
                EXPECT_EQ(o[QStringLiteral("state_topic")].toString(), c.itsTopic);
            }
        }
        EXPECT_EQ(ids.size(), static_cast<qsizetype>(configs.size())) << "unique ids";
        EXPECT_TRUE(ids.contains(c.someId)) << c.someId.toStdString();
        EXPECT_EQ(devices.size(), 1) << "one device per charger";
    }
}

}  // namespace
}  // namespace cellwatch::net::channeltest
