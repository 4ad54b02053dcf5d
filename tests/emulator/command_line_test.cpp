#include "tools/emulator/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace cellwatch::emulator {
namespace {

ParsedCommandLine parse(std::vector<std::string_view> args) {
    return parseCommandLine(args);
}

TEST(CommandLine, RejectsBadOptionsWithOneLine) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"--bogus"},
        {"stray"},
        {"--layout", "77"},
        {"--cells", "0"},
        {"--cells", "13"},
        {"--cells", "4x"},
        {"--capacity", "99"},
        {"--current", "0"},
        {"--current", "50.01"},
        {"--current", "1,5"},
        {"--messages"},
        {"--messages", "0"},
        {"--interval-ms", "-1"},
        {"--sim-seconds", "0"},
        {"--seed", "-1"},
        {"--scenario", "idle,,demo"},
        {"--scenario", "Idle"},
        {"--loop=yes"},
        {"--output", ""},
        {"--output", "f", "--pty"},
        {"--output", "-", "--link", "/tmp/l"},
        {"--expect", "e", "--loop"},
    };
    for (const auto& args : cases) {
        const ParsedCommandLine parsed = parse(args);
        EXPECT_FALSE(parsed.commandLine) << args[0];
        EXPECT_FALSE(parsed.error.empty()) << args[0];
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
}

TEST(CommandLine, ReadsValuesInBothSpellingsAndDefaultsToAPseudoTerminal) {
    const ParsedCommandLine parsed = parse(
        {"--scenario=idle,pause", "--layout", "112", "--current", "1.5", "--sim-seconds=2.5"});
    ASSERT_TRUE(parsed.commandLine) << parsed.error;
    const CommandLine& cl = *parsed.commandLine;
    EXPECT_EQ(cl.scenario.names, (std::vector<std::string>{"idle", "pause"}));
    EXPECT_EQ(cl.scenario.layout, FrameLayout::Long112);
    EXPECT_EQ(cl.scenario.current, Decimal::fromHundredths(150));
    EXPECT_EQ(cl.scenario.simSeconds, 2.5);
    EXPECT_TRUE(cl.pty);
    EXPECT_TRUE(cl.pacing.paced);
}

}  // namespace
}  // namespace cellwatch::emulator
