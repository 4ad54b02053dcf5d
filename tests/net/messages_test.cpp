// What the topics carry: the JSON texts field by field, the capture header
// and records as bytes, and the discovery configurations.
#include <gtest/gtest.h>

#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include "net/messages.h"
#include "net/publisher.h"

namespace cellwatch::net {
namespace {

QDateTime at(int offsetSeconds) {
    return QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9, 250), QTimeZone(offsetSeconds));
}

TEST(Messages, WallClockIsIsoWithItsOffsetAlsoAtUtc) {
    EXPECT_EQ(isoWithOffset(at(3600)), QStringLiteral("2026-03-01T14:05:09.250+01:00"));
    EXPECT_EQ(isoWithOffset(at(-(3 * 3600 + 1800))),
              QStringLiteral("2026-03-01T14:05:09.250-03:30"));
    EXPECT_EQ(isoWithOffset(at(0)), QStringLiteral("2026-03-01T14:05:09.250+00:00"));
    EXPECT_EQ(isoWithOffset(QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9, 250), Qt::UTC)),
              QStringLiteral("2026-03-01T14:05:09.250+00:00"));
}

TEST(Messages, RowIsJsonWithTheNamedFieldsAsNumbers) {
    RowValues row;
    row.wall = at(3600);
    row.time = QStringLiteral("0:00:01");
    row.battery = QStringLiteral("LiIo/Po/Fe");
    row.state = QStringLiteral("+CHG+");
    row.extC = 23.5;
    row.intC = 31;
    row.inputV = 14.92;
    row.voltageV = 12.6;
    row.currentA = -2.05;
    row.capacityMah = 1234;
    row.powerW = 25.83;
    row.cellsV = {4.2, 4.19, 4.21, 0, 0, 0, 0, 0, 0, 0, 0, 3.05};
    const QByteArray json = rowJson(row);
    EXPECT_EQ(json.toStdString(),
              R"({"battery":"LiIo/Po/Fe","capacity_mah":1234,)"
              R"("cells_v":[4.2,4.19,4.21,0,0,0,0,0,0,0,0,3.05],"current_a":-2.05,"ext_c":23.5,)"
              R"("input_v":14.92,"int_c":31,"power_w":25.83,"state":"+CHG+","time":"0:00:01",)"
              R"("voltage_v":12.6,"wall":"2026-03-01T14:05:09.250+01:00"})");

    const std::optional<RowValues> back = parseRowJson(json);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->wall, row.wall);
    EXPECT_EQ(back->cellsV, row.cellsV);
    EXPECT_EQ(back->currentA, row.currentA);
    EXPECT_EQ(back->state, row.state);
    for (const char* bad : {"", "[]", "{}", R"({"voltage_v":"1","cells_v":[]})", "{\"cells_v\":"}) {
        EXPECT_FALSE(parseRowJson(bad)) << bad;
    }
}

TEST(Messages, EventsCarryKindAndTextOnlyForAlarms) {
    const std::pair<std::array<const char*, 3>, const char*> cases[] = {
        {{"idle", "", ""}, R"({"event":"idle","wall":"2026-03-01T14:05:09.250+01:00"})"},
        {{"restart", "", ""}, R"({"event":"restart","wall":"2026-03-01T14:05:09.250+01:00"})"},
        {{"lost", "", ""}, R"({"event":"lost","wall":"2026-03-01T14:05:09.250+01:00"})"},
        {{"alarm", "cell-high", "cell 3 at 4.31 V"},
         R"({"event":"alarm","kind":"cell-high","text":"cell 3 at 4.31 V",)"
         R"("wall":"2026-03-01T14:05:09.250+01:00"})"},
    };
    for (const auto& [in, expected] : cases) {
        EXPECT_EQ(eventJson(at(3600), QString::fromUtf8(in[0]), QString::fromUtf8(in[1]),
                            QString::fromUtf8(in[2]))
                      .toStdString(),
                  expected);
    }
}

