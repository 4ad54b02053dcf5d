// End to end through a real pseudo-terminal: the emulator writes the
// charger's side, a QSerialPort reads the other side through the receive
// path, and the decoded samples are what the emulator sent.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>

#include <unistd.h>

#include <atomic>
#include <thread>

#include "protocol/reading_format.h"
#include "protocol/receive_assembler.h"
#include "protocol/status_decoder.h"
#include "serial/port_receiver.h"
#include "serial/serial_port_source.h"
#include "tests/protocol/decoder_test_support.h"
#include "tests/support/charger_readings.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace emu = emulator;

using testing::RecordingHost;

struct LineReceived {
    std::vector<std::string> lines;
    int idleShown = 0;
    int lampFlips = 0;
};

// Plays `steps` into a fresh pseudo-terminal while a QSerialPort reads it
// through the receive path, until `expectedLines` messages are decoded, the
// writer is done and the line has been quiet for a moment, or a time limit.
LineReceived playThroughPty(const std::vector<emu::Step>& steps, std::size_t expectedLines) {
    emu::PseudoTerminal pty;
    QSerialPort port(QString::fromStdString(pty.slavePath()));
    EXPECT_TRUE(applyChargerLineSettings(port));
    EXPECT_TRUE(port.open(QIODevice::ReadOnly)) << port.errorString().toStdString();

    SystemTickClock clock;
    RecordingHost host;
    host.followCapacity = true;  // as the recording does
    StatusDecoder decoder(clock, host);
    LineReceived result;
    ReceiveAssembler assembler(clock, decoder, [&] { ++result.lampFlips; });
    PortReceiver receiver(port, assembler);

    // A fast but still chunked line: bytes arrive in small pieces, as from a UART.
    emu::PacedWriter writer(
        pty.masterFd(),
        {.paced = true, .intervalMs = 2, .bytesPerSecond = 200'000, .chunkBytes = 8});
    writer.setListenerCheck([&] { return true; });
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        writer.play(steps);
        done = true;
    });

    QElapsedTimer sinceDone;
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < 30'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        port.waitForReadyRead(20);
        if (done && !sinceDone.isValid()) {
            sinceDone.start();
        }
        if (host.decoded.size() >= expectedLines && sinceDone.isValid() &&
            sinceDone.elapsed() > 300) {
            break;
        }
    }
    feeder.join();
    EXPECT_EQ(writer.messagesDropped(), 0u);
    result.lines = host.lines();
    result.idleShown = host.idleCalls;
    return result;
}

void expectSameLines(const std::vector<std::string>& got, const std::vector<std::string>& meant) {
    ASSERT_EQ(got.size(), meant.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (meant[i] != "*") {
            EXPECT_EQ(got[i], meant[i]) << "message " << i + 1;
        }
    }
}

class PtyEndToEnd : public ::testing::TestWithParam<FrameLayout> {};

TEST_P(PtyEndToEnd, DecodedSamplesAreWhatTheEmulatorSent) {
    emu::ScenarioOptions options;
    options.names = {"lipo-charge", "garbage", "idle", "damaged", "lipo-discharge"};
    options.layout = GetParam();
    options.messages = 12;
    options.seed = 3;
    auto steps = emu::buildScenario(options);
    auto meant = emu::expectedDumpLines(steps);
    ASSERT_GT(meant.size(), 40u);
    LineReceived got = playThroughPty(steps, meant.size());
    expectSameLines(got.lines, meant);
    EXPECT_EQ(got.idleShown, 0);
    EXPECT_GT(got.lampFlips, 0);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, PtyEndToEnd,
                         ::testing::Values(FrameLayout::Short76, FrameLayout::Long112),
                         [](const auto& param) {
                             return std::string(param.param == FrameLayout::Short76 ? "Layout76"
                                                                                    : "Layout112");
                         });

// Runs the event loop until `done` or 10 s have passed; true when done.
template <typename Done>
bool runUntil(QSerialPort& port, Done done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 10'000) {
        if (port.isOpen()) {
            port.waitForReadyRead(20);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

std::vector<std::uint8_t> chargingMessage() {
    return emu::encodeStatus(testing::charging(1), FrameLayout::Long112);
}

// A QSerialPort on a fresh pseudo-terminal, read through the receive path,
// counting its receive events and the lamp's flips.
class PtyReceiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(applyChargerLineSettings(port));
        ASSERT_TRUE(port.open(QIODevice::ReadOnly)) << port.errorString().toStdString();
        QObject::connect(&port, &QSerialPort::readyRead, [this] { ++events; });
    }
    void writeBytes(const std::uint8_t* data, std::size_t n) {
        ASSERT_EQ(::write(pty.masterFd(), data, n), static_cast<ssize_t>(n));
    }

    emu::PseudoTerminal pty;
    QSerialPort port{QString::fromStdString(pty.slavePath())};
    SystemTickClock clock;
    RecordingHost host;
    StatusDecoder decoder{clock, host};
    int events = 0;
    int flips = 0;
    ReceiveAssembler assembler{clock, decoder, [this] { ++flips; }};
    PortReceiver receiver{port, assembler};
    const std::vector<std::uint8_t> message = chargingMessage();
};

// Each message written whole reaches the port as a receive event of its
// own; the receive lamp flips once per event, so it keeps blinking with the
// messages instead of flipping twice and looking dead.
TEST_F(PtyReceiveTest, TheLampFlipsOncePerReceiveEvent) {
    constexpr std::size_t kMessages = 5;
    for (std::size_t n = 1; n <= kMessages; ++n) {
        writeBytes(message.data(), message.size());
        ASSERT_TRUE(runUntil(port, [&] { return host.decoded.size() == n; }));
    }
    EXPECT_GE(events, static_cast<int>(kMessages));
    EXPECT_EQ(flips, events);
}

// A charger's line brings a message a few bytes at a time. The receive
// path cannot use a started frame's bytes until 111 follow the start byte,
// so it is woken when they are there rather than for every piece: once for
// the piece holding the start byte and then when the message is complete,
// which is decoded at once. (Linux hands a terminal's bytes over at most 64
// to a read; the rest, already waiting, is read in the same event.)
TEST_F(PtyReceiveTest, APieceByPieceMessageWakesTheReceivePathForItsStartAndItsEnd) {
    constexpr std::size_t kPiece = 8;
    for (std::size_t at = 0; at < message.size(); at += kPiece) {
        writeBytes(message.data() + at, kPiece);
        if (at == 0) {
            ASSERT_TRUE(runUntil(port, [&] { return assembler.started(); }));
        } else {
            // Long enough for the piece to reach the port as an event of its own.
            port.waitForReadyRead(30);
            QCoreApplication::processEvents();
        }
        if (at + kPiece < message.size()) {
            EXPECT_TRUE(host.decoded.empty());
        }
    }
    ASSERT_TRUE(runUntil(port, [&] { return host.decoded.size() == 1; }));
    EXPECT_LE(events, 2) << "one wake-up per piece would be " << message.size() / kPiece;
}

}  // namespace
}  // namespace cellwatch
