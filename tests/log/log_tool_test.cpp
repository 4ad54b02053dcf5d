// The built cellwatch-log as a user runs it: on a pseudo-terminal that the
// emulator writes, with its output read through a pipe or a file, its exit
// status and its error line.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "log_test_support.h"
#include "serial/receive_assembler.h"
#include "serial/serial_link.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class LogToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir = fs::temp_directory_path() /
              ("cellwatch-log-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string port() const { return pty->slavePath(); }
    void send(const emu::ChargerReading& reading) {
        writeAll(pty->masterFd(), emu::encodeStatus(reading, FrameLayout::Long112));
    }

    fs::path dir;
    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
};

TEST_F(LogToolTest, HelpDocumentsOutputEventsAndStatuses) {
    ToolRun run({"--help"});
    EXPECT_EQ(run.wait(), kExitOk);
    for (const char* topic :
         {"--port", "--out", "--capture", "--replay", "--speed", "Time", "# idle", "# restart",
          "# lost", "SIGTERM", "Ctrl-C", "Exit status", "UTF-8"}) {
        EXPECT_NE(run.out().find(topic), std::string::npos) << topic;
    }
    EXPECT_TRUE(run.err().empty());
}

struct Misuse {
    const char* name;
    std::vector<std::string> arguments;
};

void PrintTo(const Misuse& m, std::ostream* os) {
    *os << m.name;
}

class LogBadUsage : public LogToolTest, public ::testing::WithParamInterface<Misuse> {};

TEST_P(LogBadUsage, OneErrorLineAndStatusTwo) {
    ToolRun run(GetParam().arguments);
    EXPECT_EQ(run.wait(), kExitUsage);
    EXPECT_TRUE(run.out().empty());
    const auto err = splitLines(run.err());
    ASSERT_EQ(err.size(), 1u) << run.err();
    EXPECT_EQ(err[0].rfind("cellwatch-log: ", 0), 0u) << err[0];
}

INSTANTIATE_TEST_SUITE_P(CommandLines, LogBadUsage,
                         ::testing::Values(Misuse{"NoArguments", {}},
                                           Misuse{"PortWithoutValue", {"--port"}},
                                           Misuse{"ExtraArgument", {"--port", "a", "b"}},
                                           Misuse{"UnknownOption", {"--bogus"}}),
                         [](const auto& param) { return std::string(param.param.name); });

