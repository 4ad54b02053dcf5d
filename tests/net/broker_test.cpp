// The client, the publisher and the watcher's feed against a real broker:
// retained status and start, a broker that goes away and comes back, and a
// watcher that meets a publisher's earlier run (the last will is seen
// through the network window).
#include <gtest/gtest.h>

#include <QTimeZone>
#include <algorithm>
#include <vector>

#include "feed_watcher.h"
#include "net/publisher.h"

namespace cellwatch::net {
namespace {

using nettest::Watcher;

using nettest::TestBroker;
using nettest::waitUntil;

MqttOptions optionsAt(const QString& address, bool reconnect = true) {
    MqttOptions o;
    o.address = parseBrokerAddress(address);
    o.reconnect = reconnect;
    return o;
}

MqttOptions optionsFor(const TestBroker& broker, const QString& name, bool reconnect = true) {
    return optionsAt(broker.address(name), reconnect);
}

// Everything published under a charger's topics.
class Subscriber {
public:
    Subscriber(const TestBroker& broker, const QString& name)
        : client_(optionsFor(broker, name, false)) {
        QObject::connect(&client_, &MqttClient::message,
                         [this](const QString& topic, const QByteArray& payload) {
                             got.emplace_back(topic.section(u'/', -1), payload);
                         });
        client_.subscribe({QStringLiteral("cellwatch/%1/#").arg(name)});
        client_.start();
    }
    bool has(const QString& leaf, const QByteArray& payload) const {
        return std::find(got.begin(), got.end(), std::pair(leaf, payload)) != got.end();
    }
    int count(const QString& leaf) const {
        return static_cast<int>(
            std::count_if(got.begin(), got.end(), [&](const auto& m) { return m.first == leaf; }));
    }
    std::vector<std::pair<QString, QByteArray>> got;

private:
    MqttClient client_;
};

const CaptureStart kStartA{1'700'000'000'000, 3600, 1000};
const CaptureStart kStartB{1'700'000'600'000, 3600, 601000};

TEST(Broker, StatusAndStartAreRetainedAndACleanEndSaysOffline) {
    TestBroker broker;
    Publisher publisher(optionsFor(broker, QStringLiteral("p1")), false);
    publisher.setStart(kStartA);  // before the connection: published once it stands
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));

    Subscriber late(broker, QStringLiteral("p1"));  // comes after: sees the retained ones
    ASSERT_TRUE(waitUntil([&] { return late.has(QStringLiteral("start"), startBytes(kStartA)); }));
    EXPECT_TRUE(late.has(QStringLiteral("status"), kOnline));

    const std::vector<std::uint8_t> bytes{0x7B, 1, 2};
    publisher.raw(5, 6, bytes);
    ASSERT_TRUE(waitUntil([&] { return late.count(QStringLiteral("raw")) == 1; }));
    EXPECT_TRUE(late.has(QStringLiteral("raw"), recordBytes(5, 6, bytes)));

    publisher.finish();
    EXPECT_TRUE(waitUntil([&] { return late.has(QStringLiteral("status"), kOffline); }));
    Subscriber after(broker, QStringLiteral("p1"));
    ASSERT_TRUE(waitUntil([&] { return after.count(QStringLiteral("start")) == 1; }));
    EXPECT_TRUE(after.has(QStringLiteral("status"), kOffline));
    EXPECT_FALSE(after.has(QStringLiteral("status"), kOnline));
    EXPECT_EQ(after.count(QStringLiteral("raw")), 0) << "raw records are not retained";
}

TEST(Broker, PublishingGoesOnWhileTheBrokerIsAwayAndResumesWhenItIsBack) {
    TestBroker broker;
    Publisher publisher(optionsFor(broker, QStringLiteral("p3")), false);
    QStringList notices;
    QObject::connect(&publisher, &Publisher::notice, [&](const QString& text) { notices << text; });
    std::vector<BrokerNotice> told;  // each notice's kind and figures, for a window
    QObject::connect(&publisher, &Publisher::noticed,
                     [&](const BrokerNotice& n) { told.push_back(n); });
    publisher.setStart(kStartA);
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));

    broker.stop();
    ASSERT_TRUE(waitUntil([&] { return !publisher.client().isConnected(); }));
    ASSERT_FALSE(notices.isEmpty());
    EXPECT_TRUE(notices.last().startsWith(QStringLiteral("lost the broker 127.0.0.1:")))
        << notices.last().toStdString();
    EXPECT_TRUE(notices.last().contains(QStringLiteral("trying again in 1 s")));
    EXPECT_FALSE(notices.last().contains(QStringLiteral(".;"))) << notices.last().toStdString();
    ASSERT_EQ(told.size(), static_cast<std::size_t>(notices.size()));
    EXPECT_EQ(told.back().kind, BrokerNotice::Kind::Lost);
    EXPECT_EQ(told.back().seconds, 1);
    EXPECT_EQ(brokerNoticeLine(told.back()), notices.last());

    // While away every message is dropped at once, none is kept for later.
    const std::uint64_t dropped = publisher.dropped();
    const std::vector<std::uint8_t> bytes(112, 0x80);
    for (int i = 0; i < 1000; ++i) {
        publisher.raw(i, static_cast<std::uint32_t>(i), bytes);
    }
    EXPECT_EQ(publisher.dropped(), dropped + 1000);

    broker.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }, 40000));
    EXPECT_TRUE(notices.last().startsWith(QStringLiteral("connected to the broker")));
    EXPECT_EQ(told.back().kind, BrokerNotice::Kind::Connected);
    // The new broker knows nothing: status and start are published again.
    Subscriber after(broker, QStringLiteral("p3"));
    ASSERT_TRUE(waitUntil([&] { return after.has(QStringLiteral("start"), startBytes(kStartA)); }));
    EXPECT_TRUE(after.has(QStringLiteral("status"), kOnline));
    EXPECT_EQ(after.count(QStringLiteral("raw")), 0);
}