// A resume reads back as written, ticks over 2^31 and a last row with tabs
// included; anything else (a tick out of range or not whole, an offset no
// time zone has, a row too long, no JSON) is none.
TEST(Messages, ResumeReadsBackAndRefusesWhatIsNone) {
    ResumeState state;
    state.connectionTicks = 4000000000U;
    state.connectTicks = 4000001234U;
    state.beganMs = 1796606575959;
    state.utcOffsetSeconds = 3600;
    state.beganTicks = 4000001234U;
    state.lastRow = QStringLiteral("0:00:13\tLiIo/Po/Fe\t+CHG+\t25");
    state.rowTicks = 4000014000U;
    state.rowMs = 1796606588959;
    EXPECT_EQ(parseResumeJson(resumeJson(state)), state);
    // The row's moment out of range is not known; the rest stands.
    QJsonObject badRow = QJsonDocument::fromJson(resumeJson(state)).object();
    badRow[QLatin1String("row_ticks")] = -1;
    EXPECT_EQ(parseResumeJson(QJsonDocument(badRow).toJson()).value_or(ResumeState{}).rowMs, 0);
    state.lastRow.clear();
    state.rowMs = 0;
    state.rowTicks = 0;
    EXPECT_EQ(parseResumeJson(resumeJson(state)), state);

    const QByteArray good = resumeJson(state);
    const auto with = [&](const char* key, const QJsonValue& value) {
        QJsonObject o = QJsonDocument::fromJson(good).object();
        o[QLatin1String(key)] = value;
        return QJsonDocument(o).toJson();
    };
    for (const QByteArray& bad :
         {QByteArray("not json"), QByteArray("[]"), with("connect_ticks", -1),
          with("connect_ticks", 4294967296.0), with("began_ticks", 1.5),
          with("utc_offset", 15 * 3600), with("last_row", QString(5000, u'x')),
          with("began_ms", QStringLiteral("soon")), with("began_ms", 1e300), with("began_ms", 0.5),
          with("connection_ticks", QJsonValue())}) {
        EXPECT_FALSE(parseResumeJson(bad)) << bad.toStdString();
    }
}

