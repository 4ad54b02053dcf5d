#include "protocol/receive_assembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/protocol/decoder_test_support.h"

namespace cellwatch {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Received {
    FrameLayout layout;
    Bytes bytes;
    std::uint32_t startTick;
    bool operator==(const Received&) const = default;
};

class FrameRecorder : public StatusFrameSink {
public:
    void decodeStatus76(const StatusFrame& f, std::uint32_t tick) override {
        frames.push_back({FrameLayout::Short76, Bytes(f.bytes().begin(), f.bytes().end()), tick});
    }
    void decodeStatus112(const StatusFrame& f, std::uint32_t tick) override {
        frames.push_back({FrameLayout::Long112, Bytes(f.bytes().begin(), f.bytes().end()), tick});
    }
    std::vector<Received> frames;
};

Bytes frameBytes(std::size_t size, std::uint8_t fill) {
    Bytes b(size, fill);
    b[0] = kStartByte;
    if (size == kShortFrameSize) {
        b[kEndByteOffset] = kEndByte;
    } else if (b[kEndByteOffset] == kEndByte) {
        b[kEndByteOffset] = 0x80;
    }
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

class AssemblerTest : public ::testing::Test {
protected:
    ManualTickClock clock{1000};
    FrameRecorder sink;
    int lampFlips = 0;
    ReceiveAssembler assembler{clock, sink, [this] { ++lampFlips; }};
    BufferByteSource port;

    void arrive(const Bytes& bytes) {
        port.feed(bytes);
        assembler.serviceReceived(port);
    }
};

TEST_F(AssemblerTest, StreamStartingMidMessageDropsBytesUpToTheStartByte) {
    Bytes tail = {0x81, 0x90, 0x7D, 0x80, 0x7C};
    Bytes a = frameBytes(76, 0x90), b = frameBytes(76, 0x91);
    arrive(concat({tail, a, b}));
    ASSERT_EQ(sink.frames.size(), 1u);  // b waits for 36 more bytes
    EXPECT_EQ(sink.frames[0].bytes, a);
    EXPECT_EQ(assembler.bytesDropped(), tail.size());
    EXPECT_TRUE(assembler.started());
}

TEST_F(AssemblerTest, ShortFrameWaitsUntil111BytesFollowItsStartByte) {
    arrive(frameBytes(76, 0x90));
    EXPECT_TRUE(sink.frames.empty());
    clock.advance(1000);
    Bytes next = frameBytes(76, 0x91);
    arrive(Bytes(next.begin(), next.begin() + 35));  // 75 + 35 = 110 waiting
    EXPECT_TRUE(sink.frames.empty());
    arrive(Bytes(next.begin() + 35, next.begin() + 36));  // the 111th
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.frames[0].layout, FrameLayout::Short76);
    EXPECT_EQ(sink.frames[0].startTick, 1000u);  // taken at the start byte, not at completion
    // Exactly 75 bytes were consumed: the next message's start byte is hunted next.
    EXPECT_TRUE(assembler.started());
    EXPECT_EQ(assembler.startTick(), 2000u);
    EXPECT_EQ(port.bytesWaiting(), 35u);
}

TEST_F(AssemblerTest, LayoutIsChosenByOffset75Alone) {
    struct Case {
        std::uint8_t at75;
        FrameLayout layout;
        std::size_t consumed;
    };
    const Case cases[] = {{0x7D, FrameLayout::Short76, 76},
                          {0x7C, FrameLayout::Long112, 112},
                          {0x7B, FrameLayout::Long112, 112},  // a start byte inside is data
                          {0x80, FrameLayout::Long112, 112}};
    for (const auto& c : cases) {
        FrameRecorder rec;
        ReceiveAssembler a(clock, rec);
        Bytes stream(200, 0x7B);  // start bytes everywhere: none may resynchronise the frame
        stream[75] = c.at75;
        BufferByteSource src(stream);
        a.onComm(CommEvent::ReceivedBytes, src);
        a.onComm(CommEvent::ReceivedBytes, src);
        ASSERT_EQ(rec.frames.size(), 1u);
        EXPECT_EQ(rec.frames[0].layout, c.layout);
        EXPECT_EQ(rec.frames[0].bytes.size(), c.consumed);
        EXPECT_EQ(src.bytesWaiting(), stream.size() - c.consumed);
        EXPECT_FALSE(a.started());
    }
}

TEST_F(AssemblerTest, DamagedEndByteSwallows36BytesOfTheNextMessage) {
    Bytes damaged = frameBytes(76, 0x90);
    damaged[75] = 0x00;
    Bytes next = frameBytes(76, 0x91), after = frameBytes(76, 0x92), trailer = frameBytes(76, 0x93);
    arrive(concat({damaged, next, after, trailer}));
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.frames[0].layout, FrameLayout::Long112);
    EXPECT_EQ(Bytes(sink.frames[0].bytes.begin() + 76, sink.frames[0].bytes.end()),
              Bytes(next.begin(), next.begin() + 36));
    EXPECT_EQ(sink.frames[1].bytes, after);
    EXPECT_EQ(assembler.bytesDropped(), 40u);  // the rest of `next`
}

