// cellwatch-log over the network, as a user runs it: a charger on a
// pseudo-terminal published on a broker of the test's own and watched from
// there; the broker away and back.
#include <gtest/gtest.h>

#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "log_test_support.h"
#include "silent_broker.h"
#include "test_broker.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
using nettest::SilentBroker;
using nettest::TestBroker;

// A file in `dir` holding `text`, with `mode`.
std::string fileIn(const QTemporaryDir& dir, const char* name, const QByteArray& text,
                   mode_t mode = 0600) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path.toStdString();
}

// Publishes with mosquitto_pub, waiting until the broker took it.
void forge(const TestBroker& broker, const QString& topic, const QByteArray& payload, bool retain) {
    QProcess pub;
    QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("-p"), QString::number(broker.port()),
                     QStringLiteral("-q"), QStringLiteral("1"),
                     QStringLiteral("-t"), topic,
                     QStringLiteral("-s")};
    if (retain) {
        args << QStringLiteral("-r");
    }
    pub.start(QStringLiteral("mosquitto_pub"), args);
    pub.write(payload);
    pub.closeWriteChannel();
    ASSERT_TRUE(pub.waitForFinished(10000));
    ASSERT_EQ(pub.exitCode(), 0) << pub.readAllStandardError().toStdString();
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

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

