// What the logger tests share: charger readings, the event loop run for a
// while, a stream into memory, a session in-process, the lines the log should
// hold for them, and the tool run as a child process.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "protocol/status_frame.h"
#include "tests/support/charger_readings.h"
#include "tests/support/event_wait.h"
#include "tests/support/memory_stream.h"
#include "tests/support/text_file.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/emulator.h"
#include "tools/log/log_session.h"

namespace cellwatch::logtest {

namespace emu = emulator;
using testing::MemoryStream;
using testing::readFile;
using testing::splitLines;

// The header line, as a user reads it.
inline const std::string kHeaderLine =
    "Time\tType\t+CHG/DIS-\tExt.Temp(℃)\tIn.Temp(℃)\tIn.Volt(V)\tBat.Volt(V)\tCurr(A)\t"
    "Cap(mAh)\tPower(W)\tC1\tC2\tC3\tC4\tC5\tC6\tC7\tC8\tC9\tC10\tC11\tC12";

using testing::charging;

using testing::waitUntil;

// A 76-byte message (the layout with temperatures) and the filler after it
// that the receive path skips, so that it is framed at once rather than
// with the next message.
std::vector<std::uint8_t> framed(std::vector<std::uint8_t> bytes);

// A run with both layouts, garbage and a damaged message, then a message
// that stalls for 4.7 s after its first bytes (too late: idle) so that the
// next one, more than 4 s after the last row, restarts the recording.
// `around` plain messages go before the garbage and after the stall.
std::vector<emu::Step> eventfulRun(int around);
// Writes eventfulRun(around) to `fd` at the charger's pace; whether it all went.
bool playEventfulRun(int fd, int around);

// The log line of a recorded reading: `time`, then the texts the table
// shows for the reading's fields.
std::string expectedRow(const emu::ChargerReading& reading, FrameLayout layout,
                        const std::string& time);
// The line without its time column.
std::string withoutTime(const std::string& line);

// Writes all bytes to a non-blocking descriptor.
void writeAll(int fd, const std::vector<std::uint8_t>& bytes);

// A session in-process on a pseudo-terminal that the test writes, with the
// tick clock set by hand, so that the times in the log are exact and the 3-
// and 4-second rules need no waiting; its log goes into memory.
class SessionTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kBegin = 5'000'000;

    void SetUp() override {
        QObject::connect(&session, &logger::LogSession::finished,
                         [this](int status) { finished = status; });
        session.openPort(QString::fromStdString(pty->slavePath()));
    }
    void TearDown() override { session.stop(); }

    // Puts bytes on the line with the tick clock `atMs` after the recording began.
    void sendAt(std::uint32_t atMs, const std::vector<std::uint8_t>& bytes) {
        ticks.set(kBegin + atMs);
        writeAll(pty->masterFd(), bytes);
    }
    std::vector<std::string> lines() const { return splitLines(out->text()); }

    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
    ManualTickClock ticks{kBegin};
    SystemWallClock wall;
    std::unique_ptr<MemoryStream> out = std::make_unique<MemoryStream>();
    logger::LogSession session{ticks, wall};
    int finished = -1;
};

// The built cellwatch-log, run with `args`.
class ToolRun : public testing::ToolRun {
public:
    explicit ToolRun(const std::vector<std::string>& args, const std::string& outputFile = {});
};

}  // namespace cellwatch::logtest
