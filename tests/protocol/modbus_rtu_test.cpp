// Modbus RTU framing: the CRC against published frames, and the answer
// assembler on answers that come whole, in pieces, after garbage, damaged,
// meant for another read or another unit, or cut by silence.
#include <gtest/gtest.h>

#include <vector>

#include "protocol/modbus_hid.h"
#include "protocol/modbus_rtu.h"

namespace cellwatch::modbus {
namespace {

using RtuBytes = std::vector<std::uint8_t>;

RtuBytes operator+(RtuBytes a, const RtuBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ModbusRtu, RequestsCarryTheCrcOfPublishedFrames) {
    struct Case {
        ReadRequest request;
        RtuBytes wire;
    };
    const Case cases[] = {
        {{0x01, kReadHolding, 0x0000, 1}, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}},
        {{0x01, kReadHolding, 0x0000, 10}, {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}},
        {{0x11, kReadHolding, 0x006B, 3}, {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeRead(c.request), c.wire);
        EXPECT_EQ(parseRead(c.wire), c.request);
        RtuBytes damaged = c.wire;
        damaged[3] ^= 0x01;
        EXPECT_FALSE(parseRead(damaged));
    }
}

TEST(ModbusRtu, TheAssemblerFindsTheAnswerToTheReadOutstanding) {
    const ReadRequest want{1, kReadInput, 0x0100, 2};
    const std::vector<std::uint16_t> regs = {0x1234, 0xFFFE};
    const RtuBytes good = encodeReadAnswer(1, kReadInput, regs);
    RtuBytes badCrc = good;
    badCrc.back() ^= 0xFF;
    const RtuBytes exception = encodeException(1, kReadInput, 0x02);
    const RtuBytes otherCount = encodeReadAnswer(1, kReadInput, std::vector<std::uint16_t>{7});
    const RtuBytes otherUnit = encodeReadAnswer(2, kReadInput, regs);
    const RtuBytes otherFunction = encodeReadAnswer(1, kReadHolding, regs);
    const RtuBytes garbage = {0x00, 0x01, 0x04, 0x99, 0x01};

    struct Case {
        const char* what;
        std::vector<RtuBytes> pieces;   // fed one after another
        std::vector<std::uint32_t> at;  // the time of each piece
        bool answer;
        bool isException;
        std::uint64_t dropped;
    };
    const Case cases[] = {
        {"whole", {good}, {0}, true, false, 0},
        {"exception", {exception}, {0}, true, true, 0},
        {"garbage first", {garbage + good}, {0}, true, false, garbage.size()},
        {"bad CRC then the answer", {badCrc, good}, {0, 10}, true, false, badCrc.size()},
        {"bad CRC alone", {badCrc}, {0}, false, false, badCrc.size() - 1},
        {"an answer to another read", {otherCount + good}, {0}, true, false, otherCount.size()},
        {"another unit's answer", {otherUnit + good}, {0}, true, false, otherUnit.size()},
        {"another function", {otherFunction + good}, {0}, true, false, otherFunction.size()},
        {"silence inside the answer: its rest is no answer",
         {RtuBytes(good.begin(), good.begin() + 4), RtuBytes(good.begin() + 4, good.end())},
         {0, 201},
         false,
         false,
         good.size() - 1},
        {"silence, then the answer again",
         {RtuBytes(good.begin(), good.begin() + 4), good},
         {0, 201},
         true,
         false,
         4},
        {"a pause shorter than the silence",
         {RtuBytes(good.begin(), good.begin() + 4), RtuBytes(good.begin() + 4, good.end())},
         {0, 200},
         true,
         false,
         0},
        {"bytes after the answer", {good + RtuBytes{0x01, 0x04}}, {0}, true, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnswerAssembler a(200);
        a.expect(want);
        std::optional<Answer> got;
        for (std::size_t k = 0; k < c.pieces.size() && !got; ++k) {
            got = a.feed(c.pieces[k], c.at[k]);
        }
        ASSERT_EQ(got.has_value(), c.answer);
        if (got) {
            EXPECT_EQ(got->exception, c.isException);
            if (c.isException) {
                EXPECT_EQ(got->exceptionCode, 0x02);
            } else {
                EXPECT_EQ(got->registers, regs);
                EXPECT_EQ(got->frame, good);
            }
            EXPECT_FALSE(a.expecting());
        }
        EXPECT_EQ(a.bytesDropped(), c.dropped);
    }
}

TEST(ModbusRtu, AnAnswerSplitAnywhereIsFoundOnceAndUnaskedBytesAreDropped) {
    const ReadRequest want{1, kReadInput, 0x0000, 13};
    std::vector<std::uint16_t> regs(13);
    for (std::size_t k = 0; k < regs.size(); ++k) {
        regs[k] = static_cast<std::uint16_t>(k * 0x0101 + 1);
    }
    const RtuBytes good = encodeReadAnswer(1, kReadInput, regs);
    for (std::size_t split = 1; split < good.size(); ++split) {
        AnswerAssembler a;
        a.expect(want);
        EXPECT_FALSE(a.feed(std::span(good).first(split), 0)) << split;
        EXPECT_EQ(a.bytesWaiting(), split);
        const std::optional<Answer> got = a.feed(std::span(good).subspan(split), 1);
        ASSERT_TRUE(got) << split;
        EXPECT_EQ(got->registers, regs);
        // The same answer again is not asked for.
        EXPECT_FALSE(a.feed(good, 2));
        EXPECT_EQ(a.bytesDropped(), good.size());
    }
}

}  // namespace
}  // namespace cellwatch::modbus

namespace cellwatch::modbus {
namespace {

// The USB link's frames: a read request as the maker's own capture shows
// it, and answers back to RTU frames the driver checks by their CRC; a
// pushed log packet or a cut report is no answer.
TEST(ModbusHid, RequestsAndAnswersCrossBetweenTheTwoFrames) {
    const std::vector<std::uint8_t> request = encodeRead(ReadRequest{1, kReadHolding, 0x8400, 30});
    const auto report = hidReportOfRtu(request);
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, (std::vector<std::uint8_t>{0x07, 0x30, 0x03, 0x84, 0x00, 0x00, 0x1E}));
    std::vector<std::uint8_t> broken = request;
    broken.back() ^= 1;
    EXPECT_FALSE(hidReportOfRtu(broken));

    const std::vector<std::uint16_t> words = {0x1234, 0x5678};
    const std::vector<std::uint8_t> rtu = encodeReadAnswer(1, kReadInput, words);
    std::vector<std::uint8_t> answer = {static_cast<std::uint8_t>(rtu.size() - 1), 0x30};
    answer.insert(answer.end(), rtu.begin() + 1, rtu.end() - 2);
    answer.resize(64, 0);  // the report's padding
    EXPECT_EQ(rtuOfHidReport(answer, 1), rtu);

    const struct {
        const char* what;
        std::vector<std::uint8_t> report;
    } refused[] = {
        {"a pushed log packet", {40, 0x10, 1, 0, 0}},
        {"a length past the report", {9, 0x30, 4, 2}},
        {"too short", {2, 0x30}},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(rtuOfHidReport(c.report, 1)) << c.what;
    }
}

}  // namespace
}  // namespace cellwatch::modbus
