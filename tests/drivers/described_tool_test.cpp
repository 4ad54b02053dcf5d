// A described charger end to end: the emulator plays it on a
// pseudo-terminal, and cellwatch-log records it from there.
#include <gtest/gtest.h>

#include "tests/support/tool_run.h"

namespace cellwatch {
namespace {

using testing::ToolRun;

TEST(DescribedTools, TheLogRecordsEachChannelTheEmulatorPlays) {
    struct Case {
        const char* charger;                // an id, or a description given as a file
        std::vector<std::string> expected;  // a text in some row of each channel
    };
    const Case cases[] = {
        {"openformat", {"\tcharge\t", "\tdischarge\t"}},
        {"openformat-zero", {"\tcharge\t25\t30\t12.00\t"}},
        {CELLWATCH_SOURCE_DIR "/resources/chargers/skyrc-status.json", {"\tworking\t25\t30\t"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charger);
        ToolRun emulator(CELLWATCH_EMULATOR_TOOL,
                         {"--charger", c.charger, "--interval-ms", "100", "--loop"});
        ASSERT_TRUE(emulator.waitForLines(1, 30000)) << emulator.err();
        const QString port = QString::fromStdString(emulator.outLines().front());
        ToolRun log(CELLWATCH_LOG_TOOL,
                    {"--port", port, "--charger", c.charger, "--no-journal", "--out", "-"});
        ASSERT_TRUE(log.waitForLines(8, 60000)) << log.err();
        log.signal(SIGTERM);
        EXPECT_EQ(log.wait(30000), 0) << log.err();
        EXPECT_TRUE(log.err().empty()) << log.err();
        for (const std::string& text : c.expected) {
            EXPECT_NE(log.out().find(text), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace cellwatch