TEST(Broker, ABrokerThatIsNotThereIsTriedAgainWithLongerWaits) {
    EXPECT_EQ(MqttClient::retryDelayMs(1), 1000);
    EXPECT_EQ(MqttClient::retryDelayMs(2), 2000);
    EXPECT_EQ(MqttClient::retryDelayMs(5), 16000);
    EXPECT_EQ(MqttClient::retryDelayMs(6), 30000);
    EXPECT_EQ(MqttClient::retryDelayMs(1000), 30000);

    // A name is looked up first (a broker that is not there is said so
    // through the network tool); one that does not resolve is said so.
    MqttClient lost(optionsAt(QStringLiteral("mqtt://nowhere.invalid/x"), false));
    QString lostWhy;
    QObject::connect(&lost, &MqttClient::lost, [&](const QString& w) { lostWhy = w; });
    lost.start();
    ASSERT_TRUE(waitUntil([&] { return !lostWhy.isEmpty(); }, 30000));
    EXPECT_TRUE(lostWhy.contains(QStringLiteral("cannot find the host"))) << lostWhy.toStdString();

    // One that does reaches the broker.
    TestBroker broker;
    MqttClient found(optionsAt(QStringLiteral("mqtt://localhost:%1/x").arg(broker.port())));
    found.start();
    EXPECT_TRUE(waitUntil([&] { return found.isConnected(); }));
}

TEST(Broker, TheWatcherSkipsAnEarlierRunAndFollowsThePublisherThatRestarts) {
    TestBroker broker;
    {
        Publisher earlier(optionsFor(broker, QStringLiteral("p4")), false);
        earlier.setStart(kStartA);
        earlier.start();
        ASSERT_TRUE(waitUntil([&] { return earlier.client().isConnected(); }));
        earlier.finish();  // leaves start A and "offline" retained
    }

    Watcher watcher(optionsFor(broker, QStringLiteral("p4"), false));
    ASSERT_TRUE(waitUntil([&] { return watcher.client.isConnected(); }));

    Publisher again(optionsFor(broker, QStringLiteral("p4")), false);
    again.setStart(kStartB);
    again.start();
    ASSERT_TRUE(waitUntil([&] { return !watcher.starts.empty(); }));
    ASSERT_EQ(watcher.starts.size(), 1u);
    EXPECT_EQ(watcher.starts[0].wallMs, kStartB.wallMs) << "the earlier run's start was played";
    EXPECT_EQ(watcher.ticksAtStart, std::vector<std::uint32_t>{kStartB.ticks});
    EXPECT_EQ(watcher.wall, QDateTime::fromMSecsSinceEpoch(kStartB.wallMs, QTimeZone(3600)));

    // A message of the 112-byte layout, in two receive events; a malformed
    // record between them is skipped with a word.
    std::vector<std::uint8_t> message(112, 0x80);
    message[0] = 0x7B;
    std::vector<std::uint8_t> next{0x7B};
    again.raw(kStartB.wallMs + 1000, kStartB.ticks + 1000, std::span(message).first(60));
    again.client().publish(QStringLiteral("cellwatch/p4/raw"), QByteArray("short"), 1, false);
    again.raw(kStartB.wallMs + 1100, kStartB.ticks + 1100, std::span(message).subspan(60));
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.recordsPlayed() == 2; }));
    again.raw(kStartB.wallMs + 1200, kStartB.ticks + 1200, next);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.recordsPlayed() == 3; }));
    EXPECT_EQ(watcher.frames.ticks, (std::vector<std::uint32_t>{kStartB.ticks + 1000}));
    ASSERT_EQ(watcher.problems.size(), 1);
    EXPECT_TRUE(watcher.problems[0].contains(QStringLiteral("raw record of 5 bytes")));
    EXPECT_EQ(watcher.ticks.tickCount(), kStartB.ticks + 1200);

    EXPECT_TRUE(watcher.lost.isEmpty());
    again.finish();
    ASSERT_TRUE(waitUntil([&] { return !watcher.lost.isEmpty(); }));
    EXPECT_EQ(watcher.lost, QStringList{QStringLiteral("the charger went offline")});
}

TEST(Broker, TheWatcherLosesTheLinkWithTheBroker) {
    TestBroker broker;
    Publisher publisher(optionsFor(broker, QStringLiteral("p5")), false);
    publisher.setStart(kStartA);
    publisher.start();
    Watcher watcher(optionsFor(broker, QStringLiteral("p5"), false));
    QStringList& lost = watcher.lost;
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.running(); }));
    broker.kill();  // gone at once, without publishing the wills
    ASSERT_TRUE(waitUntil([&] { return !lost.isEmpty(); }));
    EXPECT_TRUE(lost[0].startsWith(QStringLiteral("the broker went away")))
        << lost[0].toStdString();
    EXPECT_TRUE(waitUntil([&] { return !watcher.client.isConnected(); }));
    EXPECT_EQ(lost.size(), 1);
}

}  // namespace
}  // namespace cellwatch::net
