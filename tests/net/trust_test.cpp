// Who speaks for a charger: a broker whose access list lets only the
// publisher's user write its topics, and a key shared by the publisher and
// its watchers, against a forger who can publish on the broker.
#include <gtest/gtest.h>

#include <QTimeZone>
#include <memory>
#include <vector>

#include "feed_watcher.h"
#include "net/publisher.h"
#include "net/remote_feed.h"

namespace cellwatch::net {
namespace {

using nettest::Watcher;

using nettest::TestBroker;
using nettest::waitUntil;

const CaptureStart kStart{1'700'000'000'000, 3600, 1000};
const CaptureStart kForgedStart{1'700'000'900'000, 3600, 9000};
const QByteArray kKey = QByteArrayLiteral("0123456789abcdef0123456789abcdef");

MqttOptions trustOptions(const QString& address, const QString& password = {}) {
    MqttOptions o;
    o.address = parseBrokerAddress(address);
    o.password = password;
    o.reconnect = false;
    return o;
}

// Publishes `payload` on `topic` and waits for the broker's acknowledgement:
// whatever the broker passes on of it has been passed on when the publisher
// publishes next.
void forge(MqttClient& forger, const QString& topic, const QByteArray& payload, bool retain) {
    ASSERT_TRUE(forger.publish(topic, payload, 1, retain));
    ASSERT_TRUE(waitUntil([&] { return forger.backlog() == 0; }));
}

std::vector<std::uint8_t> message112() {
    std::vector<std::uint8_t> m(112, 0x80);
    m[0] = 0x7B;
    return m;
}

// Where a recording on `start` stands, as the session publishes it with
// every start and row.
ResumeState resumeOf(const CaptureStart& start) {
    ResumeState r;
    r.connectionTicks = start.ticks;
    r.connectTicks = start.ticks;
    r.beganMs = start.wallMs;
    r.beganTicks = start.ticks;
    return r;
}

// `client` started, once it is connected.
bool connected(MqttClient& client) {
    client.start();
    return waitUntil([&] { return client.isConnected(); });
}

// A listener that keeps everything published under `topic`.
struct Recorder {
    Recorder(const QString& address, const QString& topic) : client(trustOptions(address)) {
        QObject::connect(&client, &MqttClient::message,
                         [this](const QString& t, const QByteArray& payload) {
                             heard.emplace_back(t, payload);
                         });
        client.subscribe({topic});
    }
    MqttClient client;
    std::vector<std::pair<QString, QByteArray>> heard;
};

// A publisher signing with `key`, its recording on `start`, connected.
std::unique_ptr<Publisher> signedPublisher(const QString& address, const CaptureStart& start,
                                           const QByteArray& key = kKey) {
    auto publisher = std::make_unique<Publisher>(trustOptions(address), false, key);
    publisher->setStart(start);
    publisher->resume(resumeOf(start));
    publisher->start();
    EXPECT_TRUE(waitUntil([&] { return publisher->client().isConnected(); }));
    return publisher;
}

TEST(Trust, WithTheAccessListOnlyThePublishersUserWritesTheChargersTopics) {
    TestBroker broker(
        TestBroker::Access{{{QStringLiteral("bench"), QStringLiteral("pub-secret")},
                            {QStringLiteral("viewer"), QStringLiteral("view-secret")}},
                           QStringLiteral("user bench\ntopic readwrite cellwatch/bench1/#\n\n"
                                          "user viewer\ntopic read cellwatch/#\n")});
    Publisher publisher(
        trustOptions(broker.address(QStringLiteral("bench1"), QStringLiteral("bench")),
                     QStringLiteral("pub-secret")),
        false);
    publisher.setStart(kStart);
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));

