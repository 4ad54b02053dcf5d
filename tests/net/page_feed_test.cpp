// The live session on the page: rows, alarms and the link as a viewer's
// WebSocket receives them, from a session fed on clocks the test holds.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

#include "net/web_server.h"
#include "protocol/byte_source.h"
#include "readout/row_store.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "session/page_feed.h"
#include "tests/session/pair_driver.h"
#include "tests/support/charger_readings.h"
#include "tests/support/event_wait.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::session {
namespace {

using testing::waitUntil;

TEST(ThinnedRows, KeepFirstAndLastAndSpreadEvenly) {
    struct Case {
        int count;
        int points;
        std::vector<int> rows;
    };
    const std::vector<Case> cases = {
        {0, 10, {}},     {3, 0, {0, 1, 2}}, {3, 10, {0, 1, 2}},  {5, 5, {0, 1, 2, 3, 4}},
        {10, 2, {0, 9}}, {10, 1, {9}},      {11, 3, {0, 5, 10}}, {100, 4, {0, 33, 66, 99}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(thinnedRows(c.count, c.points), c.rows) << c.count << " in " << c.points;
    }
    // Many rows on a phone's width: exactly the points, strictly rising.
    const std::vector<int> many = thinnedRows(86'400, 390);
    ASSERT_EQ(many.size(), 390u);
    EXPECT_EQ(many.front(), 0);
    EXPECT_EQ(many.back(), 86'399);
    EXPECT_TRUE(std::adjacent_find(many.begin(), many.end(), std::greater_equal<>()) == many.end());
}

TEST(PageRow, CarriesTheRowsNumbersInThePagesOrder) {
    RowStore rows;
    rows.appendTabText(QStringLiteral(
        "0:01:05\tLiIo/Po/Fe\t+CHG+\t25\t31\t12.00\t12.60\t2.00\t150\t25.20\t4.20\t4.19\t4.21"
        "\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
    rows.appendTabText(
        QStringLiteral("0:01:06\tPb\t-DSC-\t26\t32\t11.50\t6.10\t-1.50\t20\t9.15\t2.03\t2.04\t2.03"
                       "\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
    const auto object = [&rows](int row) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(pageRow(rows, row))).object();
    };
    const QJsonObject second = object(2);
    EXPECT_EQ(second[QStringLiteral("n")].toInt(), 2);
    EXPECT_EQ(second[QStringLiteral("type")].toString(), QStringLiteral("Pb"));
    EXPECT_EQ(second[QStringLiteral("state")].toString(), QStringLiteral("-DSC-"));
    const QJsonArray v = second[QStringLiteral("v")].toArray();
    ASSERT_EQ(v.size(), kPageFieldCount);
    const std::vector<std::pair<int, double>> expected = {
        {kPageElapsed, 66},        {kPageExtTemperature, 26}, {kPageIntTemperature, 32},
        {kPageInputVoltage, 11.5}, {kPageVoltage, 6.1},       {kPageCurrent, -1.5},
        {kPageCapacity, 20},       {kPagePower, 9.15},        {kPageCell1, 2.03},
        {kPageCell1 + 1, 2.04},    {kPageCell1 + 2, 2.03},    {kPageCell1 + 3, 0}};
    for (const auto& [field, value] : expected) {
        EXPECT_DOUBLE_EQ(v[field].toDouble(), value) << "field " << field;
    }
    EXPECT_DOUBLE_EQ(object(1)[QStringLiteral("v")].toArray()[kPageVoltage].toDouble(), 12.6);
}

class PageFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.listen(QHostAddress::LocalHost, 0), QString());
        session.open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
    }

    void sendRows(int from, int to, int everyMs = 1000) {
        for (int k = from; k <= to; ++k) {
            send(testing::charging(k), everyMs);
        }
    }
    void send(const emulator::ChargerReading& reading, int afterMs) {
        ticks.set(ticks.tickCount() + static_cast<std::uint32_t>(afterMs));
        wall.advance(afterMs);
        line.feed(emulator::encodeStatus(reading, FrameLayout::Long112));
        session.take(line);
    }

    // A viewer asking for `points`; its messages land in `messages`.
    std::unique_ptr<QWebSocket> viewer(std::vector<QJsonObject>& messages, int points) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [&messages](const QString& text) {
                             messages.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
                         });
        ws->open(QUrl(server.pageUrl().replace(QStringLiteral("http:"), QStringLiteral("ws:")) +
                      QStringLiteral("live?points=%1").arg(points)));
        EXPECT_TRUE(waitUntil([&] { return !messages.empty(); }));
        return ws;
    }

    ManualTickClock ticks{1'000'000};
    ManualWallClock wall{QDateTime::fromMSecsSinceEpoch(1'796'606'575'000)};
    RowStore rows;
    LiveSession session{{rows, ticks, wall}};
    BufferByteSource line;
    net::WebServer server;
    PageFeed feed{session, server};
};

TEST_F(PageFeedTest, AViewerGetsTheRecordingSoFarThinnedThenEveryRow) {
    sendRows(1, 30);
    std::vector<QJsonObject> got;
    auto ws = viewer(got, 10);
    const QJsonObject& hello = got.front();
    EXPECT_EQ(hello[QStringLiteral("t")].toString(), QStringLiteral("hello"));
    EXPECT_EQ(hello[QStringLiteral("link")].toString(), QStringLiteral("connected"));
    EXPECT_EQ(hello[QStringLiteral("source")].toString(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(hello[QStringLiteral("total")].toInt(), 30);
    const QJsonArray shown = hello[QStringLiteral("rows")].toArray();
    ASSERT_EQ(shown.size(), 10);
    EXPECT_EQ(shown.first().toObject()[QStringLiteral("n")].toInt(), 1);
    EXPECT_EQ(shown.last().toObject()[QStringLiteral("n")].toInt(), 30);

    sendRows(31, 32);
    ASSERT_TRUE(waitUntil([&] { return got.size() == 3; }));
    const QJsonObject row = got[2][QStringLiteral("row")].toObject();
    EXPECT_EQ(got[2][QStringLiteral("t")].toString(), QStringLiteral("row"));
    EXPECT_EQ(row[QStringLiteral("n")].toInt(), 32);
    // charging(32): 11.32 V, 1.82 A, 320 mAh, cells 3.82 V.
    const QJsonArray v = row[QStringLiteral("v")].toArray();
    EXPECT_DOUBLE_EQ(v[kPageVoltage].toDouble(), 11.32);
    EXPECT_DOUBLE_EQ(v[kPageCurrent].toDouble(), 1.82);
    EXPECT_DOUBLE_EQ(v[kPageCapacity].toDouble(), 320);
    EXPECT_DOUBLE_EQ(v[kPageCell1].toDouble(), 3.82);

    // Viewers joining with the same width share one hello, made again after a row.
    std::vector<QJsonObject> second;
    auto ws2 = viewer(second, 10);
    EXPECT_EQ(second.front()[QStringLiteral("total")].toInt(), 32);
}

TEST_F(PageFeedTest, AlarmsAndTheLossReachTheViewerAndALateOneSeesThem) {
    sendRows(1, 3);
    std::vector<QJsonObject> got;
    auto ws = viewer(got, 0);
    const alarms::Alarm alarm{alarms::Kind::CellHigh, "Cell 2 at 4.30 V (limit 4.25 V)"};
    emit session.alarmRaised(alarm);
    ASSERT_TRUE(waitUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[1][QStringLiteral("t")].toString(), QStringLiteral("alarm"));
    EXPECT_EQ(got[1][QStringLiteral("alarm")].toObject()[QStringLiteral("kind")].toString(),
              QStringLiteral("cell-high"));
    // Its figures, read back from its line, for the page to word it in its language.
    const QJsonObject figures =
        got[1][QStringLiteral("alarm")].toObject()[QStringLiteral("fig")].toObject();
    EXPECT_EQ(figures[QStringLiteral("cell")].toInt(), 2);
    EXPECT_EQ(figures[QStringLiteral("v")].toDouble(), 4.3);
    EXPECT_EQ(figures[QStringLiteral("limit")].toDouble(), 4.25);

    session.stop();
    ASSERT_TRUE(waitUntil([&] {
        return std::any_of(got.begin(), got.end(), [](const QJsonObject& m) {
            return m[QStringLiteral("t")].toString() == QLatin1String("link") &&
                   m[QStringLiteral("link")].toString() == QLatin1String("disconnected");
        });
    }));

    std::vector<QJsonObject> late;
    auto ws2 = viewer(late, 0);
    EXPECT_EQ(late.front()[QStringLiteral("link")].toString(), QStringLiteral("disconnected"));
    const QJsonArray raised = late.front()[QStringLiteral("alarms")].toArray();
    ASSERT_EQ(raised.size(), 1);
    EXPECT_EQ(raised[0].toObject()[QStringLiteral("text")].toString(),
              QStringLiteral("Cell 2 at 4.30 V (limit 4.25 V)"));
    EXPECT_EQ(late.front()[QStringLiteral("total")].toInt(), 3);
}

// Rows four a second share their elapsed second (1) but not their X (the
// arrival on the recording's time base); an alarm carries the moment the
// session raised it, which a page opened a minute later still gets.
TEST_F(PageFeedTest, RowsCarryTheirArrivalAndAlarmsTheMomentTheyWereRaised) {
    session.alarmClock().hold();
    std::vector<QJsonObject> got;
    auto ws = viewer(got, 0);
    sendRows(1, 4, 250);
    ASSERT_TRUE(waitUntil([&] { return got.size() == 5; }));
    for (int k = 1; k <= 4; ++k) {
        const QJsonObject row = got[static_cast<std::size_t>(k)][QStringLiteral("row")].toObject();
        EXPECT_EQ(row[QStringLiteral("ms")].toInteger(), 250 * k) << "row " << k;
        EXPECT_EQ(row[QStringLiteral("v")].toArray()[kPageElapsed].toDouble(), 1);
    }

    emulator::ChargerReading high = testing::charging(5);
    high.cells[1] = Decimal::fromHundredths(430);
    send(high, 250);
    const qint64 raisedAt = wall.now().toMSecsSinceEpoch();
    ASSERT_TRUE(waitUntil([&] { return got.size() == 7; }));
    EXPECT_EQ(got[6][QStringLiteral("alarm")].toObject()[QStringLiteral("at")].toInteger(),
              raisedAt);

    ticks.set(ticks.tickCount() + 60'000);
    wall.advance(60'000);
    std::vector<QJsonObject> late;
    auto ws2 = viewer(late, 0);
    const QJsonArray raised = late.front()[QStringLiteral("alarms")].toArray();
    ASSERT_EQ(raised.size(), 1);
    EXPECT_EQ(raised[0].toObject()[QStringLiteral("at")].toInteger(), raisedAt);
    const QJsonArray shown = late.front()[QStringLiteral("rows")].toArray();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[4].toObject()[QStringLiteral("ms")].toInteger(), 1250);
}

}  // namespace
}  // namespace cellwatch::session

namespace cellwatch::session {
namespace {

// A charger of two channels: the hello holds both channels' rows and says
// how many there are; every row, alarm and reset says its channel. With one
// channel none of it appears.
TEST_F(PageFeedTest, SeveralChannelsSayTheChannelOfEveryRowAlarmAndReset) {
    RowStore secondRows;
    Recording second{secondRows, ticks, wall};
    second.begin();
    for (const int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        feed.setChannels(channels, [&](int c) -> const Recording* {
            return c == 1 ? &session.recording() : c == 2 ? &second : nullptr;
        });
        sendRows(1, 2);
        secondRows.appendTabText(QStringLiteral(
            "0:00:01\tPb\t-DSC-\t26\t32\t11.50\t6.10\t-1.50\t20\t9.15\t2.03\t2.04\t2.03"
            "\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
        feed.channelRow(2, 1);
        std::vector<QJsonObject> got;
        auto ws = viewer(got, 0);
        const QJsonObject& hello = got.front();
        const QJsonArray shown = hello[QStringLiteral("rows")].toArray();
        const bool several = channels > 1;
        EXPECT_EQ(hello.contains(QStringLiteral("channels")), several);
        ASSERT_EQ(shown.size(), several ? 3 : 2);
        EXPECT_EQ(shown[0].toObject().contains(QStringLiteral("ch")), several);
        if (several) {
            EXPECT_EQ(hello[QStringLiteral("channels")].toInt(), 2);
            EXPECT_EQ(shown[2].toObject()[QStringLiteral("ch")].toInt(), 2);
            EXPECT_EQ(shown[2].toObject()[QStringLiteral("state")].toString(),
                      QStringLiteral("-DSC-"));
        }

        if (several) {
            secondRows.appendTabText(QStringLiteral(
                "0:00:02\tPb\t-DSC-\t26\t32\t11.50\t6.00\t-1.50\t21\t9.00\t2.00\t2.00"
                "\t2.00\t0\t0\t0\t0\t0\t0\t0\t0\t0"));
            feed.channelRow(2, 2);
        } else {
            sendRows(3, 3);
        }
        feed.channelAlarm(channels, alarms::Alarm{alarms::Kind::CellLow, "low"});
        feed.channelBegun(channels);
        ASSERT_TRUE(waitUntil([&] { return got.size() == 4; }));
        const QJsonObject row = got[1][QStringLiteral("row")].toObject();
        const QJsonObject alarm = got[2][QStringLiteral("alarm")].toObject();
        EXPECT_EQ(row.contains(QStringLiteral("ch")), several);
        EXPECT_EQ(alarm.contains(QStringLiteral("ch")), several);
        EXPECT_EQ(got[3][QStringLiteral("t")].toString(), QStringLiteral("reset"));
        EXPECT_EQ(got[3].contains(QStringLiteral("ch")), several);
        if (several) {
            EXPECT_EQ(row[QStringLiteral("ch")].toInt(), 2);
            EXPECT_DOUBLE_EQ(row[QStringLiteral("v")].toArray()[kPageVoltage].toDouble(), 6.0);
            EXPECT_EQ(alarm[QStringLiteral("ch")].toInt(), 2);
            EXPECT_EQ(got[3][QStringLiteral("ch")].toInt(), 2);
        }
        session.recording().begin();
        secondRows.clear();
        second.begin();
    }
}

// The feed follows the session's channels: a charger of two channels set
// while recording puts both on the page, every row saying its channel.
TEST_F(PageFeedTest, TheSessionsChannelsComeToThePage) {
    session.setCharger(testing::pairDriverEntry());
    const auto take = [&](const std::string& text) {
        ticks.set(ticks.tickCount() + 1000);
        wall.advance(1000);
        session.take({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    };
    take("1,12.10,1.0,10\n2,11.50,2.0,20\n");
    std::vector<QJsonObject> got;
    auto ws = viewer(got, 0);
    EXPECT_EQ(got.front()[QStringLiteral("channels")].toInt(), 2);
    const QJsonArray shown = got.front()[QStringLiteral("rows")].toArray();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].toObject()[QStringLiteral("ch")].toInt(), 2);

    take("2,11.60,2.0,30\n");
    ASSERT_TRUE(waitUntil([&] { return got.size() == 2; }));
    const QJsonObject row = got[1][QStringLiteral("row")].toObject();
    EXPECT_EQ(row[QStringLiteral("ch")].toInt(), 2);
    EXPECT_DOUBLE_EQ(row[QStringLiteral("v")].toArray()[kPageVoltage].toDouble(), 11.6);
}

}  // namespace
}  // namespace cellwatch::session