// The receive lamp flips once per receive event, however many calls of the
// handler the event's bytes need (a whole message takes two, garbage one per
// byte) and also when nothing waits; other events change nothing.
TEST_F(AssemblerTest, LampFlipsOncePerReceiveEventAndOtherEventsChangeNothing) {
    const Bytes whole76 = concat({frameBytes(76, 0x90), frameBytes(76, 0x91)});
    const Bytes next = frameBytes(76, 0x92);
    const struct {
        const char* what;
        Bytes bytes;
        std::size_t frames;
    } events[] = {
        {"nothing waiting", {}, 0},
        {"a whole 112-byte message", frameBytes(112, 0x90), 1},
        {"garbage", {1, 2, 3, 4, 5}, 0},
        {"two 76-byte messages", whole76, 1},
        {"the next message's first 36 bytes", Bytes(next.begin(), next.begin() + 36), 1},
    };
    std::size_t frames = 0;
    int flips = 0;
    for (const auto& e : events) {
        arrive(e.bytes);
        frames += e.frames;
        EXPECT_EQ(lampFlips, ++flips) << e.what;
        EXPECT_EQ(sink.frames.size(), frames) << e.what;
    }
    port.feed(frameBytes(112, 0x90));
    for (int i = 0; i < 5; ++i) {
        assembler.onComm(CommEvent::Other, port);
    }
    EXPECT_EQ(lampFlips, flips);
    EXPECT_EQ(port.bytesWaiting(), 35u + 112u);  // a frame is started
}

TEST_F(AssemblerTest, HuntingTakesOneByteAndTheDriverCallsAgain) {
    port.feed(Bytes{1, 2, 3});
    assembler.onComm(CommEvent::ReceivedBytes, port);
    EXPECT_EQ(port.bytesWaiting(), 2u);  // one byte per call
    EXPECT_EQ(assembler.serviceReceived(port), 2u);
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_EQ(assembler.bytesDropped(), 3u);
}

TEST_F(AssemblerTest, FrameBegunBeforeDisconnectContinuesAfterReconnect) {
    Bytes a = frameBytes(112, 0x90);
    BufferByteSource firstPort(Bytes(a.begin(), a.begin() + 50));
    assembler.serviceReceived(firstPort);
    EXPECT_TRUE(assembler.started());
    // The port is closed; a new one is opened and the rest arrives there.
    BufferByteSource secondPort(concat({Bytes(a.begin() + 50, a.end()), frameBytes(112, 0x91)}));
    assembler.serviceReceived(secondPort);
    ASSERT_EQ(sink.frames.size(), 1u);
    // Only the start byte was taken from the first port; what it still held
    // went with it. The frame goes on with the second port's bytes.
    const Bytes& got = sink.frames[0].bytes;
    ASSERT_EQ(got.size(), 112u);
    EXPECT_EQ(got[0], kStartByte);
    EXPECT_EQ(Bytes(got.begin() + 1, got.begin() + 63), Bytes(a.begin() + 50, a.end()));
}

// The frames cut from a stream must not depend on how the stream is split
// into receive events.
TEST(AssemblerChunking, SameFramesWhateverTheArrivalPattern) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 20; ++trial) {
        Bytes stream;
        for (int m = 0; m < 40; ++m) {  // garbage, or a message of either layout
            const auto kind = rng() % 4;
            Bytes part = kind == 0
                             ? Bytes(rng() % 30)
                             : frameBytes(kind == 1 ? 112 : 76, static_cast<std::uint8_t>(rng()));
            if (kind == 0) {
                std::generate(part.begin(), part.end(),
                              [&] { return static_cast<std::uint8_t>(rng()); });
            }
            stream.insert(stream.end(), part.begin(), part.end());
        }
        auto run = [&](auto nextChunkSize) {
            ManualTickClock clock;
            FrameRecorder rec;
            ReceiveAssembler a(clock, rec);
            BufferByteSource src;
            std::size_t pos = 0;
            while (pos < stream.size()) {
                std::size_t n = std::min<std::size_t>(nextChunkSize(), stream.size() - pos);
                src.feed({stream.data() + pos, n});
                pos += n;
                a.serviceReceived(src);
            }
            return std::make_pair(rec.frames, a.bytesDropped());
        };
        auto whole = run([&] { return stream.size(); });
        auto byByte = run([] { return std::size_t{1}; });
        std::mt19937 burstRng(static_cast<unsigned>(trial));
        auto bursts = run([&] { return std::size_t{1} + burstRng() % 200; });
        EXPECT_EQ(byByte, whole) << "trial " << trial;
        EXPECT_EQ(bursts, whole) << "trial " << trial;
        EXPECT_FALSE(whole.first.empty());
    }
}

}  // namespace
}  // namespace cellwatch