    const MqttOptions viewer =
        trustOptions(broker.address(QStringLiteral("bench1"), QStringLiteral("viewer")),
                     QStringLiteral("view-secret"));
    Watcher watcher(viewer);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.running(); }));

    // The viewer's login is the forger's: it may read, and writes nothing.
    MqttClient forger(viewer);
    ASSERT_TRUE(connected(forger));
    const std::vector<std::uint8_t> frame = message112();
    forge(forger, QStringLiteral("cellwatch/bench1/raw"),
          recordBytes(kStart.wallMs + 500, kStart.ticks + 500, frame), false);
    forge(forger, QStringLiteral("cellwatch/bench1/start"), startBytes(kForgedStart), true);
    forge(forger, QStringLiteral("cellwatch/bench1/status"), kOffline, true);

    publisher.raw(kStart.wallMs + 1000, kStart.ticks + 1000, frame);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.recordsPlayed() >= 1; }));
    EXPECT_EQ(watcher.feed.recordsPlayed(), 1u) << "a forged record was played";
    EXPECT_EQ(watcher.frames.ticks, (std::vector<std::uint32_t>{kStart.ticks + 1000}));
    EXPECT_TRUE(watcher.lost.isEmpty()) << watcher.lost.join(u'|').toStdString();

    // A new watcher meets the publisher's retained start and status, not the forger's.
    Watcher late(viewer);
    ASSERT_TRUE(waitUntil([&] { return late.feed.running(); }));
    ASSERT_EQ(late.starts.size(), 1u);
    EXPECT_EQ(late.starts[0].wallMs, kStart.wallMs);

    // And an anonymous client is not let in at all.
    MqttClient anonymous(trustOptions(broker.address(QStringLiteral("bench1"))));
    QString why;
    QObject::connect(&anonymous, &MqttClient::lost, [&](const QString& w) { why = w; });
    anonymous.start();
    ASSERT_TRUE(waitUntil([&] { return !why.isEmpty(); }));
    EXPECT_FALSE(anonymous.isConnected());
}

TEST(Trust, AWatcherWithTheKeyTakesOnlyWhatThePublisherSigned) {
    TestBroker broker;  // anyone may publish anything
    const QString address = broker.address(QStringLiteral("k1"));
    const auto owned = signedPublisher(address, kStart);
    Publisher& publisher = *owned;

    Watcher watcher(trustOptions(address), kKey);
    watcher.feed.setDropReportInterval(3'600'000);  // one line during the test
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.running(); }));

    // What a forger might publish: unsigned, signed with another key, a
    // signed message changed, or a signed one moved to another topic.
    const std::vector<std::uint8_t> frame = message112();
    const QByteArray record = recordBytes(kStart.wallMs + 500, kStart.ticks + 500, frame);
    const MessageAuth other(QByteArrayLiteral("another key of at least 16 bytes"));
    const MessageAuth same(kKey);
    QByteArray changed =
        same.sign(QStringLiteral("cellwatch/k1/raw"), record, ~std::uint64_t{0} >> 1);
    changed[20] = static_cast<char>(changed[20] ^ 1);
    MqttClient forger(trustOptions(address));
    ASSERT_TRUE(connected(forger));
    const std::vector<std::pair<QString, QByteArray>> forged = {
        {QStringLiteral("raw"), record},
        {QStringLiteral("raw"),
         other.sign(QStringLiteral("cellwatch/k1/raw"), record, ~std::uint64_t{0} >> 1)},
        {QStringLiteral("raw"), changed},
        {QStringLiteral("raw"),
         same.sign(QStringLiteral("cellwatch/k2/raw"), record, ~std::uint64_t{0} >> 1)},
        {QStringLiteral("start"), startBytes(kForgedStart)},
        {QStringLiteral("status"), kOffline},
        {QStringLiteral("status"),
         other.sign(QStringLiteral("cellwatch/k1/status"), kOffline, ~std::uint64_t{0} >> 1)},
    };
    for (const auto& [leaf, payload] : forged) {
        forge(forger, QStringLiteral("cellwatch/k1/") + leaf, payload,
              leaf != QLatin1String("raw"));
    }
    publisher.raw(kStart.wallMs + 1000, kStart.ticks + 1000, frame);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.recordsPlayed() >= 1; }));
    EXPECT_EQ(watcher.feed.recordsPlayed(), 1u);
    EXPECT_EQ(watcher.frames.ticks, (std::vector<std::uint32_t>{kStart.ticks + 1000}));
    EXPECT_TRUE(watcher.lost.isEmpty()) << watcher.lost.join(u'|').toStdString();
    EXPECT_EQ(watcher.feed.unverifiedDropped(), forged.size());
    ASSERT_EQ(watcher.problems.size(), 1) << "one line, not one line a message";
    EXPECT_TRUE(
        watcher.problems[0].startsWith(QStringLiteral("dropped 1 message(s) under cellwatch/k1/")));
    watcher.feed.flushDropReport();
    ASSERT_EQ(watcher.problems.size(), 2);
    EXPECT_TRUE(watcher.problems[1].contains(
        QStringLiteral("dropped %1 message(s)").arg(forged.size() - 1)))
        << watcher.problems[1].toStdString();
    EXPECT_TRUE(watcher.problems[1].contains(QStringLiteral("(%1 in all)").arg(forged.size())));

    // A watcher without the key is what the forger reaches.
    Watcher unkeyed(trustOptions(address));
    forge(forger, QStringLiteral("cellwatch/k1/status"), kOnline, true);
    forge(forger, QStringLiteral("cellwatch/k1/start"), startBytes(kForgedStart), true);
    ASSERT_TRUE(waitUntil([&] { return unkeyed.feed.running(); }));
    EXPECT_EQ(unkeyed.starts[0].wallMs, kForgedStart.wallMs);

    // The publisher's own end still ends the keyed watchers.
    publisher.finish();
    ASSERT_TRUE(waitUntil([&] { return !watcher.lost.isEmpty(); }));
    EXPECT_EQ(watcher.lost, QStringList{QStringLiteral("the charger went offline")});
}

