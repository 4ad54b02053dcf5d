// Capturing a live run with the built cellwatch-log and playing it back:
// the replay writes the very lines of the live run.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "log_test_support.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
namespace fs = std::filesystem;

class ReplayToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir = fs::temp_directory_path() /
              ("cellwatch-replay-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    emu::PseudoTerminal pty;
};

emu::Step step(emu::Step::Kind kind, int n, FrameLayout layout, std::uint32_t ms = 0) {
    emu::Step s;
    s.kind = kind;
    s.reading = chargeReading(n);
    s.layout = layout;
    s.ms = ms;
    return s;
}

// Both layouts, garbage and a damaged message, then a message that stalls
// for 4.7 s after its first bytes: it comes too late (idle), and the next
// one more than 4 s after the last row restarts the recording.
TEST_F(ReplayToolTest, ReplayedCaptureGivesExactlyTheLinesOfTheLiveRun) {
    using Kind = emu::Step::Kind;
    const std::string capture = (dir / "run.cwcap").string();
    ToolRun live({"--port", pty.slavePath(), "--capture", capture});
    ASSERT_TRUE(live.waitForLines(1)) << live.err();

    std::vector<emu::Step> steps;
    for (int n = 1; n <= 4; ++n) {
        steps.push_back(
            step(Kind::Message, n, n % 2 ? FrameLayout::Long112 : FrameLayout::Short76));
    }
    emu::Step garbage;
    garbage.kind = Kind::Garbage;
    garbage.bytes = {0x00, 0x7D, 0xFF, 0x80, 0x41};
    steps.push_back(garbage);
    steps.push_back(step(Kind::DamagedMessage, 5, FrameLayout::Long112));
    steps.push_back(step(Kind::Message, 6, FrameLayout::Long112));
    steps.push_back(step(Kind::LateMessage, 7, FrameLayout::Long112, 4700));
    for (int n = 8; n <= 11; ++n) {
        steps.push_back(
            step(Kind::Message, n, n % 2 ? FrameLayout::Long112 : FrameLayout::Short76));
    }
    emu::PacedWriter writer(
        pty.masterFd(),
        {.paced = true, .intervalMs = 120, .bytesPerSecond = 4800, .chunkBytes = 16});
    ASSERT_EQ(writer.play(steps), emu::PacedWriter::Outcome::Finished);
    live.waitForLines(1000, 400);  // the last bytes are worked off
    live.signal(SIGTERM);
    ASSERT_EQ(live.wait(), kExitOk) << live.err();
    const auto lines = live.outLines();
    for (const char* event : {"# idle", "# restart"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), event), lines.end()) << live.out();
    }
    ASSERT_GE(lines.size(), 10u) << live.out();

    ToolRun replay({"--replay", capture, "--speed", "0"});
    EXPECT_EQ(replay.wait(), kExitOk);
    EXPECT_EQ(replay.out(), live.out());
    EXPECT_TRUE(replay.err().empty()) << replay.err();

    // Killed while writing: the replay stops before the cut-off record.
    fs::resize_file(capture, fs::file_size(capture) - 3);
    ToolRun cut({"--replay", capture, "--speed=0"});
    EXPECT_EQ(cut.wait(), kExitOk);
    const auto cutLines = cut.outLines();
    ASSERT_FALSE(cutLines.empty());
    EXPECT_LE(cutLines.size(), lines.size());
    EXPECT_TRUE(std::equal(cutLines.begin(), cutLines.end(), lines.begin()));
    EXPECT_NE(cut.err().find("cut off"), std::string::npos) << cut.err();
}

struct BadFile {
    const char* name;
    std::vector<std::string> arguments;  // "DIR" stands for the test's folder, "PTY" for the port
    const char* says;
};

void PrintTo(const BadFile& b, std::ostream* os) {
    *os << b.name;
}

class ReplayToolBadFile : public ReplayToolTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(ReplayToolBadFile, OneLineNamingItStatusOneAndNoOutput) {
    std::ofstream(dir / "log.tsv") << kHeaderLine << '\n';
    std::vector<std::string> arguments;
    for (std::string a : GetParam().arguments) {
        if (a == "PTY") {
            a = pty.slavePath();
        } else if (a.rfind("DIR", 0) == 0) {
            a = dir.string() + a.substr(3);
        }
        arguments.push_back(a);
    }
    ToolRun run(arguments);
    EXPECT_EQ(run.wait(), kExitFailure);
    EXPECT_TRUE(run.out().empty()) << run.out();
    const auto err = splitLines(run.err());
    ASSERT_EQ(err.size(), 1u) << run.err();
    EXPECT_EQ(err[0].rfind("cellwatch-log: ", 0), 0u) << err[0];
    EXPECT_NE(err[0].find(GetParam().says), std::string::npos) << err[0];
}

INSTANTIATE_TEST_SUITE_P(Files, ReplayToolBadFile,
                         ::testing::Values(BadFile{"CaptureInMissingFolder",
                                                   {"--port", "PTY", "--capture",
                                                    "DIR/no/run.cwcap"},
                                                   "cannot write "},
                                           BadFile{"ReplayOfALog",
                                                   {"--replay", "DIR/log.tsv"},
                                                   "log.tsv is not a Cellwatch capture"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace cellwatch::logger
