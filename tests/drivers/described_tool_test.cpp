// A described charger end to end: the emulator plays it on a
// pseudo-terminal, and cellwatch-log records it from there.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

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

// Descriptions as the tools find them: in the user's folder (a broken one
// told and skipped), given as a file (a broken one ends the tool with 2).
TEST(DescribedTools, FindDescriptionsAndRefuseBrokenOnes) {
    QTemporaryDir home;
    const std::filesystem::path folder = home.filePath("cellwatch/chargers").toStdString();
    std::filesystem::create_directories(folder);
    std::ifstream shipped(CELLWATCH_SOURCE_DIR "/resources/chargers/openformat.json");
    std::string mine((std::istreambuf_iterator<char>(shipped)), {});
    mine.replace(mine.find("\"id\": \"openformat\""), 18, "\"id\": \"mine\"");
    std::ofstream(folder / "mine.json") << mine;
    std::ofstream(folder / "broken.json") << "{\n\"id\": \"x\",\n\"maker\": 7}";
    const std::string broken = (folder / "broken.json").string();
    const QString lines = home.filePath("lines.txt");
    std::ofstream(lines.toStdString())
        << "$2;2;13;12050;11700;100;3900;3901;3899;0;0;0;0;0;0;0;221;38\r\n";
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    struct Case {
        const char* tool;
        QStringList args;
        int status;
        std::string out;  // the start of standard output
        std::string err;  // the start of standard error
    };
    const std::string told = ": " + broken + ":3: \"maker\" must be a string\n";
    const Case cases[] = {
        {CELLWATCH_LOG_TOOL, {"--list-chargers"}, 0, "tkrx\tDorire\t", "cellwatch-log" + told},
        {CELLWATCH_EMULATOR_TOOL, {"--list-chargers"}, 0, "tkrx\t", "cellwatch-emulator" + told},
        {CELLWATCH_DUMP_TOOL,
         {"--charger", "mine", lines},
         0,
         "2\t\tdischarge\t\t22.1\t12.05\t11.70\t-1.00\t",
         "cellwatch-dump" + told},
        {CELLWATCH_DUMP_TOOL,
         {"--charger", QString::fromStdString(broken), lines},
         2,
         "",
         "cellwatch-dump: " + broken + ":3: \"maker\" must be a string\n"},
        {CELLWATCH_LOG_TOOL, {"--describe-schema"}, 0, "{\n  \"$schema\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool + (" " + c.args.join(' ').toStdString()));
        ToolRun run(c.tool, c.args);
        EXPECT_EQ(run.wait(30000), c.status);
        EXPECT_EQ(run.out().substr(0, c.out.size()), c.out);
        EXPECT_EQ(run.err().substr(0, c.err.size()), c.err);
        if (c.args.front() == "--list-chargers") {
            EXPECT_NE(run.out().find("\nmine\tOpenFormat\t"), std::string::npos) << run.out();
            EXPECT_NE(run.out().find("\nskyrc-status\tSkyRC\t"), std::string::npos);
        }
    }
    qputenv("XDG_DATA_HOME", dataHome);
}

}  // namespace
}  // namespace cellwatch
