#include "tools/emulator/step_capture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "serial/capture.h"

namespace cellwatch::emulator {
namespace {

struct Read {
    CaptureStart start;
    std::vector<CaptureRecord> records;
    std::vector<std::uint8_t> bytes;  // all records' bytes in order
};

Read readCapture(const std::string& path) {
    CaptureReader reader(path);
    Read read{reader.start(), {}, {}};
    CaptureRecord record;
    while (reader.next(record)) {
        read.records.push_back(record);
        read.bytes.insert(read.bytes.end(), record.bytes.begin(), record.bytes.end());
    }
    return read;
}

// A scenario written as a capture holds exactly the bytes it would play, at
// the moments a paced line would deliver them: messages an interval apart,
// a silence as a gap, a late message's rest after its stall.
TEST(StepCaptureTest, HoldsThePlayedBytesAtThePacedMoments) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("step_capture_" + std::to_string(::getpid())))
            .string();
    struct Case {
        const char* scenario;
        std::uint32_t intervalMs;
        std::int64_t longestGapAtLeastMs;  // between two records
    } cases[] = {
        {"lipo-charge", 1000, 1000}, {"lipo-charge", 250, 250}, {"pause", 1000, 5000},
        {"late", 1000, 3500},        {"garbage", 1000, 900},  // the garbage takes line time between
                                                              // messages
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scenario) + " every " + std::to_string(c.intervalMs) + " ms");
        ScenarioOptions options;
        options.names = {c.scenario};
        options.messages = 40;
        const std::vector<Step> steps = buildScenario(options);
        PacingOptions pacing;
        pacing.intervalMs = c.intervalMs;
        const CaptureTimes times{1'795'000'000'000, 3600};
        writeCaptureOfSteps(steps, pacing, times, path);

        const Read read = readCapture(path);
        EXPECT_EQ(read.start.wallMs, times.startWallMs);
        EXPECT_EQ(read.start.utcOffsetSeconds, 3600);
        EXPECT_EQ(read.bytes, encodeSteps(steps));
        ASSERT_GE(read.records.size(), 2u);
        std::int64_t longest = 0;
        for (std::size_t i = 1; i < read.records.size(); ++i) {
            const std::int64_t gap = read.records[i].wallMs - read.records[i - 1].wallMs;
            const std::int64_t tickGap = static_cast<std::int64_t>(read.records[i].ticks) -
                                         static_cast<std::int64_t>(read.records[i - 1].ticks);
            EXPECT_GE(gap, 0);
            EXPECT_EQ(tickGap, gap);
            longest = std::max(longest, gap);
        }
        EXPECT_GE(longest, c.longestGapAtLeastMs);
        if (std::string(c.scenario) == "lipo-charge") {
            // One record a message, each one interval after the one before.
            EXPECT_EQ(read.records.size(), steps.size());
            EXPECT_EQ(read.records.back().wallMs - read.records.front().wallMs,
                      static_cast<std::int64_t>(c.intervalMs) *
                          static_cast<std::int64_t>(steps.size() - 1));
        }
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace cellwatch::emulator
