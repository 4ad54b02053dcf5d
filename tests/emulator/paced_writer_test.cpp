#include "tools/emulator/paced_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/emulator/pseudo_terminal.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A descriptor that closes itself.
struct Fd {
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    ~Fd() { reset(); }
    void reset() {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = -1;
    }
};

// What arrives on `fd` until it ends or stays quiet for 100 ms.
Bytes readAll(int fd) {
    Bytes out;
    pollfd p{fd, POLLIN, 0};
    std::uint8_t buf[4096];
    ssize_t n = 0;
    while (::poll(&p, 1, 100) > 0 && (n = ::read(fd, buf, sizeof buf)) > 0) {
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

struct Pipe {
    Fd in, out;
    Pipe() {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        in.fd = fds[0];
        out.fd = fds[1];
    }
    // Everything written, once the write end is closed.
    Bytes drain() {
        out.reset();
        return readAll(in.fd);
    }
};

std::vector<Step> lineScenario(const char* name) {
    ScenarioOptions o;
    o.names = {name};
    return buildScenario(o);
}

double secondsFor(std::size_t bytes) {
    return static_cast<double>(bytes) / kLineBytesPerSecond;
}

// A day: a writer that waited that long where it must not would never let
// its test finish (the test run's time limit fails it), whereas one that
// does not wait passes however slow the machine is.
constexpr std::uint32_t kDayMs = 24 * 3600 * 1000;

TEST(PacedWriter, UnpacedOutputIsTheEncodedStreamWithoutWaiting) {
    Step message;
    message.reading.mode = Mode::Charge;
    Step late = message;
    late.kind = Step::Kind::LateMessage;
    late.ms = kDayMs;
    Step silence;
    silence.kind = Step::Kind::Silence;
    silence.ms = kDayMs;
    const std::vector<Step> waits = {message, silence, late, message};
    for (const char* name : {"garbage", "late", "pause", "damaged", "a day's waits"}) {
        const auto steps = std::string_view(name) == "a day's waits" ? waits : lineScenario(name);
        Pipe pipe;
        PacedWriter writer(pipe.out.fd, PacingOptions{.paced = false, .intervalMs = kDayMs});
        EXPECT_EQ(writer.play(steps), PacedWriter::Outcome::Finished) << name;
        EXPECT_EQ(pipe.drain(), encodeSteps(steps)) << name;
    }
}

// No message leaves before its time: the interval from one message's start
// to the next, the line's rate, a silence from the last byte on and a late
// message's pause all hold at least; and after a silence the rhythm starts
// again from its end (with a day's interval the second message would
// otherwise wait a day).
TEST(PacedWriter, PacedOutputKeepsIntervalLineRateAndStalls) {
    Step message;
    message.reading.mode = Mode::Charge;
    Step late = message;
    late.kind = Step::Kind::LateMessage;
    late.ms = 200;
    Step silence;
    silence.kind = Step::Kind::Silence;
    silence.ms = 150;
    struct Case {
        std::vector<Step> steps;
        std::uint32_t intervalMs;
        double atLeast;  // seconds
    };
    const Case cases[] = {
        // Three messages 100 ms apart: the last starts at 200 ms.
        {{message, message, message}, 100, 0.2 + secondsFor(76)},
        // The line rate wins over a short interval.
        {{message, message, message}, 10, secondsFor(3 * 76)},
        // A silence runs from the last byte; the rhythm restarts after it.
        {{message, silence, message}, 1000, secondsFor(76) + 0.15 + secondsFor(76)},
        {{message, silence, message}, kDayMs, secondsFor(76) + 0.15 + secondsFor(76)},
        {{late}, 1000, 0.2 + secondsFor(76)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.steps.size() << " steps " << c.intervalMs << " ms apart");
        Pipe pipe;
        PacedWriter writer(pipe.out.fd, PacingOptions{.intervalMs = c.intervalMs});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(writer.play(c.steps), PacedWriter::Outcome::Finished);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(took, c.atLeast - 0.01);
        EXPECT_EQ(pipe.drain(), encodeSteps(c.steps));
    }
}

// Raised while the writer waits out a day's silence (once the message
// before it has arrived whole), the stop flag ends the wait: the message
// after the silence never comes.
TEST(PacedWriter, StopFlagEndsAStall) {
    Step message;
    message.reading.mode = Mode::Charge;
    Step silence;
    silence.kind = Step::Kind::Silence;
    silence.ms = kDayMs;
    Pipe pipe;
    std::atomic<bool> stop{false};
    PacedWriter writer(pipe.out.fd, PacingOptions{});
    writer.setStopFlag(&stop);
    const Bytes first = encodeSteps({message});
    Bytes arrived;
    std::thread stopper([&] {
        std::uint8_t buf[256];
        while (arrived.size() < first.size()) {
            const ssize_t n = ::read(pipe.in.fd, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            arrived.insert(arrived.end(), buf, buf + n);
        }
        stop = true;
    });
    EXPECT_EQ(writer.play({message, silence, message}), PacedWriter::Outcome::Stopped);
    stopper.join();
    EXPECT_EQ(arrived, first);
    EXPECT_TRUE(pipe.drain().empty()) << "the message after the silence";
}

TEST(PacedWriter, ReaderGoingAwayEndsQuietly) {
    std::signal(SIGPIPE, SIG_IGN);
    Pipe pipe;
    pipe.in.reset();
    PacedWriter writer(pipe.out.fd, PacingOptions{.paced = false});
    EXPECT_EQ(writer.play(lineScenario("idle")), PacedWriter::Outcome::Closed);
}

TEST(PseudoTerminal, MessagesReachOnlyAListenerThatIsThere) {
    PseudoTerminal pty;
    // A message and line-editing characters that a cooked terminal would
    // change or swallow: CR, LF, ^C, XON, XOFF, DEL, ^D.
    std::vector<Step> one(2);
    one[1].kind = Step::Kind::Garbage;
    one[1].bytes = {0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x04};
    PacedWriter writer(pty.masterFd(), PacingOptions{.paced = false});
    writer.setDropWhenFull(true);
    writer.setListenerCheck([&pty] { return pty.listenerPresent(); });

    EXPECT_FALSE(pty.listenerPresent());
    writer.play(one);  // nobody there: lost
    EXPECT_EQ(writer.messagesDropped(), 1u);

    const auto listen = [&pty] { return ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY); };
    Fd first(listen());
    ASSERT_GE(first.fd, 0);
    EXPECT_TRUE(pty.listenerPresent());
    writer.play(one);
    // Raw mode: the bytes arrive unchanged, and nothing from before.
    EXPECT_EQ(readAll(first.fd), encodeSteps(one));

    writer.play(one);  // left unread when the listener goes away
    first.reset();
    EXPECT_FALSE(pty.listenerPresent());
    writer.play(one);

    Fd second(listen());
    ASSERT_GE(second.fd, 0);
    EXPECT_TRUE(readAll(second.fd).empty());
    EXPECT_EQ(writer.messagesWritten(), 2u);
    EXPECT_EQ(writer.messagesDropped(), 2u);
}

}  // namespace
}  // namespace cellwatch::emulator
