#include "protocol/sample_text.h"

#include <gtest/gtest.h>

namespace cellwatch {
namespace {

TEST(ElapsedText, FormsAndReadsBack) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0:00:00"},           {1000, "0:00:01"},        {1499, "0:00:01"},
        {1500, "0:00:02"},        {65'000, "0:01:05"},      {3'599'500, "1:00:00"},
        {86'400'000, "24:00:00"}, {90'061'000, "25:01:01"}, {UINT32_MAX, "1193:02:47"},
    };
    for (auto [ms, text] : cases) {
        EXPECT_EQ(elapsedText(ms), text) << ms;
        EXPECT_EQ(parseElapsedText(text), (static_cast<std::uint64_t>(ms) + 500) / 1000) << text;
    }
}

TEST(ElapsedText, RejectsWhatIsNoTime) {
    for (const char* bad : {"", ":", "1:", ":00", "1:60:00", "0:00:60", "1:2:3:4", "a:00:00",
                            "1 :00:00", "-1:00:00", "99999999999:00:00"}) {
        EXPECT_FALSE(parseElapsedText(bad).has_value()) << bad;
    }
    EXPECT_EQ(parseElapsedText("01:05"), 65u);
}

}  // namespace
}  // namespace cellwatch
