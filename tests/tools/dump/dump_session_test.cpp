#include "tools/dump/dump_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "tests/protocol/decoder_test_support.h"
#include "tests/support/memory_stream.h"
#include "tests/support/text_file.h"

namespace cellwatch {
namespace {

using testing::makeFrame;
using Bytes = std::vector<std::uint8_t>;

class DumpTest : public ::testing::Test {
protected:
    testing::MemoryStream out;
    DumpSession session{out.file()};

    void feed(const StatusFrame& f) { session.feed(f.bytes()); }
    void feed(const Bytes& b) { session.feed(b); }

    std::vector<std::string> lines() const {
        std::fflush(out.file());
        return testing::splitLines(out.text());
    }
    static std::string capacityOf(const std::string& line) {
        std::istringstream in(line);
        std::string field;
        for (int i = 0; i <= 8; ++i) {
            std::getline(in, field, '\t');
        }
        return field;
    }
};

StatusFrame charging76(std::uint8_t capWhole, std::uint8_t capHundredths) {
    return makeFrame(76, {{8, 0x81}, {35, 0x8C}, {43, capWhole}, {44, capHundredths}});
}
StatusFrame idle76(std::uint8_t capWhole, std::uint8_t capHundredths) {
    return makeFrame(76, {{8, 0x81}, {43, capWhole}, {44, capHundredths}});
}

TEST_F(DumpTest, TrailingShortMessageIsNotDecodedAndSummaryCountsEverything) {
    feed(Bytes{0x01, 0x02, 0x7D});
    feed(makeFrame(112, {{1, 0x80}}));  // idle, long layout
    feed(charging76(0x80, 0x8A));
    feed(charging76(0x80, 0x8B));  // the stream ends inside this message's wait
    EXPECT_EQ(lines().size(), 2u);
    DumpSummary s = session.summary();
    EXPECT_EQ(s.messages76, 1u);
    EXPECT_EQ(s.messages112, 1u);
    EXPECT_EQ(s.idleMessages, 1u);
    EXPECT_EQ(s.bytesDropped, 3u);
    EXPECT_EQ(s.bytesUnframed, 76u);
    EXPECT_EQ(summaryText(s),
              "cellwatch-dump: 1 messages of 76 bytes, 1 of 112 bytes (1 idle); "
              "3 bytes dropped while hunting, 76 bytes left unframed");
}

TEST_F(DumpTest, RollOverUsesLargestCapacityOfEarlierNonIdleMessages) {
    // An idle message's capacity never counts towards the maximum...
    feed(idle76(0xFF, 0xE3));      // 12799, idle
    feed(charging76(0x80, 0x8A));  // 10: no earlier non-idle message, stays 10
    feed(charging76(0xFF, 0xDF));  // 12795
    // ...but idle messages are corrected like any other.
    feed(idle76(0x80, 0x8A));      // 10 -> 12808
    feed(charging76(0x80, 0x8C));  // 12 -> 12810
    feed(charging76(0x80, 0x80));  // pushes the previous one out
    auto got = lines();
    ASSERT_EQ(got.size(), 5u);
    const char* expected[] = {"12799", "10", "12795", "12808", "12810"};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(capacityOf(got[i]), expected[i]) << i;
    }
}

// A message no charger sends is counted, not printed, and its capacity
// counts towards no roll-over, as in a recording.
TEST_F(DumpTest, ImplausibleMessagesAreOnlyCounted) {
    feed(makeFrame(76, {{8, 0x81}, {35, 0xB3}, {43, 0xFF}, {44, 0xE3}}));  // 51 V, 12799
    feed(charging76(0x80, 0x8A));                                          // 10 stays 10
    feed(charging76(0x80, 0x80));  // pushes the previous one out
    const auto got = lines();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(capacityOf(got[0]), "10");
    const DumpSummary s = session.summary();
    EXPECT_EQ(s.implausibleMessages, 1u);
    EXPECT_EQ(summaryText(s),
              "cellwatch-dump: 1 messages of 76 bytes, 0 of 112 bytes (0 idle), 1 implausible "
              "ones left out; 0 bytes dropped while hunting, 76 bytes left unframed");
}

}  // namespace
}  // namespace cellwatch
