// A broker that misbehaves: one that accepts the connection and never
// answers, one that never acknowledges a publish, one that hands over a
// message larger than any of ours, and a flood of messages.
#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <vector>

#include <mosquitto.h>

#include <cerrno>

#include "net/client_errors.h"
#include "net/publisher.h"
#include "silent_broker.h"
#include "test_broker.h"

namespace cellwatch::net {
namespace {

using nettest::SilentBroker;
using nettest::TestBroker;
using nettest::waitUntil;

MqttOptions hostileOptions(const QString& address, bool reconnect = true) {
    MqttOptions o;
    o.address = parseBrokerAddress(address);
    o.reconnect = reconnect;
    return o;
}

TEST(HostileBroker, OneThatNeverAnswersTimesOutWithoutSpinning) {
    SilentBroker silent(SilentBroker::Mode::NeverAnswer);
    MqttOptions options = hostileOptions(silent.address(QStringLiteral("s1")));
    // Longer than the keep-alive (the shortest the library takes), which
    // must not end the attempt first without a reason.
    options.keepAliveSeconds = 5;
    options.connectTimeoutMs = 5500;
    MqttClient client(options);
    QStringList notices;
    QObject::connect(&client, &MqttClient::notice, [&](const QString& t) { notices << t; });
    client.start();
    ASSERT_TRUE(waitUntil([&] { return silent.connections() == 1 && silent.bytesReceived() > 0; }));
    ASSERT_TRUE(waitUntil([&] { return !notices.isEmpty(); }));
    EXPECT_EQ(notices[0].toStdString(),
              QStringLiteral("cannot reach the broker 127.0.0.1:%1: the broker at 127.0.0.1:%1 "
                             "accepted the connection but did not answer within 6 s; trying again "
                             "in 1 s")
                  .arg(silent.port())
                  .toStdString());
    // Connected, the CONNECT written, then quiet until the time-out: a
    // handful of notifier activations, not one every pass of the loop.
    EXPECT_LE(client.socketActivations(), 5u);
    EXPECT_FALSE(client.isConnected());
    // It is tried again (and backs off).
    ASSERT_TRUE(waitUntil([&] { return silent.connections() == 2; }));
}

TEST(HostileBroker, OneThatNeverAcknowledgesKeepsTheOutboxBoundedAndRowsWhole) {
    SilentBroker silent(SilentBroker::Mode::AcceptButNeverAcknowledge);
    MqttOptions options = hostileOptions(silent.address(QStringLiteral("s2")));
    options.maxQueuedRawBytes = 20'000;
    Publisher publisher(options, false);
    QStringList notices;
    QObject::connect(&publisher, &Publisher::notice, [&](const QString& t) { notices << t; });
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));

    const std::vector<std::uint8_t> bytes(112, 0x80);
    const qsizetype recordSize = recordBytes(0, 0, bytes).size();
    RowValues row;
    row.voltageV = 12;
    constexpr int kRecords = 5000;
    constexpr int kRows = 50;
    for (int i = 0; i < kRecords; ++i) {
        publisher.raw(i, static_cast<std::uint32_t>(i), bytes);
        if (i % (kRecords / kRows) == kRecords / kRows - 1) {  // once the records wait
            publisher.row(row);
        }
    }
    MqttClient& client = publisher.client();
    EXPECT_LE(client.queuedRawBytes(), options.maxQueuedRawBytes);
    EXPECT_EQ(client.backlog(), MqttClient::kMaxInFlight) << "the status went out first";
    // Every row waits still: the outbox holds rows and the newest records.
    const auto rawQueued = static_cast<std::size_t>(client.queuedRawBytes() / recordSize);
    EXPECT_EQ(client.queued(), rawQueued + kRows);
    EXPECT_EQ(client.rawDropped() + rawQueued + (MqttClient::kMaxInFlight - 1),
              std::size_t{kRecords});
    ASSERT_EQ(notices.size(), 1) << notices.join(u'|').toStdString();
    EXPECT_TRUE(notices[0].startsWith(
        QStringLiteral("the broker 127.0.0.1:%1 is not taking messages").arg(silent.port())))
        << notices[0].toStdString();
    EXPECT_FALSE(client.takingMessages());
}

