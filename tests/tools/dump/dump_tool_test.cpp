// The command-line tools as a user runs them: the emulator's output piped
// into the dump tool gives exactly the messages the emulator meant.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/text_file.h"
#include "tests/support/tool_run.h"

namespace {

namespace fs = std::filesystem;
using cellwatch::testing::readFile;
using cellwatch::testing::splitLines;

const std::string kTools = CELLWATCH_TOOLS_DIR;

using cellwatch::testing::runShell;
using cellwatch::testing::ToolResult;

class ToolsTest : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("cellwatch-tools-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

// Every scenario in both layouts: '*' in the expectations stands for a
// damaged message, one line of any content.
TEST_F(ToolsTest, EmulatorIntoDumpGivesExactlyTheMessagesMeant) {
    for (const char* scenario :
         {"lipo-charge", "lipo-discharge", "nimh-charge", "idle", "pause", "late", "garbage",
          "damaged", "demo", "lipo-charge,idle,lipo-discharge,garbage"}) {
        for (const char* layout : {"76", "112"}) {
            SCOPED_TRACE(std::string(scenario) + " " + layout);
            const fs::path expect = dir / "expected.txt";
            const std::string emulate =
                kTools + "/cellwatch-emulator --no-pacing --output - --scenario " + scenario +
                " --layout " + layout + " --messages 300 --seed 7 --expect " + expect.string();
            const ToolResult r = runShell(emulate + " | " + kTools + "/cellwatch-dump -");
            ASSERT_EQ(r.status, 0);
            const std::vector<std::string> got = splitLines(r.out);
            const std::vector<std::string> meant = splitLines(readFile(expect));
            ASSERT_FALSE(meant.empty());
            ASSERT_EQ(got.size(), meant.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                if (meant[i] != "*") {
                    ASSERT_EQ(got[i], meant[i]) << "line " << i + 1;
                }
            }
            EXPECT_NE(r.err.find("cellwatch-dump: "), std::string::npos);
        }
    }
}

// A file that cannot be opened is one line; one that fails while being read
// (a directory) says so first.
TEST_F(ToolsTest, DumpOfWhatCannotBeReadSaysWhyWithStatusOne) {
    const struct {
        std::string path;
        const char* says;
        bool alone;
    } cases[] = {
        {(dir / "nope.bin").string(), "nope.bin", true},
        {dir.string(), "cannot read", false},
    };
    for (const auto& c : cases) {
        const ToolResult r = runShell(kTools + "/cellwatch-dump " + c.path);
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_TRUE(r.out.empty());
        const auto err = splitLines(r.err);
        ASSERT_FALSE(err.empty()) << c.path;
        EXPECT_NE(err[0].find(c.says), std::string::npos) << err[0];
        if (c.alone) {
            EXPECT_EQ(err.size(), 1u);
        }
    }
}

// At the end of the input the dump frames what a live line would have framed
// had the next message come: a last 76-byte message is printed, a message
// cut off is not, and the summary counts what is left; from a file and
// from standard input alike.
TEST_F(ToolsTest, DumpPrintsTheLastMessageOfAFileButNotACutOne) {
    const struct {
        const char* what;
        const char* layout;
        int cut;               // bytes taken off the end
        std::string appended;  // bytes put after the last message
        std::size_t lines;     // of the 50 messages
        const char* unframed;  // the summary's end
    } cases[] = {
        {"ends in a 76-byte message", "76", 0, "", 50,
         "0 bytes dropped while hunting, 0 bytes left unframed"},
        {"ends in a 112-byte message", "112", 0, "", 50,
         "0 bytes dropped while hunting, 0 bytes left unframed"},
        {"a 76-byte message, then noise", "76", 0, std::string(20, '\x01'), 50,
         "20 bytes dropped while hunting, 0 bytes left unframed"},
        {"a 76-byte message cut off", "76", 1, "", 49,
         "0 bytes dropped while hunting, 75 bytes left unframed"},
        {"a 112-byte message cut off", "112", 1, "", 49,
         "0 bytes dropped while hunting, 111 bytes left unframed"},
        {"a 76-byte message cut to its start", "76", 70, "", 49,
         "0 bytes dropped while hunting, 6 bytes left unframed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path capture = dir / "capture.bin";
        const fs::path expect = dir / "expected.txt";
        ASSERT_EQ(runShell(kTools +
                           "/cellwatch-emulator --no-pacing --scenario lipo-charge --messages 50 " +
                           "--layout " + c.layout + " --seed 5 --output " + capture.string() +
                           " --expect " + expect.string())
                      .status,
                  0);
        fs::resize_file(capture, fs::file_size(capture) - static_cast<std::uintmax_t>(c.cut));
        std::ofstream(capture, std::ios::binary | std::ios::app) << c.appended;
        const std::vector<std::string> meant = splitLines(readFile(expect));
        ASSERT_EQ(meant.size(), 50u);
        for (const std::string& input : {capture.string(), "- < " + capture.string()}) {
            const ToolResult r = runShell(kTools + "/cellwatch-dump " + input);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(splitLines(r.out),
                      std::vector<std::string>(
                          meant.begin(), meant.begin() + static_cast<std::ptrdiff_t>(c.lines)));
            EXPECT_NE(r.err.find(c.unframed), std::string::npos) << r.err;
        }
    }
}

TEST_F(ToolsTest, BadOptionsAreRefusedWithStatusTwo) {
    EXPECT_EQ(runShell(kTools + "/cellwatch-dump --bogus ").status, 2);
    EXPECT_EQ(runShell(kTools + "/cellwatch-emulator --layout 99 ").status, 2);
    EXPECT_EQ(runShell(kTools + "/cellwatch-emulator --scenario nosuch ").status, 2);
    EXPECT_EQ(runShell(kTools + "/cellwatch-emulator --help").status, 0);
}

}  // namespace
