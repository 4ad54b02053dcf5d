// Replays the fuzz target's corpus: every input that once found new paths
// through the receive path and the decoders must still go through cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "receive_harness.h"

namespace {

TEST(FuzzCorpus, EveryInputPassesTheReceiveHarness) {
    const std::filesystem::path corpus = CELLWATCH_FUZZ_CORPUS;
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        cellwatch::runReceiveHarness(bytes.data(), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 10u);
}

}  // namespace