// Fifteen minutes of a charge at the line's full rate with the resume
// re-published each row, against a broker that never acknowledges: what
// waits stays within its bounds, the resume waits once, and the silence is
// said before anything has to give way.
TEST(HostileBroker, EverythingThatWaitsForASilentBrokerIsBounded) {
    SilentBroker silent(SilentBroker::Mode::AcceptButNeverAcknowledge);
    MqttOptions options = hostileOptions(silent.address(QStringLiteral("s5")));
    options.silenceNoticeMs = 100;
    Publisher publisher(options, false);
    QStringList notices;
    QObject::connect(&publisher, &Publisher::notice, [&](const QString& t) { notices << t; });
    publisher.start();
    ASSERT_TRUE(waitUntil([&] { return publisher.client().isConnected(); }));
    RowValues row;
    row.voltageV = 12;
    publisher.row(row);
    ASSERT_TRUE(waitUntil([&] { return notices.size() == 1; }));
    EXPECT_TRUE(notices[0].contains("has acknowledged nothing for")) << notices[0].toStdString();

    const std::vector<std::uint8_t> bytes(112, 0x80);
    ResumeState resume;
    MqttClient& client = publisher.client();
    qsizetype most = 0;
    constexpr int kSeconds = 15 * 60;
    for (int s = 0; s < kSeconds; ++s) {
        for (int i = 0; i < 9; ++i) {
            publisher.raw(s * 1000 + i * 111, static_cast<std::uint32_t>(s), bytes);
        }
        publisher.row(row);
        resume.lastRow = QString::number(s);
        publisher.resume(resume);
        most = std::max(most, client.queuedBytes());
    }
    // Under a megabyte in all: the raw records' bound and the rows of fifteen minutes.
    EXPECT_LT(most, 1'000'000);
    EXPECT_LE(client.queuedRawBytes(), options.maxQueuedRawBytes);
    EXPECT_GT(client.rawDropped(), 0u);
    // One resume waits, the newest.
    EXPECT_EQ(client.queuedOn(QStringLiteral("cellwatch/s5/resume")), 1u);
}

// A broker that stops answering (its keep-alive unanswered) is named as
// such, not in the library's "Unknown error": one that does not read at all
// (its buffers full, ours waiting), and one that reads but never answers.
TEST(HostileBroker, ABrokerThatStopsReadingOrAnsweringIsNamed) {
    const struct {
        SilentBroker::Mode mode;
        qsizetype messageBytes;
        const char* says;
    } cases[] = {
        {SilentBroker::Mode::AcceptButNeverRead, 1024 * 1024,
         "the broker is not reading (16384 kB waiting); trying again in 1 s"},
        {SilentBroker::Mode::AcceptButNeverAcknowledge, 100,
         "the broker stopped answering (nothing from it for "},
    };
    for (const auto& c : cases) {
        SilentBroker silent(c.mode);
        MqttOptions options = hostileOptions(silent.address(QStringLiteral("s6")));
        options.keepAliveSeconds = 5;  // the shortest the library takes
        MqttClient client(options);
        QStringList notices;
        QObject::connect(&client, &MqttClient::notice, [&](const QString& t) { notices << t; });
        client.start();
        ASSERT_TRUE(waitUntil([&] { return client.isConnected(); }));
        for (int i = 0; i < MqttClient::kMaxInFlight; ++i) {
            client.publish(QStringLiteral("cellwatch/s6/row"), QByteArray(c.messageBytes, 'x'), 1,
                           false);
        }
        ASSERT_TRUE(waitUntil([&] { return !client.isConnected(); }, 60000));
        ASSERT_EQ(notices.size(), 1) << notices.join(u'|').toStdString();
        EXPECT_TRUE(notices[0].startsWith(
            QStringLiteral("lost the broker 127.0.0.1:%1: ").arg(silent.port())))
            << notices[0].toStdString();
        EXPECT_TRUE(notices[0].contains(QLatin1String(c.says))) << notices[0].toStdString();
    }
}

// The library's codes it has no words for, and a failure without errno,
// are said in words of their own, never "Unknown error" or "Success".
TEST(ClientErrors, EveryLibraryCodeHasWords) {
    errno = 0;
    EXPECT_EQ(libraryError(MOSQ_ERR_ERRNO), QStringLiteral("the connection failed"));
    errno = ECONNREFUSED;
    EXPECT_EQ(libraryError(MOSQ_ERR_ERRNO), QStringLiteral("Connection refused"));
    EXPECT_EQ(libraryError(MOSQ_ERR_KEEPALIVE), QStringLiteral("no answer to the keep-alive"));
    EXPECT_EQ(libraryError(99), QStringLiteral("error 99 of the MQTT library"));
    for (int rc = MOSQ_ERR_NOMEM; rc <= MOSQ_ERR_ALREADY_EXISTS; ++rc) {
        errno = 0;
        const QString text = libraryError(rc);
        EXPECT_FALSE(text.contains(QLatin1String("Unknown")) || text == QLatin1String("Success"))
            << rc << ": " << text.toStdString();
    }
}