TEST(Trust, ASignedMessagePublishedAgainIsRefusedAndTheSignedWillEndsTheWatch) {
    TestBroker broker;
    const QString address = broker.address(QStringLiteral("k3"));
    // Everything the publisher sends, as a forger who listens records it.
    Recorder recorder(address, QStringLiteral("cellwatch/k3/#"));
    ASSERT_TRUE(connected(recorder.client));
    auto& heard = recorder.heard;

    const std::vector<std::uint8_t> frame = message112();
    {
        // An earlier run, ended cleanly: its start, records and "offline".
        const auto earlier = signedPublisher(address, kForgedStart);
        earlier->raw(kForgedStart.wallMs + 1000, kForgedStart.ticks + 1000, frame);
        earlier->finish();
    }
    ASSERT_TRUE(waitUntil([&] {
        return !heard.empty() && heard.back().first.endsWith(QLatin1String("/status")) &&
               heard.back().second.startsWith(kOffline);
    }));
    const auto old = heard;

    auto publisher = signedPublisher(address, kStart);
    Watcher watcher(trustOptions(address), kKey);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.running(); }));
    ASSERT_EQ(watcher.starts.size(), 1u);
    EXPECT_EQ(watcher.starts[0].wallMs, kStart.wallMs) << "the earlier run's start was played";

    // The earlier run published again, word for word: its raw records, its
    // start and its "offline", retained.
    MqttClient forger(trustOptions(address));
    ASSERT_TRUE(connected(forger));
    for (const auto& [topic, payload] : old) {
        forge(forger, topic, payload, !topic.endsWith(QLatin1String("/raw")));
    }
    publisher->raw(kStart.wallMs + 1000, kStart.ticks + 1000, frame);
    ASSERT_TRUE(waitUntil([&] { return watcher.feed.recordsPlayed() >= 1; }));
    EXPECT_EQ(watcher.feed.recordsPlayed(), 1u);
    EXPECT_TRUE(watcher.lost.isEmpty()) << watcher.lost.join(u'|').toStdString();
    EXPECT_EQ(watcher.feed.unverifiedDropped(), old.size());

    // The publisher vanishes: the broker gives out its signed will.
    publisher.reset();
    ASSERT_TRUE(waitUntil([&] { return !watcher.lost.isEmpty(); }));
    EXPECT_EQ(watcher.lost, QStringList{QStringLiteral("the charger went offline")});
}

