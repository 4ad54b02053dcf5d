// Replays every fuzz target's corpus: each input that once found new paths
// through a parser (or once broke one) must still go through its harness
// cleanly. A harness aborts on a broken invariant, so a failure here is a
// crash of this test, naming the target in its test name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture_harness.h"
#include "described_harness.h"
#include "description_harness.h"
#include "frames_harness.h"
#include "import_harness.h"
#include "isdt_harness.h"
#include "modbus_harness.h"
#include "mqtt_harness.h"
#include "pack_harness.h"
#include "receive_harness.h"
#include "recording_harness.h"
#include "settings_harness.h"
#include "skyrc_harness.h"

namespace {

struct Target {
    const char* name;  // the folder of its corpus
    void (*run)(const std::uint8_t* data, std::size_t size);
    std::size_t fewestInputs;  // a corpus that shrank below this lost its seeds
};

const Target kTargets[] = {
    {"receive", cellwatch::runReceiveHarness, 10}, {"recording", cellwatch::runRecordingHarness, 3},
    {"capture", cellwatch::runCaptureHarness, 3},  {"mqtt", cellwatch::runMqttHarness, 3},
    {"pack", cellwatch::runPackHarness, 3},        {"settings", cellwatch::runSettingsHarness, 3},
    {"frames", cellwatch::runFramesHarness, 3},    {"modbus", cellwatch::runModbusHarness, 3},
    {"skyrc", cellwatch::runSkyrcHarness, 3},      {"isdt", cellwatch::runIsdtHarness, 3},
    {"description", cellwatch::runDescriptionHarness, 3},
    {"described", cellwatch::runDescribedHarness, 3},
};

class FuzzCorpus : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpus, EveryInputPassesItsHarness) {
    const Target& target = GetParam();
    const std::filesystem::path corpus = std::filesystem::path(CELLWATCH_FUZZ_CORPUS) / target.name;
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());  // the same order on every run
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.string());
        std::ifstream in(input, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        target.run(bytes.data(), bytes.size());
    }
    EXPECT_GE(inputs.size(), target.fewestInputs);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& param) {
                             return std::string(param.param.name);
                         });

// The readers of logs to import.
const Target kImportTargets[] = {
    {"toolkit", cellwatch::runToolkitHarness, 3},
    {"openformat", cellwatch::runOpenformatHarness, 3},
    {"tablecsv", cellwatch::runTablecsvHarness, 3},
};

INSTANTIATE_TEST_SUITE_P(ImportTargets, FuzzCorpus, ::testing::ValuesIn(kImportTargets),
                         [](const ::testing::TestParamInfo<Target>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
