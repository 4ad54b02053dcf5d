// The chargers polled over USB HID and Bluetooth LE, through the built
// tools as a user runs them: a public capture of each read whole by the
// dump and the report, and the emulator answering a request line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/tool_run.h"

namespace family_tools {

namespace fs = std::filesystem;
using cellwatch::testing::runShell;
using cellwatch::testing::ToolResult;

const std::string kTools = CELLWATCH_TOOLS_DIR;
const fs::path kData = fs::path(CELLWATCH_TEST_SOURCE_DIR) / "data";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(FamilyFrames, DumpAndReportReadEachCaptureWhole) {
    struct Case {
        const char* charger;
        const char* file;
        std::size_t lines;
        const char* summary;
        const char* firstLineStart;
        const char* lastLineStart;
        std::size_t fewestRows;  // recorded by the log
    };
    const Case cases[] = {
        {"skyrc", "skyrc/t1000-charge.frames", 72,
         "72 readings (0 idle) from 72 messages; 0 bytes dropped while hunting, 0 bytes left "
         "unframed",
         "1\t", "1\t", 70},
        {"isdt", "isdt/c4air-4cell-charging.frames", 6,
         "6 readings (2 idle) from 21 messages; 0 bytes dropped while hunting, 0 bytes left "
         "unframed",
         "1\t", "6\t", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charger);
        const std::string file = (kData / c.file).string();
        const ToolResult dump = runShell(kTools + "/cellwatch-dump --charger " + c.charger +
                                         " --frames '" + file + "'");
        ASSERT_EQ(dump.status, 0) << dump.err;
        const std::vector<std::string> lines = linesOf(dump.out);
        ASSERT_EQ(lines.size(), c.lines);
        EXPECT_TRUE(lines.front().starts_with(c.firstLineStart)) << lines.front();
        EXPECT_TRUE(lines.back().starts_with(c.lastLineStart)) << lines.back();
        EXPECT_NE(dump.err.find(c.summary), std::string::npos) << dump.err;

        // The log records the rows the window would: the charger's own, not the
        // first family's (a frames file names its charger to the replay), each
        // line starting with its channel.
        const ToolResult log = runShell("TZ=UTC " + kTools + "/cellwatch-log --charger " +
                                        c.charger + " --frames '" + file + "' --speed 0");
        EXPECT_EQ(log.status, 0) << log.err;
        const std::vector<std::string> logged = linesOf(log.out);
        EXPECT_GE(std::count_if(logged.begin(), logged.end(),
                                [](const std::string& l) { return l.find("\t0:") == 1; }),
                  static_cast<std::ptrdiff_t>(c.fewestRows))
            << log.out;

        const ToolResult report =
            runShell("TZ=UTC " + kTools + "/cellwatch-report --json --charger " + c.charger +
                     " --frames '" + file + "'");
        EXPECT_EQ(report.status, 0) << report.err;
        EXPECT_NE(report.out.find("\"rows\""), std::string::npos) << report.out;
    }
    // The T1000's first report, its pack and six cells.
    const ToolResult dump = runShell(kTools + "/cellwatch-dump --charger skyrc --frames '" +
                                     (kData / "skyrc/t1000-charge.frames").string() + "'");
    const std::string first = linesOf(dump.out).front();
    for (const char* value : {"22.78", "2.10", "3.755", "3.749", "3.762"}) {
        EXPECT_NE(first.find(value), std::string::npos) << value << " in " << first;
    }
}

TEST(FamilyFrames, TheEmulatorAnswersRequestLines) {
    const ToolResult skyrc = runShell("printf '0f 03 55 01 56\\nzz\\n' | " + kTools +
                                      "/cellwatch-emulator --charger skyrc --model T1000");
    ASSERT_EQ(skyrc.status, 0) << skyrc.err;
    const std::vector<std::string> lines = linesOf(skyrc.out);
    ASSERT_EQ(lines.size(), 2U) << skyrc.out;
    EXPECT_TRUE(lines[0].starts_with("0f 22 55 01 01 ")) << lines[0];
    EXPECT_EQ(lines[0].size(), 64U * 3 - 1);
    EXPECT_EQ(lines[1], "# bad request: zz");

    const ToolResult isdt =
        runShell("printf '@0000af02-0000-1000-8000-00805f9b34fb e0\\n' | " + kTools +
                 "/cellwatch-emulator --charger isdt --model 'C4 Air'");
    EXPECT_EQ(isdt.status, 0) << isdt.err;
    EXPECT_EQ(isdt.out, "e1 01 00 02 00 43 34 41 69 72 20 20 20\n");
    const ToolResult wrong = runShell(kTools + "/cellwatch-emulator --charger isdt --model K9");
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.err.find("C4 Air"), std::string::npos) << wrong.err;
}

}  // namespace family_tools
