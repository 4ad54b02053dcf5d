// The frames file reader: which lines are frames, their bytes and times.
#include "protocol/frames_text.h"

#include <gtest/gtest.h>

namespace cellwatch {
namespace {

// 2025-02-27 12:44:47 UTC in ms since 1970.
constexpr std::int64_t kT = 1'740'660'287'000;

TEST(FramesText, LinesAreFramesSkippedOrBad) {
    using Kind = FramesLine::Kind;
    struct Case {
        const char* line;
        Kind kind;
        std::vector<std::uint8_t> bytes;
        std::optional<std::int64_t> timeMs;
    };
    const Case cases[] = {
        {"7b 81 80", Kind::Frame, {0x7B, 0x81, 0x80}, std::nullopt},
        {"7B8180\r", Kind::Frame, {0x7B, 0x81, 0x80}, std::nullopt},
        {"  7b\t81  ", Kind::Frame, {0x7B, 0x81}, std::nullopt},
        {"2025-02-27_12-44-47: 0f 22", Kind::Frame, {0x0F, 0x22}, kT},
        {"2025-02-27T12:44:47.123: 0f22", Kind::Frame, {0x0F, 0x22}, kT + 123},
        {"2025-02-27T12:44:47.5: ff", Kind::Frame, {0xFF}, kT + 500},
        {"2024-02-29T00:00:00: 01", Kind::Frame, {0x01}, 1'709'164'800'000},
        {"", Kind::Skipped, {}, std::nullopt},
        {"   ", Kind::Skipped, {}, std::nullopt},
        {"# a note", Kind::Skipped, {}, std::nullopt},
        {"7b 8", Kind::Bad, {}, std::nullopt},                   // half a byte
        {"7 b", Kind::Bad, {}, std::nullopt},                    // a space inside a pair
        {"7g", Kind::Bad, {}, std::nullopt},                     // no hex digit
        {"2025-02-27_12-44-47:", Kind::Bad, {}, std::nullopt},   // no ": " and no bytes
        {"2025-02-27_12-44-47: ", Kind::Bad, {}, std::nullopt},  // a time, no bytes
        {"2025-02-30_12-44-47: 7b", Kind::Bad, {}, std::nullopt},
        {"2023-02-29T00:00:00: 7b", Kind::Bad, {}, std::nullopt},
        {"2025-02-27 12:44:47: 7b", Kind::Bad, {}, std::nullopt},
        {"2025-02-27_12:44:47: 7b", Kind::Bad, {}, std::nullopt},  // mixed forms
        {"2025-02-27_12-44-47.123: 7b", Kind::Bad, {}, std::nullopt},
        {"2025-02-27T24:00:00: 7b", Kind::Bad, {}, std::nullopt},
        {"2025-02-27T12:44:47.1234: 7b", Kind::Bad, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const FramesLine got = parseFramesLine(c.line);
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.bytes, c.bytes);
        if (c.kind == Kind::Frame) {
            EXPECT_EQ(got.timeMs, c.timeMs);
        }
    }
}

TEST(FramesText, UntimedFramesComeASecondApartAndBadLinesAreCounted) {
    struct Case {
        const char* text;
        std::vector<std::int64_t> times;
        std::uint64_t bad;
        const char* badText;
    };
    const Case cases[] = {
        {"01\n02\n03", {0, 1000, 2000}, 0, ""},
        {"01\n02\n2025-02-27_12-44-47: 03\n04\n", {kT - 2000, kT - 1000, kT, kT + 1000}, 0, ""},
        {"2025-02-27_12-44-47: 01\nxx\n02\n\n0\n",
         {kT, kT + 1000},
         2,
         "2 bad lines in f (lines 2, 5) were skipped"},
        {"x\nx\nx\nx\nx\nx\n01",
         {0},
         6,
         "6 bad lines in f (lines 1, 2, 3, 4, 5, ...) were skipped"},
        {"zz", {}, 1, "1 bad line in f (line 1) was skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FramesText got = readFramesText(c.text);
        std::vector<std::int64_t> times;
        for (const FramesEntry& f : got.frames) {
            times.push_back(f.timeMs);
        }
        EXPECT_EQ(times, c.times);
        EXPECT_EQ(got.badLines, c.bad);
        EXPECT_EQ(badFramesLinesText(got, "f"), c.badText);
    }
}

}  // namespace
}  // namespace cellwatch
