// The database writer's batches and its answers to a server that refuses,
// is busy or is away, against an HTTP server of the test's own.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>

#include "net/influx_target.h"
#include "net/influx_writer.h"
#include "scripted_http.h"
#include "tests/support/event_wait.h"

namespace cellwatch::net {
namespace {

using nettest::ScriptedHttp;
using testing::waitUntil;

InfluxWriter::Limits smallBatches() {
    InfluxWriter::Limits limits;
    limits.batchLines = 2;
    limits.timeoutMs = 300;
    return limits;
}

// Batches leave when full, or when the batch clock says, compressed.
TEST(InfluxWriter, BatchesBySizeAndByTime) {
    ScriptedHttp server(std::vector<ScriptedHttp::Answer>{{204, {}, {}}});
    InfluxWriter writer(parseInfluxAddress(server.address()), "Token abc", smallBatches());
    writer.batchClock().hold();
    writer.add("a x=1 1");
    EXPECT_TRUE(writer.batchClock().isActive());
    writer.add("a x=2 2");
    writer.add("a x=3 3");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && writer.waiting() == 1; }));
    EXPECT_EQ(server.requests()[0].body, "a x=1 1\na x=2 2\n");
    EXPECT_TRUE(server.requests()[0].gzip);
    EXPECT_TRUE(server.requests()[0].head.contains("Authorization: Token abc"));
    EXPECT_TRUE(server.requests()[0].head.contains("precision=ns"));
    // The third waits for the clock.
    ASSERT_TRUE(writer.batchClock().step());
    ASSERT_TRUE(waitUntil([&] { return writer.idle(); }));
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].body, "a x=3 3\n");
    EXPECT_EQ(writer.delivered(), 3u);
    EXPECT_EQ(writer.dropped(), 0u);

    // A flush sends what waits then; what comes after it waits for its batch.
    writer.add("a x=4 4");
    writer.flush();
    ASSERT_TRUE(waitUntil([&] { return writer.idle(); }));
    writer.add("a x=5 5");
    writer.add("a x=6 6");  // a full batch: sent
    writer.add("a x=7 7");
    ASSERT_TRUE(waitUntil([&] { return writer.delivered() == 6u; }));
    EXPECT_TRUE(writer.batchClock().isActive());
    EXPECT_EQ(server.requests().size(), 4u);
}

// What the writer does with each kind of answer to its first batch.
TEST(InfluxWriter, AnswersDecideBetweenRetryPlainAndDrop) {
    struct Case {
        const char* name;
        std::vector<ScriptedHttp::Answer> answers;
        int retryMs;  // the retry clock's wait after the first answer; -1: no retry
        std::size_t requests;
        std::uint64_t delivered;
        std::uint64_t refused;
        const char* said;  // in a notice
    };
    const Case cases[] = {
        {"415: the same batch again, plain",
         {{415, {}, {}}, {204, {}, {}}},
         -1,
         2,
         2,
         0,
         "no compressed"},
        {"429 with Retry-After: waits as asked",
         {{429, "Retry-After: 7\r\n", {}}, {204, {}, {}}},
         7000,
         2,
         2,
         0,
         "429"},
        {"503: back-off", {{503, {}, "busy"}, {204, {}, {}}}, 500, 2, 2, 0, "busy"},
        {"no answer in time: back-off",
         {{-1, {}, {}}, {204, {}, {}}},
         500,
         2,
         2,
         0,
         "no answer within 0.3 s"},
        {"401: refused, said with what to check",
         {{401, {}, R"({"error":"authorization failed"})"}},
         -1,
         1,
         0,
         2,
         "--influx-auth"},
        {"400 compressed, then 400 plain: refused",
         {{400, {}, "bad line"}, {400, {}, "unable to parse 'a x'"}},
         -1,
         2,
         0,
         2,
         "unable to parse"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttp server(c.answers);
        InfluxWriter writer(parseInfluxAddress(server.address()), {}, smallBatches());
        writer.retryClock().hold();
        QSignalSpy notices(&writer, &InfluxWriter::notice);
        writer.add("a x=1 1");
        writer.add("a x=2 2");
        if (c.retryMs >= 0) {
            ASSERT_TRUE(waitUntil([&] { return writer.retryClock().isActive(); }));
            EXPECT_EQ(writer.retryClock().interval(), c.retryMs);
            EXPECT_EQ(writer.state(), InfluxWriter::State::Unreachable);
            writer.retryClock().step();
        }
        ASSERT_TRUE(waitUntil([&] { return writer.idle(); }));
        EXPECT_EQ(server.requests().size(), c.requests);
        EXPECT_EQ(server.requests().back().body, "a x=1 1\na x=2 2\n");
        EXPECT_EQ(writer.delivered(), c.delivered);
        EXPECT_EQ(writer.refused(), c.refused);
        QStringList said;
        for (const auto& n : notices) {
            said << n.at(0).toString();
        }
        EXPECT_TRUE(said.join('\n').contains(QLatin1String(c.said)))
            << said.join('\n').toStdString();
        // A refused batch's lines are told as dropped in one line.
        EXPECT_EQ(said.join('\n').contains(QLatin1String("2 lines for the database")),
                  c.refused > 0)
            << said.join('\n').toStdString();
    }
}

// A server that is away: the lines wait within their bound, the oldest give
// way, counted and said; tries end once used up.
TEST(InfluxWriter, AServerAwayNeitherGrowsTheQueueNorHangs) {
    std::uint16_t port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }  // closed: nothing listens there
    InfluxWriter::Limits limits = smallBatches();
    limits.maxBytes = 100;
    limits.mostTries = 2;
    InfluxWriter writer(
        parseInfluxAddress(QStringLiteral("http://127.0.0.1:%1/write?db=x").arg(port)), {}, limits);
    writer.retryClock().hold();
    QSignalSpy notices(&writer, &InfluxWriter::notice);
    for (int i = 0; i < 40; ++i) {
        writer.add("cellwatch voltage_v=8.4 " + std::to_string(i));  // 26 bytes with its break
    }
    EXPECT_LE(writer.waitingBytes(), 100);
    EXPECT_GT(writer.dropped(), 30u);
    ASSERT_TRUE(waitUntil([&] { return writer.retryClock().isActive(); }));
    EXPECT_EQ(writer.state(), InfluxWriter::State::Unreachable);
    writer.retryClock().step();
    // The second try fails too: the batch is dropped.
    ASSERT_TRUE(waitUntil([&] { return writer.dropped() == 39u; }));
    EXPECT_FALSE(writer.finish(2000));
    EXPECT_TRUE(writer.idle());
    EXPECT_EQ(writer.dropped(), 40u);
    EXPECT_EQ(writer.delivered(), 0u);
    QStringList said;
    for (const auto& n : notices) {
        said << n.at(0).toString();
    }
    EXPECT_TRUE(said.join('\n').contains(QLatin1String("cannot write to the database")));
    EXPECT_TRUE(said.join('\n').contains(QLatin1String("dropped (40 in all)")))
        << said.join('\n').toStdString();
}

}  // namespace
}  // namespace cellwatch::net
