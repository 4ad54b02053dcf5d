// Captures: the file written and read back, cut off or not a capture at
// all, and the replay's clocks and pacing.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "protocol/receive_assembler.h"
#include "protocol/status_decoder.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "tests/support/charger_readings.h"
#include "tests/support/text_file.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const CaptureStart kStart{1'700'000'000'123, 3600, 0xFFFF'F000u};  // the counter wraps soon

class CaptureTest : public ::testing::Test {
protected:
    std::string write(const std::vector<CaptureRecord>& records) const {
        const std::string path = (dir / "c.cwcap").string();
        CaptureWriter writer(path);
        writer.writeStart(kStart);
        for (const CaptureRecord& r : records) {
            writer.writeRecord(r.wallMs, r.ticks, r.bytes, r.direction);
        }
        writer.close();
        return path;
    }
    std::string writeRaw(const Bytes& bytes) const {
        const std::string path = (dir / "raw.cwcap").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::vector<CaptureRecord> readAll(CaptureReader& reader) {
        std::vector<CaptureRecord> out;
        for (CaptureRecord r; reader.next(r);) {
            out.push_back(r);
        }
        return out;
    }

    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
};

TEST_F(CaptureTest, RecordsComeBackAsWrittenAndLongOnesAreSplit) {
    Bytes every(256);
    for (std::size_t i = 0; i < every.size(); ++i) {
        every[i] = static_cast<std::uint8_t>(i);
    }
    const Bytes huge(70'000, 0x7B);
    CaptureReader reader(write({{-5, 0xFFFF'FFFFu, {0x7B}},
                                {kStart.wallMs + 10, 3, every},
                                {kStart.wallMs + 20, 4, huge}}));
    EXPECT_EQ(reader.start().wallMs, kStart.wallMs);
    EXPECT_EQ(reader.start().utcOffsetSeconds, kStart.utcOffsetSeconds);
    EXPECT_EQ(reader.start().ticks, kStart.ticks);
    const std::vector<CaptureRecord> expected{
        {-5, 0xFFFF'FFFFu, {0x7B}},
        {kStart.wallMs + 10, 3, every},
        {kStart.wallMs + 20, 4, Bytes(huge.begin(), huge.begin() + 65'535)},
        {kStart.wallMs + 20, 4, Bytes(huge.begin() + 65'535, huge.end())}};
    EXPECT_EQ(readAll(reader), expected);
    EXPECT_FALSE(reader.truncated());
}

// A capture names its charger's driver and keeps what was sent beside what
// was received; one made before the drivers (format 1) reads as the first
// family's, all received.
TEST_F(CaptureTest, NamesItsDriverKeepsBothDirectionsAndReadsTheOldFormat) {
    CaptureStart named = kStart;
    named.driver = "other2";
    {
        CaptureWriter writer((dir / "c.cwcap").string());
        writer.writeStart(named);
        writer.writeRecord(5, 6, Bytes{1, 2}, CaptureDirection::Sent);
        writer.writeRecord(7, 8, Bytes{3});
        writer.close();
    }
    CaptureReader reader((dir / "c.cwcap").string());
    EXPECT_EQ(reader.version(), kCaptureNamedVersion);
    EXPECT_EQ(reader.start().driver, "other2");
    EXPECT_EQ(readAll(reader),
              (std::vector<CaptureRecord>{{5, 6, {1, 2}, CaptureDirection::Sent},
                                          {7, 8, {3}, CaptureDirection::Received}}));

    // The header of format 1 (24 bytes), then a record of 14 bytes + 2.
    Bytes old = {'C', 'W', 'C', 'A', 'P', 0x1A, 1, 0};
    old.resize(kCaptureHeaderSize, 0);
    old.insert(old.end(), {9, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 2, 0, 0x7B, 0x7D});
    CaptureReader oldReader(writeRaw(old));
    EXPECT_EQ(oldReader.version(), kCaptureVersion);
    EXPECT_EQ(oldReader.start().driver, "tkrx");
    EXPECT_EQ(readAll(oldReader),
              (std::vector<CaptureRecord>{{9, 10, {0x7B, 0x7D}, CaptureDirection::Received}}));

    // What a writer refuses, and what a reader refuses.
    CaptureStart unnamed = kStart;
    for (const char* bad : {"", "has space", "123456789012345678901234567890123"}) {
        unnamed.driver = bad;
        CaptureWriter writer((dir / "bad.cwcap").string());
        EXPECT_THROW(writer.writeStart(unnamed), CaptureError) << bad;
    }
    Bytes head = {'C', 'W', 'C', 'A', 'P', 0x1A, 2, 0};
    head.resize(kCaptureHeaderSize, 0);
    struct Case {
        Bytes after;  // what follows the header of format 2
        const char* refusal;
    };
    const Case cases[] = {
        {{}, "its charger's name is cut off"},
        {{4, 't', 'k'}, "its charger's name is cut off"},
        {{0}, "its charger's name is bad"},
        {{2, 't', '\n'}, "its charger's name is bad"},
    };
    for (const Case& c : cases) {
        Bytes file = head;
        file.insert(file.end(), c.after.begin(), c.after.end());
        try {
            CaptureReader refused(writeRaw(file));
            ADD_FAILURE() << c.refusal;
        } catch (const CaptureError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
    Bytes unknownDirection = head;
    unknownDirection.insert(unknownDirection.end(), {1, 'x'});
    unknownDirection.insert(unknownDirection.end(), 12, 0);
    unknownDirection.insert(unknownDirection.end(), {7, 0, 0});
    CaptureReader directionless(writeRaw(unknownDirection));
    CaptureRecord record;
    EXPECT_THROW(directionless.next(record), CaptureError);
}

TEST_F(CaptureTest, CutOffFileGivesEveryWholeRecord) {
    const std::string path =
        write({{1, 1, Bytes(10, 1)}, {2, 2, Bytes(5, 2)}, {3, 3, Bytes(20, 3)}});
    const std::string whole = testing::readFile(path);
    const std::size_t start = kCaptureHeaderSize + 1 + kStart.driver.size();
    const std::size_t end1 = start + kCaptureNamedRecordHeaderSize + 10;
    const std::size_t end2 = end1 + kCaptureNamedRecordHeaderSize + 5;
    struct Cut {
        std::size_t size;
        std::size_t records;
        bool truncated;
    };
    for (const Cut& cut : {Cut{start, 0, false}, Cut{end1, 1, false}, Cut{end2 + 3, 2, true},
                           Cut{end2 + kCaptureNamedRecordHeaderSize, 2, true},
                           Cut{whole.size() - 1, 2, true}, Cut{whole.size(), 3, false}}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, cut.size);
        CaptureReader reader(path);
        EXPECT_EQ(readAll(reader).size(), cut.records) << cut.size;
        EXPECT_EQ(reader.truncated(), cut.truncated) << cut.size;
    }
}

TEST_F(CaptureTest, FileThatIsNoCaptureIsRefusedWithItsName) {
    const std::string valid = testing::readFile(write({}));
    std::string newer = valid;
    newer[6] = 3;
    struct Refused {
        const char* name;
        std::string contents;
        const char* says;
    };
    for (const Refused& r : {Refused{"empty", "", "is not a Cellwatch capture"},
                             Refused{"raw", "{\x80\x80\x80", "is not a Cellwatch capture"},
                             Refused{"cut", valid.substr(0, 10), "its header is cut off"},
                             Refused{"newer", newer, "format 3"}}) {
        const std::string path = (dir / r.name).string();
        std::ofstream(path, std::ios::binary) << r.contents;
        try {
            CaptureReader reader(path);
            ADD_FAILURE() << r.name << " accepted";
        } catch (const CaptureError& e) {
            EXPECT_NE(std::string(e.what()).find(path + ' '), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(r.says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(CaptureReader((dir / "missing").string()), CaptureError);
    EXPECT_THROW(CaptureWriter((dir / "no" / "dir.cwcap").string()), CaptureError);
    // A directory is refused both ways, saying what it is (a FIFO, which
    // opening would wait on, and a log given as a capture are refused
    // through the log tool).
    for (const bool reading : {true, false}) {
        try {
            reading ? (void)CaptureReader(dir.string()) : (void)CaptureWriter(dir.string());
            ADD_FAILURE() << "accepted for " << (reading ? "reading" : "writing");
        } catch (const CaptureError& e) {
            EXPECT_EQ(std::string(e.what()), (reading ? "cannot read " : "cannot write ") +
                                                 dir.string() + ": it is a directory");
        }
    }
}

// A receiver of the replayed messages that notes what it sees of the clocks.
class ClockWatchingHost final : public DecoderHost {
public:
    ClockWatchingHost(const TickClock& ticks, const QDateTime& wall) : ticks_(ticks), wall_(wall) {}
    std::uint32_t connectTicks() const override { return kStart.ticks; }
    Decimal capacityDataMax() const override { return {}; }
    void showIdle() override { ++idle; }
    void acceptReading(Reading& s) override {
        elapsed.push_back(s.elapsedMs);
        ticksSeen.push_back(ticks_.tickCount());
        wallSeen.push_back(wall_);
    }
    int idle = 0;
    std::vector<std::uint32_t> elapsed, ticksSeen;
    std::vector<QDateTime> wallSeen;

private:
    const TickClock& ticks_;
    const QDateTime& wall_;
};

// A capture replayed through the receive path into a ClockWatchingHost.
struct Replayed {
    explicit Replayed(const std::string& path) : reader(path) {}
    CaptureReader reader;
    ManualTickClock ticks;
    QDateTime wall;
    ClockWatchingHost host{ticks, wall};
    StatusDecoder decoder{ticks, host};
    ReceiveAssembler assembler{ticks, decoder};
    BufferByteSource waiting;
    CaptureReplay replay{reader,
                         [this](std::span<const std::uint8_t> bytes) {
                             waiting.feed(bytes);
                             assembler.serviceReceived(waiting);
                         },
                         ticks, [this](const QDateTime& t) { wall = t; }};

    // Plays with a runner at `speed` until it finishes or stops, or 20 s
    // pass (a replay that never advances); true when it finished.
    bool run(double speed, std::function<bool()> keepGoing = {}) {
        ReplayRunner runner(replay, speed);
        if (keepGoing) {
            runner.setKeepGoing(std::move(keepGoing));
        }
        QEventLoop loop;
        bool finished = false;
        QObject::connect(&runner, &ReplayRunner::finished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        QObject::connect(&runner, &ReplayRunner::stopped, &loop, &QEventLoop::quit);
        QTimer::singleShot(20'000, &loop, &QEventLoop::quit);
        runner.start();
        loop.exec();
        return finished;
    }
};

Bytes message() {
    return emulator::encodeStatus(testing::charging(1), FrameLayout::Long112);
}

// A message whose first bytes arrive 1 s after the start and the rest
// `gapMs` later, across the counter's wrap: more than 3 s is too late.
TEST_F(CaptureTest, ReplayedClocksJudgeFreshnessAndElapsedTimeAsLive) {
    const Bytes m = message();
    for (const std::uint32_t gapMs : {2'990u, 3'000u, 3'001u, 4'500u}) {
        SCOPED_TRACE(gapMs);
        const std::int64_t last = 1000 + gapMs;
        Replayed r(
            write({{kStart.wallMs + 1000, kStart.ticks + 1000, Bytes(m.begin(), m.begin() + 6)},
                   {kStart.wallMs + last, kStart.ticks + static_cast<std::uint32_t>(last),
                    Bytes(m.begin() + 6, m.end())}}));
        EXPECT_EQ(r.ticks.tickCount(), kStart.ticks);
        EXPECT_EQ(r.wall.toMSecsSinceEpoch(), kStart.wallMs);
        EXPECT_EQ(r.wall.offsetFromUtc(), kStart.utcOffsetSeconds);

        // Half way through the quiet stretch the clocks have moved on.
        r.replay.playTo(1000 + gapMs / 2);
        EXPECT_EQ(r.ticks.tickCount(), kStart.ticks + 1000 + gapMs / 2);
        EXPECT_EQ(r.wall.toMSecsSinceEpoch(), kStart.wallMs + 1000 + gapMs / 2);
        EXPECT_TRUE(r.host.elapsed.empty());

        r.replay.playTo(last);
        EXPECT_TRUE(r.replay.atEnd());
        EXPECT_EQ(r.replay.recordsPlayed(), 2u);
        const bool fresh = gapMs <= kFreshnessLimitMs;
        EXPECT_EQ(r.host.idle, fresh ? 0 : 1);
        ASSERT_EQ(r.host.elapsed.size(), fresh ? 1u : 0u);
        if (fresh) {
            EXPECT_EQ(r.host.elapsed[0], last);
            EXPECT_EQ(r.host.ticksSeen[0], kStart.ticks + static_cast<std::uint32_t>(last));
            EXPECT_EQ(r.host.wallSeen[0].toMSecsSinceEpoch(), kStart.wallMs + last);
        }
    }
}

// Records ten minutes apart: speed 0 plays both at once; a paced runner
// holds the second back while its clocks move on, and stops when told.
TEST_F(CaptureTest, RunnerPacesTheReplayAndStopsWhenTold) {
    const std::string path = write({{kStart.wallMs, kStart.ticks, {0x01}},
                                    {kStart.wallMs + 600'000, kStart.ticks + 600'000, {0x02}}});
    Replayed fast(path);
    EXPECT_TRUE(fast.run(0));
    EXPECT_EQ(fast.replay.recordsPlayed(), 2u);
    Replayed paced(path);
    int steps = 0;
    EXPECT_FALSE(paced.run(1, [&] { return ++steps <= 3; }));
    EXPECT_EQ(paced.replay.recordsPlayed(), 1u);
    EXPECT_GT(paced.replay.position(), 0);
}

TEST(ReplaySpeed, ZeroOrAPositiveNumberUpToAMillionIsAccepted) {
    const std::pair<const char*, double> accepted[] = {
        {"0", 0},         {"1", 1},     {"2", 2},         {"0.5", 0.5},
        {"0.001", 0.001}, {"1e6", 1e6}, {"1000000", 1e6}, {"999999.5", 999999.5}};
    for (const auto& [text, speed] : accepted) {
        EXPECT_EQ(parseReplaySpeed(QString::fromLatin1(text)), speed) << text;
    }
    for (const char* refused : {"", "fast", "-1", "-0.5", "1000000.5", "1e7", "1e20", "1e400",
                                "inf", "-inf", "nan", "2x"}) {
        EXPECT_FALSE(parseReplaySpeed(QString::fromLatin1(refused)).has_value()) << refused;
    }
}

// Wall clocks at the ends of the 64-bit range, a counter that steps back,
// the clocks moved on to the end of time and speeds out of range: the replay
// plays every record and its clocks never overflow (the suite also runs
// under the undefined-behaviour sanitizer).
TEST_F(CaptureTest, ExtremeClocksAndSpeedsStillPlayToTheEnd) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const Bytes m = message();
    for (const CaptureStart& start :
         {CaptureStart{kMax - 100, 0, 0}, CaptureStart{kMax, 50'400, 5},
          CaptureStart{kMin, -50'400, 0xFFFF'FF00u},
          CaptureStart{0, std::numeric_limits<std::int32_t>::min(), 0}}) {
        SCOPED_TRACE(start.wallMs);
        const std::string path = (dir / "extreme.cwcap").string();
        {
            CaptureWriter writer(path);
            writer.writeStart(start);
            writer.writeRecord(kMin, start.ticks + 10, Bytes(m.begin(), m.begin() + 50));
            writer.writeRecord(kMax - 10, start.ticks + 20, Bytes(m.begin() + 50, m.end()));
            writer.writeRecord(kMax - 5, start.ticks - 5, m);  // the counter steps back
            writer.writeRecord(kMax, start.ticks + 30, m);
            writer.close();
        }
        Replayed r(path);
        r.replay.playTo(kMax);
        EXPECT_TRUE(r.replay.atEnd());
        EXPECT_EQ(r.replay.recordsPlayed(), 4u);
        EXPECT_EQ(r.replay.position(), kMax);
        EXPECT_EQ(r.ticks.tickCount(), start.ticks + 30 + static_cast<std::uint32_t>(kMax - 55));

        for (const double speed : {1e6, 1e20, std::numeric_limits<double>::infinity()}) {
            Replayed played(path);
            EXPECT_TRUE(played.run(speed)) << speed;
            EXPECT_EQ(played.replay.recordsPlayed(), 4u) << speed;
        }
    }
}

}  // namespace
}  // namespace cellwatch