// The emulated charger of two channels, published: a watch of the whole
// charger begun before its start writes each line with its channel, under a
// header that says so; a watch of channel 2 writes as for a charger of one.
TEST(NetworkTool, AWholeChargersLinesNameTheirChannelAndOneChannelsDoNot) {
    constexpr int kWaitMs = 30'000;  // for a positive event only
    TestBroker broker;
    const std::string address = broker.address(QStringLiteral("duo")).toStdString();
    ToolRun whole({"--port", address});
    ASSERT_TRUE(whole.waitForLines(1)) << whole.err();
    testing::ToolRun emulator(QStringLiteral(CELLWATCH_EMULATOR_TOOL),
                              {QStringLiteral("--charger"), QStringLiteral("icharger")});
    ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
    ToolRun publisher({"--port", emulator.outLines().at(0), "--charger", "icharger", "--no-journal",
                       "--publish", address});
    ASSERT_TRUE(publisher.waitForLines(3, kWaitMs)) << publisher.err();
    ToolRun one({"--port", address + "/2"});
    ASSERT_TRUE(whole.waitForLines(6, kWaitMs)) << whole.err();
    ASSERT_TRUE(one.waitForLines(3, kWaitMs)) << one.err();

    // Rows only: a loaded machine may see the polled charger stop answering
    // ("# lost" and its alarm, the whole charger's, without a channel).
    const auto rowsOf = [](const std::vector<std::string>& lines) {
        std::vector<std::string> rows;
        std::copy_if(lines.begin() + 1, lines.end(), std::back_inserter(rows),
                     [](const std::string& l) { return !l.starts_with('#'); });
        return rows;
    };
    const std::vector<std::string> all = whole.outLines();
    const auto header = std::find_if(all.rbegin(), all.rend(), [](const std::string& l) {
        return l.find("Time\t") != std::string::npos;
    });
    ASSERT_NE(header, all.rend()) << whole.out();
    EXPECT_TRUE(header->starts_with("Channel\tTime\t")) << whole.out();
    std::set<char> channels;
    for (const std::string& row : rowsOf({header.base() - 1, all.end()})) {
        EXPECT_TRUE(row.size() > 2 && row[1] == '\t') << row;
        channels.insert(row[0]);
    }
    EXPECT_EQ(channels, (std::set<char>{'1', '2'}));

    const std::vector<std::string> two = one.outLines();
    EXPECT_TRUE(two[0].starts_with("Time\t")) << one.out();
    for (const std::string& row : rowsOf(two)) {
        EXPECT_TRUE(row.starts_with("0:")) << row;
        EXPECT_NE(row.find("discharge"), std::string::npos) << "not channel 2's: " << row;
    }
    publisher.signal(SIGTERM);
    EXPECT_EQ(publisher.wait(), kExitOk) << publisher.err();
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

// A charger the broker has not seen: the watcher says so on standard error
// and waits; with --wait it gives up after that long, with status 2.
TEST(NetworkTool, AWatcherOfAnUnknownChargerSaysSoAndWaitEndsIt) {
    TestBroker broker;
    const std::string address = broker.address(QStringLiteral("ghost")).toStdString();
    const std::string missing =
        "no charger ghost on 127.0.0.1:" + std::to_string(broker.port()) + ": waiting";
    ToolRun patient({"--port", address, "--no-journal"});
    ASSERT_TRUE(patient.waitForError(missing, 15000)) << patient.err();
    ToolRun brief({"--port", address, "--no-journal", "--wait", "1"});
    EXPECT_EQ(brief.wait(15000), kExitLost) << brief.err();
    EXPECT_NE(brief.err().find("no charger ghost on 127.0.0.1:" + std::to_string(broker.port()) +
                               " within 1 s"),
              std::string::npos)
        << brief.err();
    EXPECT_EQ(brief.outLines().size(), 1u);  // the header alone
}

// A watcher that joins a charge already going on shows the publisher's own
// rows from the moment it joined: the same elapsed times, and no restart the
// publisher did not have. Its journal goes on from the publisher's last row.
TEST(NetworkTool, AWatcherThatJoinsLateGoesOnWithThePublishersRecording) {
    TestBroker broker;
    emu::PseudoTerminal pty;
    const std::string address = broker.address(QStringLiteral("late")).toStdString();
    ToolRun publisher({"--port", pty.slavePath(), "--publish", address, "--no-journal"});
    ASSERT_TRUE(publisher.waitForLines(1)) << publisher.err();
    // Six rows a second apart on the publisher's clock (the pseudo-terminal
    // is written now; the rows' times are the publisher's own).
    std::size_t lines = 1;
    const auto send = [&](int n) {
        writeAll(pty.masterFd(), emu::encodeStatus(charging(n), FrameLayout::Long112));
        ASSERT_TRUE(publisher.waitForLines(++lines)) << publisher.err();
    };
    for (int n = 1; n <= 3; ++n) {
        send(n);
    }
    ToolRun watcher({"--port", address, "--no-journal"});
    ASSERT_TRUE(watcher.waitForLines(1)) << watcher.err();  // its subscriptions stand
    for (int n = 4; n <= 6; ++n) {
        send(n);
    }
    ASSERT_TRUE(watcher.waitForLines(4)) << watcher.err();
    publisher.signal(SIGTERM);
    ASSERT_EQ(publisher.wait(), kExitOk) << publisher.err();
    EXPECT_EQ(watcher.wait(), kExitLost) << watcher.err();

    const std::vector<std::string> published = publisher.outLines();
    const std::vector<std::string> watched = watcher.outLines();
    ASSERT_EQ(published.size(), 7u) << publisher.out();
    // Header, the three rows after it joined, then the lost alarm and "# lost".
    ASSERT_EQ(watched.size(), 6u) << watcher.out();
    EXPECT_EQ(watched[0], published[0]);
    for (std::size_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(watched[i], published[i + 3]) << "row " << i;
    }
    EXPECT_TRUE(watched[4].starts_with("# alarm lost: ")) << watched[4];
    EXPECT_EQ(watched[5], "# lost");
}

// A watcher that joins while the charger has stalled (its publisher still on
// the broker, its resume retained) raises what a watcher there from the
// start raises: stalled, measured from the publisher's last row (its limit
// passed before the late one joined), then lost.
TEST(NetworkTool, AWatcherThatJoinsDuringAStallRaisesWhatOneFromTheStartRaises) {
    TestBroker broker;
    emu::PseudoTerminal pty;
    const std::string address = broker.address(QStringLiteral("stall")).toStdString();
    const auto watch = [&] {
        return std::make_unique<ToolRun>(
            std::vector<std::string>{"--port", address, "--no-journal", "--alarm", "stalled=2"});
    };
    ToolRun publisher(
        {"--port", pty.slavePath(), "--publish", address, "--no-journal", "--alarm", "stalled=2"});
    ASSERT_TRUE(publisher.waitForLines(1)) << publisher.err();
    const std::unique_ptr<ToolRun> early = watch();
    ASSERT_TRUE(early->waitForLines(1)) << early->err();
    for (int k = 1; k <= 3; ++k) {
        writeAll(pty.masterFd(), emu::encodeStatus(charging(k), FrameLayout::Long112));
    }
    // The rows, then the publisher's own stalled alarm: the late one joins after it.
    ASSERT_TRUE(publisher.waitForLines(5, 20000)) << publisher.out() << publisher.err();
    ASSERT_TRUE(early->waitForLines(5, 20000)) << early->out() << early->err();
    const std::unique_ptr<ToolRun> late = watch();
    ASSERT_TRUE(late->waitForLines(2, 20000)) << late->out() << late->err();  // and stalled
    publisher.signal(SIGTERM);
    ASSERT_EQ(publisher.wait(), kExitOk) << publisher.err();
    ASSERT_EQ(early->wait(), kExitLost) << early->err();
    ASSERT_EQ(late->wait(), kExitLost) << late->err();

    const std::vector<std::string> all = early->outLines();
    ASSERT_EQ(all.size(), 7u) << early->out();
    EXPECT_TRUE(all[4].starts_with("# alarm stalled: No new row for 2 s")) << all[4];
    EXPECT_TRUE(all[5].starts_with("# alarm lost: ")) << all[5];
    // The header, then the same alarms and the loss; no row.
    const std::vector<std::string> expected{all[0], all[4], all[5], all[6]};
    EXPECT_EQ(late->outLines(), expected) << late->out() << late->err();
}

TEST(NetworkTool, WithTheKeyNeitherAForgedOfflineNorAForgedStartEndsTheWatcher) {
    TestBroker broker;
    emu::PseudoTerminal pty;
    QTemporaryDir dir;
    const std::string key = fileIn(dir, "bench.key", "c2VjcmV0IGtleSBvZiB0aGUgYmVuY2g=\n");
    const std::string address = broker.address(QStringLiteral("kb")).toStdString();
    ToolRun publisher({"--port", pty.slavePath(), "--publish", address, "--key-file", key});
    ASSERT_TRUE(publisher.waitForLines(1)) << publisher.err();
    // The header comes once the watcher's subscriptions stand.
    ToolRun watcher({"--port", address, "--key-file", key});
    ASSERT_TRUE(watcher.waitForLines(1)) << watcher.err();
    writeAll(pty.masterFd(), emu::encodeStatus(charging(1), FrameLayout::Long112));
    writeAll(pty.masterFd(), emu::encodeStatus(charging(2), FrameLayout::Long112));
    ASSERT_TRUE(publisher.waitForLines(3)) << publisher.err();
    ASSERT_TRUE(watcher.waitForLines(3)) << watcher.err();

    // Anyone on the broker: a retained "offline", another start, hot rows.
    forge(broker, QStringLiteral("cellwatch/kb/status"), "offline", true);
    forge(broker, QStringLiteral("cellwatch/kb/start"),
          QByteArray::fromHex("4357434150"
                              "1a"
                              "0100"
                              "0000000000000000"
                              "00000000"
                              "00000000"),
          true);
    const std::vector<std::uint8_t> hot = emu::encodeStatus(charging(3), FrameLayout::Long112);
    QByteArray record = QByteArray::fromHex(
                            "0000000000000000"
                            "00000000") +
                        char(hot.size()) + char(0);
    record.append(reinterpret_cast<const char*>(hot.data()), static_cast<qsizetype>(hot.size()));
    for (int i = 0; i < 20; ++i) {
        forge(broker, QStringLiteral("cellwatch/kb/raw"), record, false);
    }
    writeAll(pty.masterFd(), emu::encodeStatus(charging(4), FrameLayout::Long112));
    ASSERT_TRUE(publisher.waitForLines(4)) << publisher.err();
    ASSERT_TRUE(watcher.waitForLines(4)) << watcher.err();

    publisher.signal(SIGTERM);
    ASSERT_EQ(publisher.wait(), kExitOk) << publisher.err();
    EXPECT_EQ(watcher.wait(), kExitLost) << watcher.err();
    EXPECT_EQ(watcher.out(), publisher.out() +
                                 "# alarm lost: Link lost during the charge, last row at 0:00:00: "
                                 "the charger went offline\n# lost\n");
    // The forgeries in two lines: at the first, and the rest at the end.
    EXPECT_EQ(occurrences(watcher.err(), "not signed with the charger's key"), 2u) << watcher.err();
    EXPECT_NE(watcher.err().find("(22 in all)"), std::string::npos) << watcher.err();
}

TEST(NetworkTool, ACaptureWhilePublishingBeginsWithThePortsFirstByte) {
    SilentBroker silent(SilentBroker::Mode::NeverAnswer);  // the first attempt lasts
    emu::PseudoTerminal pty;
    QTemporaryDir dir;
    const std::string capture = dir.filePath(QStringLiteral("run.cwcap")).toStdString();
    ToolRun live({"--port", pty.slavePath(), "--capture", capture, "--publish",
                  silent.address(QStringLiteral("cap")).toStdString()});
    // The log connects once its port is open: what the charger sends from
    // now on is the log's.
    ASSERT_TRUE(nettest::waitUntil([&] { return silent.connections() >= 1; }));
    for (int k = 1; k <= 3; ++k) {
        writeAll(pty.masterFd(), emu::encodeStatus(charging(k), FrameLayout::Long112));
    }
    ASSERT_TRUE(live.waitForLines(4)) << live.err();
    live.signal(SIGTERM);
    ASSERT_EQ(live.wait(), kExitOk) << live.err();

    ToolRun replay({"--replay", capture, "--speed", "0"});
    EXPECT_EQ(replay.wait(), kExitOk) << replay.err();
    EXPECT_EQ(replay.out(), live.out());
}

TEST(NetworkTool, BadCertificateFilesAreRefusedAtOnceAndSecretsWarnedAbout) {
    QTemporaryDir dir;
    const std::string garbage = fileIn(dir, "garbage.pem", "not a certificate\n");
    const std::string fake = fileIn(
        dir, "fake.pem", "-----BEGIN CERTIFICATE-----\nnot base64!\n-----END CERTIFICATE-----\n");
    const std::pair<std::string, std::string> cases[] = {
        {dir.path().toStdString(), "it is a directory"},
        {"/dev/zero", "device"},
        {garbage, "holds no certificate"},
        {fake, "holds no certificate"},
        {dir.filePath(QStringLiteral("missing.pem")).toStdString(), "No such file"},
    };
    for (const auto& [ca, says] : cases) {
        ToolRun watcher({"--port", "mqtts://127.0.0.1:1/x", "--ca", ca});
        EXPECT_EQ(watcher.wait(), kExitUsage) << ca;
        EXPECT_NE(watcher.err().find(says), std::string::npos) << watcher.err();
        EXPECT_NE(watcher.err().find(ca), std::string::npos) << watcher.err();
    }

    // A password file others can read, and a password that goes unencrypted.
    TestBroker broker;
    broker.stop();
    const std::string password = fileIn(dir, "pw", "hunter2-secret\n", 0644);
    ToolRun watcher({"--port",
                     broker.address(QStringLiteral("x"), QStringLiteral("alice")).toStdString(),
                     "--password-file", password});
    EXPECT_EQ(watcher.wait(), kExitFailure);
    EXPECT_EQ(occurrences(watcher.err(), "can be read by others (mode 0644)"), 1u) << watcher.err();
    EXPECT_NE(watcher.err().find(password), std::string::npos) << watcher.err();
    EXPECT_EQ(occurrences(watcher.err(), "unencrypted"), 1u) << watcher.err();
    EXPECT_EQ(watcher.err().find("hunter2"), std::string::npos) << watcher.err();
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
