// Framing and decoding throughput on one core: a long stream of charging
// messages, held in memory, through the first family's charger driver (its
// framer and decoder) into a sink that only counts the readings it is
// handed. The stream goes in as one receive event, as the bytes of a file
// all waiting at once.
//
// The stream is 20,000 different messages of one layout, played again and
// again for at least half a second per repetition; the best of five
// repetitions is printed, in messages per second, beside the most the
// serial line can carry (9600 baud 8N1: 960 bytes a second) and the ratio
// of the two.
//
// The same for a described charger: the shipped OpenFormat description's
// text lines (both channels, XOR checked) through its described driver.
//
// Printed, one line per layout, for bench/run to pick up:
//   stream <layout> <messages per second> <line messages per second> <ratio>
//
//   stream_bench
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "drivers/description_reader.h"
#include "protocol/described_driver.h"
#include "protocol/tkrx_driver.h"
#include "tools/emulator/described_player.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace emu = emulator;

constexpr std::size_t kMessages = 20'000;
constexpr int kRepetitions = 5;
constexpr double kMinSeconds = 0.5;

class CountingHost final : public DriverContext, public DriverSink {
public:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return Decimal::fromInt(0); }
    void event(DriverEvent /*event*/, int /*channel*/) override { ++idle; }
    void reading(const Reading& reading, std::span<const std::uint8_t> /*message*/) override {
        if (!reading.isIdle()) {
            ++accepted;
        }
        checksum += reading.elapsedMs;
    }

    std::uint64_t accepted = 0;
    std::uint64_t idle = 0;
    std::uint64_t checksum = 0;
};

emu::ChargerReading charging(std::size_t k) {
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25 + static_cast<std::int64_t>(k % 10));
    r.intTemperature = Decimal::fromInt(33);
    r.inputVoltage = Decimal::fromHundredths(1200);
    r.voltage = Decimal::fromHundredths(1480 + static_cast<std::int64_t>(k % 200));
    r.current = Decimal::fromHundredths(150 + static_cast<std::int64_t>(k % 50));
    r.capacity = Decimal::fromInt(static_cast<std::int64_t>(k % 5000));
    for (std::size_t cell = 0; cell < 4; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(370 + static_cast<std::int64_t>((k + cell) % 50));
    }
    return r;
}

std::vector<std::uint8_t> stream(FrameLayout layout) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t k = 0; k < kMessages; ++k) {
        const auto message = emu::encodeStatus(charging(k), layout);
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    // A full message after the last, so that the last 76-byte message
    // has the 111 bytes behind its start byte that framing waits for.
    const auto tail = emu::encodeStatus(charging(0), FrameLayout::Long112);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

// The processor time this thread has used: a figure for "one core" that
// other work on the machine does not stretch, as it stretches the wall clock.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Messages per second of processor time, best of the repetitions.
double measure(FrameLayout layout) {
    const std::vector<std::uint8_t> bytes = stream(layout);
    double best = 0;
    for (int rep = 0; rep < kRepetitions; ++rep) {
        CountingHost host;
        TkrxDriver driver(host, host);
        std::uint64_t messages = 0;
        double seconds = 0;
        const std::span<const std::uint8_t> all(bytes);
        while (seconds < kMinSeconds) {
            const double t0 = threadSeconds();
            driver.feed(all, 1000);
            seconds += threadSeconds() - t0;
            messages = host.accepted;
        }
        // Every message of every pass (the tail one included) must be a sample.
        if (host.idle != 0 || messages == 0) {
            std::fprintf(stderr, "unexpected: %llu idle, %llu accepted\n",
                         static_cast<unsigned long long>(host.idle),
                         static_cast<unsigned long long>(messages));
            std::exit(1);
        }
        best = std::max(best, static_cast<double>(messages) / seconds);
    }
    return best;
}

// Lines per second of the described OpenFormat stream, best of the
// repetitions; `lineBytes` gets the average line's length.
double measureDescribed(double& lineBytes) {
    const DescriptionRead read =
        readChargerDescriptionFile(CELLWATCH_SOURCE_DIR "/resources/chargers/openformat.json");
    if (!read.description) {
        std::fprintf(stderr, "%s\n", read.error.c_str());
        std::exit(1);
    }
    const ChargerDescription& d = *read.description;
    std::vector<std::uint8_t> bytes;
    for (std::size_t k = 0; k < kMessages; ++k) {
        const int channel = 1 + static_cast<int>(k % 2);
        const auto line = emu::describedMessage(
            d, channel, emu::describedMoment(d, channel, static_cast<int>(k % 60)));
        bytes.insert(bytes.end(), line.begin(), line.end());
    }
    lineBytes = static_cast<double>(bytes.size()) / kMessages;
    double best = 0;
    for (int rep = 0; rep < kRepetitions; ++rep) {
        CountingHost host;
        DescribedDriver driver(read.description, host, host);
        double seconds = 0;
        while (seconds < kMinSeconds) {
            const double t0 = threadSeconds();
            driver.feed(bytes, 1000);
            seconds += threadSeconds() - t0;
        }
        if (host.accepted == 0 || driver.counts().bytesDropped != 0) {
            std::fprintf(stderr, "unexpected: %llu accepted, %llu bytes dropped\n",
                         static_cast<unsigned long long>(host.accepted),
                         static_cast<unsigned long long>(driver.counts().bytesDropped));
            std::exit(1);
        }
        best = std::max(best, static_cast<double>(host.accepted) / seconds);
    }
    return best;
}

}  // namespace
}  // namespace cellwatch

int main() {
    using namespace cellwatch;
    const struct {
        const char* name;
        FrameLayout layout;
        std::size_t size;
    } layouts[] = {{"76", FrameLayout::Short76, kShortFrameSize},
                   {"112", FrameLayout::Long112, kLongFrameSize}};
    for (const auto& l : layouts) {
        const double rate = measure(l.layout);
        const double line =
            static_cast<double>(emulator::kLineBytesPerSecond) / static_cast<double>(l.size);
        std::printf("stream %s %.0f %.2f %.0f\n", l.name, rate, line, rate / line);
    }
    double lineBytes = 0;
    const double rate = measureDescribed(lineBytes);
    const double line = static_cast<double>(emulator::kLineBytesPerSecond) / lineBytes;
    std::printf("stream openformat %.0f %.2f %.0f\n", rate, line, rate / line);
    return 0;
}
