#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/emulator/scenario.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::emulator {
namespace {

ChargerReading reading(int capacity) {
    ChargerReading r;
    r.mode = Mode::Charge;
    r.voltage = Decimal::fromHundredths(1600);
    r.current = Decimal::fromInt(1);
    r.capacity = Decimal::fromInt(capacity);
    return r;
}

// Steps written compactly: "m"/"M" a 76/112-byte message, "d"/"D" a damaged
// one, "l" a late 76-byte message, "s" a silence, "gN" N garbage bytes.
// Messages carry capacities 0, 1, 2, ... so that lines can be told apart.
std::vector<Step> steps(const std::vector<std::string>& codes) {
    std::vector<Step> out;
    int n = 0;
    for (const std::string& code : codes) {
        Step s;
        s.layout = code == "M" || code == "D" ? FrameLayout::Long112 : FrameLayout::Short76;
        if (code == "m" || code == "M") {
            s.kind = Step::Kind::Message;
        } else if (code == "d" || code == "D") {
            s.kind = Step::Kind::DamagedMessage;
        } else if (code == "l") {
            s.kind = Step::Kind::LateMessage;
            s.ms = 3500;
        } else if (code == "s") {
            s.kind = Step::Kind::Silence;
            s.ms = 5000;
        } else {
            s.kind = Step::Kind::Garbage;
            s.bytes.assign(std::stoul(code.substr(1)), 0x55);
        }
        s.reading = reading(n++);
        out.push_back(s);
    }
    return out;
}

// The expected lines, named by the capacity of the message they belong to.
std::vector<std::string> names(const std::vector<Step>& list) {
    std::vector<std::string> out;
    for (const std::string& line : expectedDumpLines(list)) {
        if (line == "*") {
            out.push_back("*");
            continue;
        }
        // Capacity is the ninth field.
        std::size_t pos = 0;
        for (int i = 0; i < 8; ++i) {
            pos = line.find('\t', pos) + 1;
        }
        out.push_back(line.substr(pos, line.find('\t', pos) - pos));
    }
    return out;
}

TEST(ExpectedLines, FollowTheReceiversFraming) {
    struct Case {
        std::vector<std::string> codes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // A 76-byte message is framed only once 111 bytes follow its start.
        {{"m"}, {}},
        {{"m", "m"}, {"0"}},
        {{"m", "g35"}, {}},
        {{"m", "g36"}, {"0"}},
        {{"m", "s", "m", "m"}, {"0", "2"}},
        {{"l", "m"}, {"0"}},
        // A 112-byte message brings its own 111 bytes.
        {{"M"}, {"0"}},
        {{"m", "M"}, {"0", "1"}},
        // Garbage is skipped.
        {{"g20", "M", "g3", "M"}, {"1", "3"}},
        // A damaged 76 swallows 36 bytes of the next message, which is lost.
        {{"m", "d", "m", "m", "m"}, {"0", "*", "3"}},
        {{"d", "M", "M"}, {"*", "2"}},
        // ... unless garbage takes the blow: 36 bytes of it are enough.
        {{"d", "g36", "m", "m"}, {"*", "2"}},
        {{"d", "g35", "m", "m", "m"}, {"*", "3"}},
        // A damaged 76 with too little after it is never framed.
        {{"m", "d"}, {"0"}},
        // A damaged 112 frames as 76 and costs nothing else.
        {{"D", "M", "m", "m"}, {"*", "1", "2"}},
        {{"M", "D"}, {"0", "*"}},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const std::string& code : c.codes) {
            label += code + " ";
        }
        EXPECT_EQ(names(steps(c.codes)), c.lines) << label;
    }
}

TEST(ExpectedLines, DamagedScenarioLosesTheFollowingMessageOnlyInTheShortLayout) {
    ScenarioOptions o;
    o.names = {"damaged"};
    for (FrameLayout layout : {FrameLayout::Short76, FrameLayout::Long112}) {
        o.layout = layout;
        const auto list = buildScenario(o);
        ASSERT_EQ(list.size(), 6u);
        ASSERT_EQ(list[2].kind, Step::Kind::DamagedMessage);
        const auto line = [&](std::size_t i) { return expectedDumpLine(list[i].reading, layout); };
        const std::vector<std::string> expected =
            layout == FrameLayout::Short76
                ? std::vector<std::string>{line(0), line(1), "*", line(4)}
                : std::vector<std::string>{line(0), line(1), "*", line(3), line(4), line(5)};
        EXPECT_EQ(expectedDumpLines(list), expected);
    }
}

}  // namespace
}  // namespace cellwatch::emulator
