// cellwatch-log over the network, as a user runs it: a charger on a
// pseudo-terminal published on a broker of the test's own and watched from
// there; the broker away and back.
#include <gtest/gtest.h>

#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "log_test_support.h"
#include "test_broker.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
using nettest::TestBroker;

// mosquitto_sub printing "topic payload" lines for the given topics.
class BrokerListener {
public:
    BrokerListener(const TestBroker& broker, const QStringList& topics) {
        QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                         QString::number(broker.port()), QStringLiteral("-v")};
        for (const QString& t : topics) {
            args << QStringLiteral("-t") << t;
        }
        process_.start(QStringLiteral("mosquitto_sub"), args);
        process_.waitForStarted();
    }
    // Stops listening once `last` was heard last (or after five seconds):
    // the broker may still be passing on what a program sent just before it
    // ended.
    std::vector<std::string> stop(const std::string& last) {
        std::string heard;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5'000 && !heard.ends_with(last + "\n")) {
            process_.waitForReadyRead(100);
            heard += process_.readAllStandardOutput().toStdString();
        }
        process_.terminate();
        process_.waitForFinished();
        heard += process_.readAllStandardOutput().toStdString();
        return splitLines(heard);
    }

private:
    QProcess process_;
};

TEST(NetworkTool, AWatcherPrintsExactlyThePublishersLinesThenLost) {
    TestBroker broker;
    emu::PseudoTerminal pty;
    const std::string address = broker.address(QStringLiteral("bench1")).toStdString();
    {
        // An earlier run leaves its start and "offline" on the broker: the
        // watcher waits for the next run instead.
        ToolRun earlier({"--port", pty.slavePath(), "--publish", address});
        ASSERT_TRUE(earlier.waitForLines(1)) << earlier.err();
        earlier.signal(SIGTERM);
        ASSERT_EQ(earlier.wait(), kExitOk) << earlier.err();
    }
    ToolRun watcher({"--port", address});
    ASSERT_TRUE(watcher.waitForLines(1)) << watcher.err();  // connected: the header
    BrokerListener listener(
        broker, {QStringLiteral("cellwatch/bench1/row"), QStringLiteral("cellwatch/bench1/event"),
                 QStringLiteral("cellwatch/bench1/status")});

    ToolRun publisher({"--port", pty.slavePath(), "--publish", address});
    ASSERT_TRUE(publisher.waitForLines(1)) << publisher.err();
    ASSERT_TRUE(playEventfulRun(pty.masterFd(), 3));
    publisher.waitForLines(1000, 400);  // the last bytes are worked off
    publisher.signal(SIGTERM);
    ASSERT_EQ(publisher.wait(), kExitOk) << publisher.err();
    EXPECT_TRUE(publisher.err().empty()) << publisher.err();

    const auto lines = publisher.outLines();
    for (const char* event : {"# idle", "# restart"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), event), lines.end()) << publisher.out();
    }
    // The clean end says "offline": the watcher's link is lost, and the
    // watcher raises the `lost` alarm on its own.
    EXPECT_EQ(watcher.wait(), kExitLost) << watcher.err();
    EXPECT_EQ(watcher.out(),
              publisher.out() +
                  "# alarm lost: Link lost during the charge, last row at 0:00:00: the "
                  "charger went offline\n# lost\n")
        << publisher.out();
    EXPECT_NE(watcher.err().find("the charger went offline"), std::string::npos) << watcher.err();

    // Every row and event went out as JSON, in order, and the status last.
    const auto heard = listener.stop("cellwatch/bench1/status offline");
    std::size_t rows = 0;
    std::vector<std::string> events;
    for (const std::string& line : heard) {
        if (line.starts_with("cellwatch/bench1/row {\"battery\":")) {
            ++rows;
        } else if (line.starts_with("cellwatch/bench1/event ")) {
            const auto at = line.find("\"event\":\"");
            events.push_back(line.substr(at + 9, line.find('"', at + 9) - at - 9));
        }
    }
    EXPECT_EQ(rows, lines.size() - 1 - events.size());
    EXPECT_EQ(events, (std::vector<std::string>{"idle", "restart"}));
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), "cellwatch/bench1/status offline");
}

TEST(NetworkTool, ABrokerAwayNeverStopsTheLog) {
    auto broker = std::make_unique<TestBroker>();
    broker->stop();
    emu::PseudoTerminal pty;
    const std::string address = broker->address(QStringLiteral("bay")).toStdString();
    ToolRun publisher({"--port", pty.slavePath(), "--publish", address});
    ASSERT_TRUE(publisher.waitForLines(1)) << publisher.err();
    ASSERT_TRUE(publisher.waitForError("cannot reach the broker 127.0.0.1:")) << publisher.err();
    writeAll(pty.masterFd(), emu::encodeStatus(charging(1), FrameLayout::Long112));
    writeAll(pty.masterFd(), emu::encodeStatus(charging(2), FrameLayout::Long112));
    ASSERT_TRUE(publisher.waitForLines(2)) << publisher.err();

    broker->start();
    ASSERT_TRUE(publisher.waitForError("connected to the broker", 40000)) << publisher.err();
    broker->kill();
    ASSERT_TRUE(publisher.waitForError("lost the broker")) << publisher.err();
    writeAll(pty.masterFd(), emu::encodeStatus(charging(3), FrameLayout::Long112));
    writeAll(pty.masterFd(), emu::encodeStatus(charging(4), FrameLayout::Long112));
    ASSERT_TRUE(publisher.waitForLines(5)) << publisher.err();
    publisher.signal(SIGTERM);
    EXPECT_EQ(publisher.wait(), kExitOk) << publisher.err();
    EXPECT_EQ(publisher.outLines().size(), 5u) << publisher.out();
    EXPECT_EQ(publisher.err().find("secret"), std::string::npos);
}

TEST(NetworkTool, AWatcherWithoutABrokerEndsAtOnce) {
    TestBroker broker;
    broker.stop();
    ToolRun watcher({"--port", broker.address(QStringLiteral("x")).toStdString()});
    EXPECT_EQ(watcher.wait(), kExitFailure);
    EXPECT_TRUE(watcher.out().empty());
    EXPECT_NE(watcher.err().find("cellwatch-log: cannot reach the broker 127.0.0.1:"),
              std::string::npos)
        << watcher.err();
}

}  // namespace
}  // namespace cellwatch::logger
