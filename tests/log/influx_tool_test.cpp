// cellwatch-log --influx: every charger on a broker written into a real
// database, every row read back. (Each channel's rows into both kinds of
// database, also across a restart, are the session's test.)
#include <gtest/gtest.h>

#include <QDateTime>
#include <csignal>
#include <memory>

#include "net/publisher.h"
#include "test_broker.h"
#include "test_databases.h"
#include "tests/support/charger_readings.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch {
namespace {

using testing::ToolRun;

// What a club runs: one log watching every charger on a broker into one
// database. Each charger's rows are tagged with its name; every row the
// log recorded is stored.
TEST(InfluxTool, EveryChargerOnABrokerGoesToOneDatabase) {
    if (!nettest::TestInfluxd::installed()) {
        GTEST_SKIP() << "influxd is not installed (scripts/setup --dev installs it)";
    }
    nettest::TestBroker broker;
    nettest::TestInfluxd db;
    ToolRun log(CELLWATCH_LOG_TOOL,
                {"--port", QStringLiteral("mqtt://127.0.0.1:%1/#").arg(broker.port()), "--influx",
                 db.writeAddress()});
    const QStringList names = {QStringLiteral("bay1"), QStringLiteral("bay2")};
    std::vector<std::unique_ptr<net::Publisher>> publishers;
    for (const QString& name : names) {
        net::MqttOptions options;
        options.address = net::parseBrokerAddress(broker.address(name));
        publishers.push_back(std::make_unique<net::Publisher>(options, false));
        publishers.back()->setStart({QDateTime::currentMSecsSinceEpoch(), 0, 0});
        publishers.back()->start();
    }
    // The publishers need the event loop: the log's lines are collected meanwhile.
    ASSERT_TRUE(nettest::waitUntil(
        [&] {
            return log.waitForError("watching the charger bay1", 0) &&
                   log.waitForError("watching the charger bay2", 0);
        },
        30000))
        << log.err();
    // Records until both chargers' rows are stored, a second apart on the
    // chargers' clocks.
    std::int64_t wall = QDateTime::currentMSecsSinceEpoch();
    std::uint32_t ticks = 0;
    int k = 0;
    ASSERT_TRUE(nettest::waitUntil(
        [&] {
            ++k;
            wall += 1000;
            ticks += 1000;
            for (auto& p : publishers) {
                p->raw(wall, ticks,
                       emulator::encodeStatus(testing::charging(k), FrameLayout::Long112));
            }
            return k > 20 && db.rowsStored(0, names[0]) > 0 && db.rowsStored(0, names[1]) > 0;
        },
        60000));
    for (auto& p : publishers) {
        p->finish();
    }
    log.signal(SIGTERM);
    ASSERT_EQ(log.wait(30000), 0) << log.err();
    // "N rows of 2 chargers for the database ...: M lines taken, 0 dropped"
    const std::string& err = log.err();
    const std::size_t at = err.find(" rows of 2 chargers");
    ASSERT_NE(at, std::string::npos) << err;
    const long long rows = std::stoll(err.substr(err.rfind('\n', at) + 1 + 15));
    EXPECT_EQ(db.rowsStored(0, names[0]) + db.rowsStored(0, names[1]), rows) << err;
    EXPECT_NE(err.find(" 0 dropped"), std::string::npos) << err;
}

}  // namespace
}  // namespace cellwatch
