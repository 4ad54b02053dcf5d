// Rows and alarms as database lines, and the database addresses.
#include <gtest/gtest.h>

#include <QUrlQuery>

#include "net/influx_line.h"
#include "net/influx_target.h"

namespace cellwatch::net {
namespace {

Decimal d(const char* text) {
    return *Decimal::parse(text);
}

Reading plainRow() {
    Reading r;
    r.voltage = d("8.4");
    r.current = d("-1.5");
    r.capacity = d("1234");
    r.state = ChargeState::Discharging;
    return r;
}

TEST(InfluxLine, RowsCarryOnlyWhatTheChargerReports) {
    struct Case {
        const char* name;
        Reading reading;
        InfluxTags tags;
        const char* line;
    };
    Reading full = plainRow();
    full.energy = d("12.25");
    full.power = d("12.6");
    full.inputVoltage = d("15");
    full.intTemperature = d("31.5");
    full.extTemperature = d("-2");
    full.packResistance = d("18.4");
    full.cellCount = 3;
    full.cells = {d("4.2"), d("0"), d("4.19")};  // the middle slot: no cell
    full.cellResistance[0] = d("2.5");
    full.errorCode = 7;
    const Case cases[] = {
        {"absent optional values are left out, never 0",
         plainRow(),
         {"b6", 2, ""},
         "cellwatch,charger=b6,channel=2 voltage_v=8.4,current_a=-1.5,capacity_mah=1234,"
         "state=2i 1700000000123000000"},
        {"every value with its unit",
         full,
         {"b6", 1, "3S 2200"},
         "cellwatch,charger=b6,channel=1,pack=3S\\ 2200 voltage_v=8.4,current_a=-1.5,"
         "capacity_mah=1234,energy_wh=12.25,power_w=12.6,input_v=15,temp_int_c=31.5,"
         "temp_ext_c=-2,resistance_mohm=18.4,cell1_v=4.2,cell1_mohm=2.5,cell3_v=4.19,state=2i,"
         "error_code=7i 1700000000123000000"},
        {"tags escaped; control characters and backslashes never break the line",
         plainRow(),
         {"club=1, bay 2", 1, "a\\b\nc"},
         "cellwatch,charger=club\\=1\\,\\ bay\\ 2,channel=1,pack=a/b\\ c voltage_v=8.4,"
         "current_a=-1.5,capacity_mah=1234,state=2i 1700000000123000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out;
        appendInfluxRow(out, c.tags, c.reading, 1'700'000'000'123'000'000);
        EXPECT_EQ(out, c.line);
    }
}

TEST(InfluxLine, AlarmsAreASecondMeasurement) {
    struct Case {
        alarms::Alarm alarm;
        std::optional<Decimal> limit;
        const char* line;
    };
    const Case cases[] = {
        {{alarms::Kind::CellHigh, "cell 3 at 4.25 V", 0},
         d("4.22"),
         "cellwatch_alarm,charger=b6,channel=1,kind=cell-high text=\"cell 3 at 4.25 V\","
         "limit=4.22 5000000"},
        {{alarms::Kind::Lost, "port \"ttyUSB0\" gone\\\n", 0},
         std::nullopt,
         "cellwatch_alarm,charger=b6,channel=1,kind=lost text=\"port \\\"ttyUSB0\\\" gone\\\\ \" "
         "5000000"},
    };
    for (const Case& c : cases) {
        std::string out;
        appendInfluxAlarm(out, {"b6", 1, ""}, c.alarm, 5'000'000, c.limit);
        EXPECT_EQ(out, c.line);
    }
}

TEST(InfluxAddress, TakesTheThreeFormsAndSaysWhatIsWrong) {
    struct Case {
        const char* text;
        const char* shown;  // nullptr: refused
        const char* why;
    };
    const Case cases[] = {
        {"http://db:8086/write?db=club", "http://db:8086/write", ""},
        {"https://db/api/v2/write?org=o&bucket=b", "https://db/api/v2/write", ""},
        {"http://vm:8428/influx/write", nullptr, "no database"},
        {"http://vm:8428/influx/write?db=x", "http://vm:8428/influx/write", ""},
        {"http://db:8086/write", nullptr, "no database"},
        {"http://db/api/v2/write?org=o", nullptr, "no bucket"},
        {"ftp://db/write?db=x", nullptr, "neither http"},
        {"http://me:secret@db/write?db=x", nullptr, "--influx-auth"},
        {"http://db:8086/", nullptr, "path"},
        {"db:8086", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.shown != nullptr) {
            const QUrl url = parseInfluxAddress(QString::fromLatin1(c.text));
            EXPECT_EQ(influxAddressText(url), QLatin1String(c.shown));
            EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("precision")), "ns");
        } else {
            try {
                parseInfluxAddress(QString::fromLatin1(c.text));
                ADD_FAILURE() << "taken";
            } catch (const InfluxError& e) {
                EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
            }
        }
    }
}

}  // namespace
}  // namespace cellwatch::net