// A signed run recorded by a listener and published again once its
// publisher has ended is an old run to a keyed watcher that starts then,
// and records of the present run published again are not taken by one that
// joins meanwhile.
TEST(Trust, AnOldSignedRunIsNotTakenAsLive) {
    TestBroker broker;
    const QString address = broker.address(QStringLiteral("k4"));
    Recorder recorder(address, QStringLiteral("cellwatch/k4/#"));
    ASSERT_TRUE(connected(recorder.client));
    auto& heard = recorder.heard;
    const std::vector<std::uint8_t> frame = message112();
    auto publisher = signedPublisher(address, kStart);
    for (int i = 1; i <= 3; ++i) {
        publisher->raw(kStart.wallMs + i * 1000, kStart.ticks + i * 1000, frame);
    }
    ResumeState later = resumeOf(kStart);
    later.lastRow = QStringLiteral("3");
    publisher->resume(later);

    // One that joins now takes the run, but not its first records published again.
    Watcher joining(trustOptions(address), kKey);
    ASSERT_TRUE(waitUntil([&] { return joining.feed.running(); }));
    ASSERT_TRUE(waitUntil([&] { return heard.size() >= 6; }));
    MqttClient forger(trustOptions(address));
    ASSERT_TRUE(connected(forger));
    for (const auto& [topic, payload] : heard) {
        if (topic.endsWith(QLatin1String("/raw"))) {
            forge(forger, topic, payload, false);
        }
    }
    publisher->raw(kStart.wallMs + 4000, kStart.ticks + 4000, frame);
    ASSERT_TRUE(waitUntil([&] { return joining.feed.recordsPlayed() >= 1; }));
    EXPECT_EQ(joining.frames.ticks, (std::vector<std::uint32_t>{kStart.ticks + 4000}));

    // The publisher ends; everything it sent is published again, retained as
    // it was, ten minutes later by a watcher's clock.
    publisher->finish();
    publisher.reset();
    const auto old = heard;
    for (const auto& [topic, payload] : old) {
        if (!topic.endsWith(QLatin1String("/status")) || !payload.startsWith(kOffline)) {
            forge(forger, topic, payload, !topic.endsWith(QLatin1String("/raw")));
        }
    }
    Watcher late(trustOptions(address));
    late.feed.setKey(kKey);
    late.feed.setClock([] { return QDateTime::currentMSecsSinceEpoch() + 10 * 60'000; });
    ASSERT_TRUE(waitUntil([&] { return !late.problems.isEmpty(); }));
    EXPECT_TRUE(late.problems[0].contains(QStringLiteral("an earlier run, not taken as live")))
        << late.problems[0].toStdString();
    EXPECT_FALSE(late.feed.running());
    EXPECT_TRUE(late.starts.empty());

    // Without the key, or with another one, a signed charger is said to be there.
    const struct {
        QByteArray key;
        const char* said;
    } others[] = {{{}, "signed: give its key"},
                  {QByteArrayLiteral("another key of at least 16 bytes"),
                   "signed with another key than the one given"}};
    for (const auto& other : others) {
        SCOPED_TRACE(other.said);
        Watcher watcher(trustOptions(address), other.key);
        ASSERT_TRUE(waitUntil([&] { return !watcher.problems.isEmpty(); }));
        EXPECT_TRUE(watcher.problems[0].contains(QString::fromLatin1(other.said)))
            << watcher.problems[0].toStdString();
    }
}

// A watcher of the whole charger takes each channel's resume, numbered apart:
// the broker hands retained copies in any order, so channel 2's may come
// after a newer one of channel 1.
TEST(Trust, AWholeChargersWatcherTakesEachChannelsResumeWhateverItsNumber) {
    TestBroker broker;
    const QString address = broker.address(QStringLiteral("k5"));
    Recorder recorder(address, QStringLiteral("cellwatch/k5/2/resume"));
    ASSERT_TRUE(connected(recorder.client));
    auto& heard = recorder.heard;
    Publisher publisher(trustOptions(address), false, kKey);
    publisher.setChannels(2);
    publisher.setStart(kStart);
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));
    ResumeState second = resumeOf(kStart);
    second.lastRow = QStringLiteral("2");
    publisher.resume(second, 2);
    ASSERT_TRUE(waitUntil([&] { return heard.size() == 1; }));
    publisher.resume(resumeOf(kStart), 1);
    ASSERT_TRUE(waitUntil([&] { return publisher.client().backlog() == 0; }));
    MqttClient forger(trustOptions(address));
    ASSERT_TRUE(connected(forger));
    forge(forger, heard[0].first, QByteArray(), true);  // no retained copy of channel 2's

    Watcher whole(trustOptions(address), kKey);
    ASSERT_TRUE(waitUntil([&] { return whole.feed.running(); }));
    EXPECT_FALSE(whole.feed.channelResume(2));
    forge(forger, heard[0].first, heard[0].second, false);  // older than channel 1's
    ASSERT_TRUE(waitUntil([&] { return whole.feed.channelResume(2).has_value(); }));
    EXPECT_EQ(whole.feed.channelResume(2)->lastRow, QStringLiteral("2"));
    EXPECT_EQ(whole.feed.unverifiedDropped(), 0u);
    publisher.finish();
}

}  // namespace
}  // namespace cellwatch::net