TEST(Messages, StartAndRecordsAreTheCaptureLayout) {
    const CaptureStart start{1'700'000'000'123, -7200, 0xFFFFFF00u};
    const QByteArray header = startBytes(start);
    ASSERT_EQ(header.size(), 24);
    EXPECT_EQ(header.left(6), QByteArray("CWCAP\x1A", 6));
    EXPECT_EQ(header.mid(6, 2), QByteArray("\x01\x00", 2));
    EXPECT_EQ(header.mid(20, 4), QByteArray("\x00\xFF\xFF\xFF", 4));
    const std::optional<CaptureStart> back = parseStart(header);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->wallMs, start.wallMs);
    EXPECT_EQ(back->utcOffsetSeconds, start.utcOffsetSeconds);
    EXPECT_EQ(back->ticks, start.ticks);

    // Another driver's start names it (format 2); the first family's never does.
    CaptureStart other = start;
    other.driver = "other7";
    const QByteArray named = startBytes(other);
    EXPECT_EQ(named.mid(6, 2), QByteArray("\x02\x00", 2));
    EXPECT_EQ(named.mid(24), QByteArray("\x06other7", 7));
    ASSERT_TRUE(parseStart(named));
    EXPECT_EQ(parseStart(named)->driver, "other7");
    EXPECT_EQ(back->driver, "tkrx");
    QByteArray namedFirst = named.left(24) + QByteArray("\x04tkrx", 5);
    QByteArray namedBadly = named.left(24) + QByteArray("\x02t ", 3);

    QByteArray newer = header;
    newer[6] = 3;
    QByteArray badMagic = header;
    badMagic[0] = 'X';
    for (const QByteArray& bad :
         {QByteArray(), header.left(23), header + 'x', newer, badMagic, named.left(24), named + 'x',
          named.left(30), namedFirst, namedBadly}) {
        EXPECT_FALSE(parseStart(bad));
    }
    // A watcher's clock is set from the start: an offset no time zone has or
    // a moment no date can name would leave it at no moment at all.
    const struct {
        std::int64_t wallMs;
        int offsetSeconds;
        bool kept;
    } starts[] = {{start.wallMs, 14 * 3600, true},
                  {start.wallMs, -14 * 3600, true},
                  {start.wallMs, 15 * 3600, false},
                  {start.wallMs, -15 * 3600, false},
                  {std::numeric_limits<std::int64_t>::max(), 3600, false}};
    for (const auto& c : starts) {
        const CaptureStart s{c.wallMs, c.offsetSeconds, 1};
        EXPECT_EQ(parseStart(startBytes(s)).has_value(), c.kept)
            << c.wallMs << " " << c.offsetSeconds;
    }

    const std::vector<std::uint8_t> bytes{0x7B, 0x00, 0xFF};
    const QByteArray record = recordBytes(-5, 42, bytes);
    ASSERT_EQ(record.size(), 17);
    EXPECT_EQ(record.mid(12, 2), QByteArray("\x03\x00", 2));
    CaptureRecord r;
    ASSERT_TRUE(parseRecord(record, r));
    EXPECT_EQ(r, (CaptureRecord{-5, 42, bytes}));
    for (const QByteArray& bad : {record.left(13), record.left(16), record + 'x'}) {
        EXPECT_FALSE(parseRecord(bad, r));
    }
    EXPECT_TRUE(parseRecord(recordBytes(1, 2, {}), r));
    EXPECT_TRUE(r.bytes.empty());
}

// Another driver's records: format 2's, with the direction; a byte 12 that
// is no direction is no record.
TEST(Messages, NamedRecordsCarryTheirDirection) {
    const std::vector<std::uint8_t> bytes{0x0F, 0x03};
    for (const CaptureDirection d : {CaptureDirection::Received, CaptureDirection::Sent}) {
        const QByteArray record = namedRecordBytes(7, 8, bytes, d);
        ASSERT_EQ(record.size(), 17);
        CaptureRecord r;
        ASSERT_TRUE(parseRecord(record, r, true));
        EXPECT_EQ(r, (CaptureRecord{7, 8, bytes, d}));
        EXPECT_FALSE(parseRecord(record, r)) << "a format 1 reader refuses it by its length";
        QByteArray bad = record;
        bad[12] = 2;
        EXPECT_FALSE(parseRecord(bad, r, true));
    }
}

