#include "tools/emulator/paced_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include "tools/emulator/pseudo_terminal.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

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

TEST(PacedWriter, UnpacedOutputIsTheEncodedStream) {
    for (const char* name : {"garbage", "late", "pause", "damaged"}) {
        const auto steps = lineScenario(name);
        Pipe pipe;
        PacedWriter writer(pipe.out.fd, PacingOptions{.paced = false});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(writer.play(steps), PacedWriter::Outcome::Finished);
        EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(500)) << name;
        EXPECT_EQ(pipe.drain(), encodeSteps(steps)) << name;
    }
}

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
        {{late}, 1000, 0.2 + secondsFor(76)},
    };
    for (const Case& c : cases) {
        Pipe pipe;
        PacedWriter writer(pipe.out.fd, PacingOptions{.intervalMs = c.intervalMs});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(writer.play(c.steps), PacedWriter::Outcome::Finished);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(took, c.atLeast - 0.01);
        EXPECT_LT(took, c.atLeast + 0.5);
        EXPECT_EQ(pipe.drain(), encodeSteps(c.steps));
    }
}

TEST(PacedWriter, StopFlagEndsAStallPromptly) {
    Step silence;
    silence.kind = Step::Kind::Silence;
    silence.ms = 10000;
    Pipe pipe;
    std::atomic<bool> stop{false};
    PacedWriter writer(pipe.out.fd, PacingOptions{});
    writer.setStopFlag(&stop);
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(milliseconds(100));
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(writer.play({silence}), PacedWriter::Outcome::Stopped);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1000));
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
