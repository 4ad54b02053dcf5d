// cellwatch-log --influx: a replayed recording of a charger of two channels
// written into real databases, every row of each channel read back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>

#include "net/publisher.h"
#include "test_broker.h"
#include "test_databases.h"
#include "tests/support/charger_readings.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch {
namespace {

using nettest::TestDatabase;
using testing::ToolRun;

// A frames file of `count` readings of each of two channels a second apart
// (channel 2 a tenth of a second after channel 1), ending a minute ago.
QString writeFrames(const QTemporaryDir& dir, int count) {
    const QString path = dir.filePath(QStringLiteral("two.frames"));
    std::ofstream out(path.toStdString());
    QDateTime at = QDateTime::currentDateTime().addSecs(-60 - count);
    for (int i = 0; i < count; ++i) {
        for (int channel = 1; channel <= 2; ++channel) {
            const std::string body = "$" + std::to_string(channel) + ";" + std::to_string(channel) +
                                     ";13;12050;11700;" + std::to_string(100 + i) +
                                     ";3900;3901;3899;0;0;0;0;0;0;0;221;";
            int sum = 0;  // the XOR of every byte up to the last ';'
            for (const char c : body) {
                sum ^= static_cast<unsigned char>(c);
            }
            const std::string line = body + std::to_string(sum) + "\r\n";
            const QDateTime when = at.addMSecs(channel == 1 ? 0 : 100);
            out << when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toStdString() << ": "
                << QByteArray::fromStdString(line).toHex(' ').toStdString() << "\n";
        }
        at = at.addSecs(1);
    }
    return path;
}

// The rows of channel `channel` in the log's marked output.
long long rowsLogged(const std::string& out, int channel) {
    const std::string start = "\n" + std::to_string(channel) + "\t0:";
    long long rows = 0;
    for (std::size_t at = out.find(start); at != std::string::npos; at = out.find(start, at + 1)) {
        ++rows;
    }
    return rows;
}

TEST(InfluxTool, EveryRowOfEachChannelIsStored) {
    struct Server {
        const char* name;
        std::function<bool()> installed;
        std::function<std::unique_ptr<TestDatabase>()> make;
    };
    const Server servers[] = {
        {"influxd", nettest::TestInfluxd::installed,
         [] { return std::make_unique<nettest::TestInfluxd>(); }},
        {"victoria-metrics", nettest::TestVictoria::installed,
         [] { return std::make_unique<nettest::TestVictoria>(); }},
    };
    QTemporaryDir dir;
    const QString frames = writeFrames(dir, 300);
    for (const Server& server : servers) {
        SCOPED_TRACE(server.name);
        if (!server.installed()) {
            GTEST_SKIP() << server.name << " is not installed (scripts/setup --dev installs it)";
        }
        const std::unique_ptr<TestDatabase> db = server.make();
        ToolRun log(CELLWATCH_LOG_TOOL, {"--frames", frames, "--charger", "openformat", "--speed",
                                         "0", "--influx", db->writeAddress(), "--out", "-"});
        ASSERT_EQ(log.wait(120000), 0) << log.err();
        const long long logged[] = {rowsLogged(log.out(), 1), rowsLogged(log.out(), 2)};
        EXPECT_GT(logged[0], 250);
        EXPECT_GT(logged[1], 250);
        EXPECT_EQ(db->rowsStored(1), logged[0]);
        EXPECT_EQ(db->rowsStored(2), logged[1]);
        EXPECT_NE(log.err().find(" 0 dropped"), std::string::npos) << log.err();
    }
}

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
