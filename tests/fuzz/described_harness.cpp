#include "described_harness.h"

#include <cstdlib>
#include <memory>
#include <span>

#include "description_harness.h"
#include "drivers/description_reader.h"
#include "protocol/described_driver.h"

namespace cellwatch {

namespace {

struct Sink final : DriverContext, DriverSink {
    explicit Sink(int count) : channels(count) {}
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override {
        if (message.empty() || message.size() > kDescribedMostBytes || r.cellCount < 0 ||
            r.cellCount > kMostCells || r.channel < 1 || r.channel > channels ||
            (r.power && *r.power < Decimal())) {
            std::abort();
        }
        ++readings;
    }
    void event(DriverEvent, int) override {}
    int channels;
    std::uint64_t readings = 0;
};

constexpr const char* kDescriptions[] = {
    R"({"id": "t", "maker": "m", "models": [], "line": {"baud": 9600}, "channels": 2,
        "framing": {"kind": "text", "start": "$"}, "checksum": {"kind": "xor"},
        "fields": [{"part": "channel", "column": 0}, {"part": "state", "column": 1},
                   {"part": "voltage", "column": 2, "unit": "mV"},
                   {"part": "current", "column": 3, "scale": -1e6},
                   {"part": "cell16", "column": 4}, {"part": "power", "column": 5}],
        "states": {"1": "charging", "2": "discharging"}})",
    R"({"id": "h", "maker": "m", "models": [], "line": {"baud": 9600}, "channels": 3,
        "framing": {"kind": "header-text", "start": "$"},
        "fields": [{"part": "voltage", "name": "V"}, {"part": "cell1", "name": "C"},
                   {"part": "state", "name": "S"}, {"part": "errorCode", "name": "E"}]})",
    R"({"id": "b", "maker": "m", "models": [], "line": {"baud": 9600}, "channels": 2,
        "framing": {"kind": "binary", "start": "0F", "end": "AA",
                    "lengthField": {"offset": 1, "type": "u16", "order": "big", "adjust": 3}},
        "checksum": {"kind": "crc16-modbus", "from": 1},
        "fields": [{"part": "voltage", "offset": 3, "type": "float"},
                   {"part": "current", "offset": 7, "type": "i32", "scale": 1e6},
                   {"part": "channel", "offset": 11}, {"part": "chemistry", "offset": 12}],
        "chemistries": {"1": "lipo"},
        "poll": {"periodMs": 50, "requests": [{"channel": 1, "bytes": "01"}]}})",
};

}  // namespace

// A description's stream: fed in pieces, with polls between them.
static void feedDescribed(std::shared_ptr<const ChargerDescription> d,
                          std::span<const std::uint8_t> bytes) {
    Sink sink(d->channels);
    DescribedDriver driver(d, sink, sink);
    std::uint32_t now = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 13) {
        driver.due(now);
        driver.feed(bytes.subspan(at, std::min<std::size_t>(13, bytes.size() - at)), now);
        now += 40;
    }
    driver.endOfInput(now);
    const DriverCounts c = driver.counts();
    if (c.messages > bytes.size() || sink.readings > c.messages || c.bytesUnframed != 0 ||
        c.bytesDropped > bytes.size()) {
        std::abort();
    }
}

void runDescribedHarness(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    static const std::shared_ptr<const ChargerDescription> descriptions[] = {
        readChargerDescription(kDescriptions[0]).description,
        readChargerDescription(kDescriptions[1]).description,
        readChargerDescription(kDescriptions[2]).description,
    };
    const auto& d = descriptions[data[0] % 3];
    if (!d) {
        std::abort();
    }
    feedDescribed(d, {data + 1, size - 1});
}

void runDescriptionHarness(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DescriptionRead read = readChargerDescription(text);
    if (read.description == nullptr) {
        // Refused with the line at fault: "LINE: what".
        const std::size_t colon = read.error.find(": ");
        if (colon == 0 || colon == std::string::npos || read.error.size() == colon + 2) {
            std::abort();
        }
        return;
    }
    const ChargerDescription& d = *read.description;
    if (d.fields.empty() || d.fields.size() > kDescribedMostFields || d.channels < 1 ||
        d.channels > kDescribedMostChannels || d.requests.size() > kDescribedMostRequests) {
        std::abort();
    }
    feedDescribed(read.description, {data, size});
}

}  // namespace cellwatch
