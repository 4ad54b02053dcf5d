// cellwatch-log --influx: a replayed recording of a charger of two channels
// written into real databases, every row of each channel read back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <memory>

#include "test_databases.h"
#include "tests/support/tool_run.h"

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

}  // namespace
}  // namespace cellwatch
