#include "log_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace cellwatch::logtest {

std::vector<std::uint8_t> framed(std::vector<std::uint8_t> bytes) {
    bytes.insert(bytes.end(), 36, 0x00);
    return bytes;
}

namespace {

emu::Step step(emu::Step::Kind kind, int n, FrameLayout layout, std::uint32_t ms = 0) {
    emu::Step s;
    s.kind = kind;
    s.reading = charging(n);
    s.layout = layout;
    s.ms = ms;
    return s;
}

void addMessages(std::vector<emu::Step>& steps, int from, int to) {
    for (int n = from; n <= to; ++n) {
        steps.push_back(
            step(emu::Step::Kind::Message, n, n % 2 ? FrameLayout::Long112 : FrameLayout::Short76));
    }
}

}  // namespace

std::vector<emu::Step> eventfulRun(int around) {
    using Kind = emu::Step::Kind;
    std::vector<emu::Step> steps;
    addMessages(steps, 1, around);
    emu::Step garbage;
    garbage.kind = Kind::Garbage;
    garbage.bytes = {0x00, 0x7D, 0xFF, 0x80, 0x41};
    steps.push_back(garbage);
    steps.push_back(step(Kind::DamagedMessage, around + 1, FrameLayout::Long112));
    steps.push_back(step(Kind::Message, around + 2, FrameLayout::Long112));
    steps.push_back(step(Kind::LateMessage, around + 3, FrameLayout::Long112, 4700));
    addMessages(steps, around + 4, 2 * around + 3);
    return steps;
}

bool playEventfulRun(int fd, int around) {
    emu::PacedWriter writer(
        fd, {.paced = true, .intervalMs = 120, .bytesPerSecond = 4800, .chunkBytes = 16});
    return writer.play(eventfulRun(around)) == emu::PacedWriter::Outcome::Finished;
}

std::string withoutTime(const std::string& line) {
    const auto tab = line.find('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

std::string expectedRow(const emu::ChargerReading& reading, FrameLayout layout,
                        const std::string& time) {
    // The dump line is the layout followed by the sample's fields 1 to 21.
    return time + '\t' + withoutTime(emu::expectedDumpLine(reading, layout));
}

void writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "write to the pty");
        } else if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("the pty takes no more bytes");
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

namespace {

QStringList arguments(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) {
        list << QString::fromStdString(a);
    }
    return list;
}

}  // namespace

ToolRun::ToolRun(const std::vector<std::string>& args, const std::string& outputFile)
    : testing::ToolRun(QStringLiteral(CELLWATCH_LOG_TOOL), arguments(args),
                       QString::fromStdString(outputFile)) {}

}  // namespace cellwatch::logtest