// The messages' JSON is byte for byte what Qt's writer makes of the same
// members, whatever the texts and numbers hold.
TEST(Messages, JsonTextIsQtsToTheByte) {
    const QString texts[] = {QStringLiteral("LiIo/Po/Fe"),
                             QStringLiteral("quote \" back\\slash"),
                             QStringLiteral("\b\f\n\r\t \x01 \x1f \x7f"),
                             QStringLiteral("电池 °C"),
                             QString(QChar(0xD83D)) + QChar(0xDE00) + u'x',
                             QString(QChar(0xD800)) + u'x' + QChar(0xDC00),
                             QString()};
    const double numbers[] = {0,
                              -0.0,
                              4.1,
                              15,
                              -2.05,
                              0.01,
                              1234.56,
                              0.0001,
                              0.0005,
                              0.001,
                              0.0012,
                              1e-5,
                              1e9,
                              123456.7891,
                              1e16,
                              -1e300,
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};
    for (const QString& text : texts) {
        for (const double v : numbers) {
            RowValues row;
            row.wall = at(3600);
            row.battery = text;
            row.state = text;
            row.voltageV = v;
            row.cellsV[11] = v;
            QJsonArray cells;
            for (const double c : row.cellsV) {
                cells.append(c);
            }
            const QJsonObject o{{QStringLiteral("wall"), isoWithOffset(row.wall)},
                                {QStringLiteral("time"), row.time},
                                {QStringLiteral("battery"), text},
                                {QStringLiteral("state"), text},
                                {QStringLiteral("ext_c"), 0.0},
                                {QStringLiteral("int_c"), 0.0},
                                {QStringLiteral("input_v"), 0.0},
                                {QStringLiteral("voltage_v"), v},
                                {QStringLiteral("current_a"), 0.0},
                                {QStringLiteral("capacity_mah"), 0.0},
                                {QStringLiteral("power_w"), 0.0},
                                {QStringLiteral("cells_v"), cells}};
            EXPECT_EQ(rowJson(row).toStdString(),
                      QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString())
                << v << " " << text.toStdString();
        }
        EXPECT_EQ(eventJson(at(0), QStringLiteral("alarm"), text, text),
                  QJsonDocument(QJsonObject{{QStringLiteral("wall"), isoWithOffset(at(0))},
                                            {QStringLiteral("event"), QStringLiteral("alarm")},
                                            {QStringLiteral("kind"), text},
                                            {QStringLiteral("text"), text}})
                      .toJson(QJsonDocument::Compact));
    }
    ResumeState state{4'000'000'000u,
                      1,
                      -1'700'000'000'000,
                      -3600,
                      3,
                      QStringLiteral("a\tb"),
                      5,
                      1'700'000'000'001,
                      1'700'000'000'002,
                      QStringLiteral("r")};
    const QJsonObject resume{{QStringLiteral("connection_ticks"), 4'000'000'000LL},
                             {QStringLiteral("connect_ticks"), 1},
                             {QStringLiteral("began_ms"), -1'700'000'000'000LL},
                             {QStringLiteral("utc_offset"), -3600},
                             {QStringLiteral("began_ticks"), 3},
                             {QStringLiteral("last_row"), QStringLiteral("a\tb")},
                             {QStringLiteral("row_ticks"), 5},
                             {QStringLiteral("row_ms"), 1'700'000'000'001LL},
                             {QStringLiteral("sent_ms"), 1'700'000'000'002LL},
                             {QStringLiteral("run"), QStringLiteral("r")}};
    EXPECT_EQ(resumeJson(state), QJsonDocument(resume).toJson(QJsonDocument::Compact));
}

TEST(Messages, DiscoveryNamesEverySensorReadingTheRowWithStatusAsAvailability) {
    const BrokerAddress address = parseBrokerAddress(QStringLiteral("mqtt://h/bay.2"));
    const auto configs = discoveryConfigs(address);
    ASSERT_EQ(configs.size(), 8u + 12u);
    QStringList topics;
    for (const auto& [topic, json] : configs) {
        topics << topic;
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        EXPECT_EQ(o.value(QStringLiteral("state_topic")).toString(),
                  QStringLiteral("cellwatch/bay.2/row"));
        EXPECT_EQ(o.value(QStringLiteral("availability_topic")).toString(),
                  QStringLiteral("cellwatch/bay.2/status"));
        EXPECT_TRUE(o.value(QStringLiteral("value_template"))
                        .toString()
                        .startsWith(QStringLiteral("{{ value_json.")));
    }
    for (const char* field : {"voltage", "current", "capacity", "power", "ext_temp", "int_temp",
                              "input_voltage", "state", "cell1", "cell12"}) {
        EXPECT_TRUE(topics.contains(
            QStringLiteral("homeassistant/sensor/cellwatch_bay_2_%1/config").arg(field)))
            << field;
    }
    const QJsonObject cell12 = QJsonDocument::fromJson(configs.back().second).object();
    EXPECT_EQ(cell12.value(QStringLiteral("value_template")).toString(),
              QStringLiteral("{{ value_json.cells_v[11] }}"));
}

}  // namespace
}  // namespace cellwatch::net