TEST(Outbox, ARetainedMessageWaitsOnceAndRowsGiveWayPastTheBound) {
    Outbox box(100, 300);
    const auto push = [&](const char* topic, qsizetype size, bool retain, bool raw) {
        box.push({QString::fromLatin1(topic), QByteArray(size, 'x'), 1, retain, raw});
    };
    push("resume", 50, true, false);
    push("row", 100, false, false);
    push("raw", 80, false, true);
    push("resume", 50, true, false);  // takes the first one's place
    EXPECT_EQ(box.count(QStringLiteral("resume")), 1u);
    EXPECT_EQ(box.bytes(), 230);
    push("raw", 80, false, true);  // raw past 100: the older record goes
    EXPECT_EQ(box.dropped(), 1u);
    push("row", 100, false, false);  // 330 in all: the oldest row goes
    EXPECT_EQ(box.droppedOthers(), 1u);
    EXPECT_EQ(box.bytes(), 230);
    push("event", 1000, false, false);  // larger than the bound: it waits, the rest goes
    EXPECT_EQ(box.size(), 2u);
    EXPECT_EQ(box.pop()->topic, QStringLiteral("resume"));
}

TEST(HostileBroker, AMessageLargerThanAnyOfOursIsDroppedUnreadAndCounted) {
    TestBroker broker;
    MqttClient watcher(hostileOptions(broker.address(QStringLiteral("s3")), false));
    std::vector<qsizetype> sizes;
    QStringList notices;
    QObject::connect(
        &watcher, &MqttClient::message,
        [&](const QString&, const QByteArray& payload) { sizes.push_back(payload.size()); });
    QObject::connect(&watcher, &MqttClient::notice, [&](const QString& t) { notices << t; });
    watcher.subscribe({QStringLiteral("cellwatch/s3/raw")});
    watcher.start();
    MqttClient sender(hostileOptions(broker.address(QStringLiteral("s3")), false));
    sender.start();
    ASSERT_TRUE(waitUntil([&] { return watcher.isConnected() && sender.isConnected(); }));
    ASSERT_TRUE(waitUntil([&] { return watcher.backlog() == 0; }));  // subscribed

    const QString topic = QStringLiteral("cellwatch/s3/raw");
    for (const qsizetype size :
         {kMaxMessageBytes, kMaxMessageBytes + 1, qsizetype{4'000'000}, qsizetype{10}}) {
        ASSERT_TRUE(sender.publish(topic, QByteArray(size, 'x'), 1, false));
    }
    ASSERT_TRUE(waitUntil([&] { return !sizes.empty() && sizes.back() == 10; }));
    EXPECT_EQ(sizes, (std::vector<qsizetype>{kMaxMessageBytes, 10}));
    EXPECT_EQ(watcher.oversizedDropped(), 2u);
    ASSERT_EQ(notices.size(), 1) << "one line for the first; the rest are counted";
    EXPECT_TRUE(notices[0].contains(QStringLiteral("larger than %1 bytes").arg(kMaxMessageBytes)));
}

TEST(HostileBroker, AFloodIsHandedOnAFewMessagesAPassOfTheEventLoop) {
    TestBroker broker;
    MqttOptions options = hostileOptions(broker.address(QStringLiteral("s4")), false);
    options.maxMessagesPerPass = 8;
    MqttClient watcher(options);
    // Passes of the event loop: a zero timer fires once each.
    int inThisPass = 0;
    int most = 0;
    int received = 0;
    QObject::connect(&watcher, &MqttClient::message, [&](const QString&, const QByteArray&) {
        ++received;
        most = std::max(most, ++inThisPass);
    });
    QTimer pass;
    pass.setInterval(0);
    QObject::connect(&pass, &QTimer::timeout, [&] { inThisPass = 0; });
    watcher.subscribe({QStringLiteral("cellwatch/s4/row")});
    watcher.start();
    ASSERT_TRUE(waitUntil([&] { return watcher.isConnected(); }));
    ASSERT_TRUE(waitUntil([&] { return watcher.backlog() == 0; }));

    // Sent from another process, so that they pile up on the socket (the
    // broker keeps up to 1000 for a client that does not read).
    constexpr int kMessages = 1000;
    QProcess flood;
    flood.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("yes '{\"voltage_v\":12}' | head -n %1 | mosquitto_pub -h 127.0.0.1 -p %2 "
                        "-t cellwatch/s4/row -q 1 -l")
             .arg(kMessages)
             .arg(broker.port())});
    ASSERT_TRUE(flood.waitForFinished(30000));
    pass.start();
    ASSERT_TRUE(waitUntil([&] { return received == kMessages; }, 30000)) << received;
    EXPECT_LE(most, options.maxMessagesPerPass);
}

}  // namespace
}  // namespace cellwatch::net