// What the serial layer says when it cannot open `device`.
std::string serialOpenFailure(const std::string& device) {
    class NoFrames final : public StatusFrameSink {
    public:
        void decodeStatus76(const StatusFrame&, std::uint32_t) override {}
        void decodeStatus112(const StatusFrame&, std::uint32_t) override {}
    };
    ManualTickClock clock;
    NoFrames sink;
    ReceiveAssembler assembler(clock, sink);
    SerialLink link(assembler);
    try {
        link.open(QString::fromStdString(device));
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "opened";
}

TEST_F(LogToolTest, PortThatCannotBeOpenedGivesTheSerialTextAndLeavesTheOutputAlone) {
    const std::string missing = (dir / "no-such-port").string();
    const fs::path earlier = dir / "earlier.tsv";
    std::ofstream(earlier) << "a log from before\n";
    ToolRun run({"--port", missing, "--out", earlier.string()});
    EXPECT_EQ(run.wait(), kExitFailure);
    const std::string reason = serialOpenFailure(missing);
    ASSERT_NE(reason, "opened");
    EXPECT_EQ(run.err(), "cellwatch-log: " + reason + "\n");
    EXPECT_TRUE(run.out().empty());
    EXPECT_EQ(readFile(earlier), "a log from before\n");
}

TEST_F(LogToolTest, OutputThatCannotBeWrittenIsNamedWithStatusOne) {
    for (const fs::path& out : {dir / "missing" / "log.tsv", dir}) {
        ToolRun run({"--port", port(), "--out", out.string()});
        EXPECT_EQ(run.wait(), kExitFailure) << out;
        const auto err = splitLines(run.err());
        ASSERT_EQ(err.size(), 1u) << run.err();
        EXPECT_EQ(err[0].rfind("cellwatch-log: cannot write " + out.string() + ": ", 0), 0u)
            << err[0];
    }
}

TEST_F(LogToolTest, RowsFollowTheSamplesThroughAPipeUntilThePortIsLost) {
    ToolRun run({"--port", port()});
    ASSERT_TRUE(run.waitForLines(1)) << run.err();
    EXPECT_EQ(run.outLines()[0], kHeaderLine);
    for (int n = 1; n <= 3; ++n) {
        send(chargeReading(n));
        // Each row arrives while the tool runs: it was flushed at once.
        ASSERT_TRUE(run.waitForLines(static_cast<std::size_t>(n) + 1)) << "row " << n;
    }
    pty.reset();  // the adapter is pulled
    EXPECT_EQ(run.wait(), kExitLost);
    const auto lines = run.outLines();
    ASSERT_EQ(lines.size(), 5u) << run.out();
    EXPECT_EQ(lines[1], expectedRow(chargeReading(1), FrameLayout::Long112, "0:00:01"));
    for (int n = 2; n <= 3; ++n) {
        EXPECT_EQ(withoutTime(lines[static_cast<std::size_t>(n)]),
                  withoutTime(expectedRow(chargeReading(n), FrameLayout::Long112, "")));
    }
    EXPECT_EQ(lines[4], "# lost");
    EXPECT_EQ(run.out().back(), '\n');
    const auto err = splitLines(run.err());
    ASSERT_EQ(err.size(), 1u) << run.err();
    EXPECT_EQ(err[0].rfind("cellwatch-log: lost the port", 0), 0u) << err[0];
}

class LogEndedBySignal : public LogToolTest, public ::testing::WithParamInterface<int> {};

TEST_P(LogEndedBySignal, StatusZeroWithEveryLineInTheFile) {
    const fs::path out = dir / "log.tsv";
    ToolRun run({"--port", port(), "--out", out.string()});
    const auto fileLines = [&] { return splitLines(readFile(out)); };
    std::vector<std::string> meant{kHeaderLine};
    for (int n = 1; n <= 3; ++n) {
        for (int tries = 0; fileLines().size() < meant.size() && tries < 500; ++tries) {
            ::usleep(10'000);
        }
        ASSERT_EQ(fileLines().size(), meant.size()) << run.err();
        send(chargeReading(n));
        meant.push_back(expectedRow(chargeReading(n), FrameLayout::Long112, ""));
    }
    for (int tries = 0; fileLines().size() < meant.size() && tries < 500; ++tries) {
        ::usleep(10'000);
    }
    run.signal(GetParam());
    EXPECT_EQ(run.wait(), kExitOk);
    EXPECT_TRUE(run.err().empty()) << run.err();
    EXPECT_TRUE(run.out().empty());
    const std::string text = readFile(out);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const auto lines = splitLines(text);
    ASSERT_EQ(lines.size(), meant.size()) << text;
    EXPECT_EQ(lines[0], kHeaderLine);
    EXPECT_EQ(lines[1].substr(0, 8), "0:00:01\t");
    for (std::size_t i = 1; i < meant.size(); ++i) {
        EXPECT_EQ(withoutTime(lines[i]), withoutTime(meant[i])) << "row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, LogEndedBySignal, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& param) {
                             return std::string(param.param == SIGTERM ? "Term" : "Interrupt");
                         });

// Real time: the charger stalls for 5 s half way through a message. The
// message comes too late (idle), the next one more than 4 s after the last
// row (the recording restarts and drops it) and the one after that is the
// new recording's first row.
TEST_F(LogToolTest, ChargerStallGivesIdleThenRestartThenRowsFromOneSecond) {
    ToolRun run({"--port", port()});
    ASSERT_TRUE(run.waitForLines(1)) << run.err();

    std::vector<emu::Step> steps;
    for (int n = 1; n <= 4; ++n) {
        emu::Step step;
        step.kind = n == 2 ? emu::Step::Kind::LateMessage : emu::Step::Kind::Message;
        step.reading = chargeReading(n);
        step.layout = FrameLayout::Long112;
        step.ms = n == 2 ? 5000 : 0;
        steps.push_back(step);
    }
    emu::PacedWriter writer(
        pty->masterFd(),
        {.paced = true, .intervalMs = 250, .bytesPerSecond = 200'000, .chunkBytes = 16});
    std::thread feeder([&] { writer.play(steps); });
    const bool complete = run.waitForLines(5, 9000);
    feeder.join();
    EXPECT_EQ(writer.messagesWritten(), 4u);
    ASSERT_TRUE(complete) << run.out();
    EXPECT_EQ(
        run.outLines(),
        (std::vector<std::string>{
            kHeaderLine, expectedRow(chargeReading(1), FrameLayout::Long112, "0:00:01"), "# idle",
            "# restart", expectedRow(chargeReading(4), FrameLayout::Long112, "0:00:01")}));
    run.signal(SIGTERM);
    EXPECT_EQ(run.wait(), kExitOk);
}

}  // namespace
}  // namespace cellwatch::logger
