#include "mqtt_harness.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdlib>

#include "net/messages.h"
#include "net/mqtt_client.h"
#include "net/remote_feed.h"
#include "protocol/reading_format.h"
#include "protocol/receive_assembler.h"
#include "protocol/status_decoder.h"

namespace cellwatch {
namespace {

class FeedHost final : public DecoderHost {
public:
    std::uint32_t connectTicks() const override { return connect; }
    Decimal capacityDataMax() const override { return capacityMax; }
    void showIdle() override {}
    void acceptReading(Reading& s) override {
        if (s.capacity > capacityMax) {
            capacityMax = s.capacity;
        }
        if (ReadingFormat::dumpLine(s, layoutName(FrameLayout::Short76)).empty()) {
            std::abort();
        }
    }
    std::uint32_t connect = 0;
    Decimal capacityMax;
};

const std::array<QString, 6> kLeaves{QStringLiteral("status"), QStringLiteral("start"),
                                     QStringLiteral("raw"),    QStringLiteral("row"),
                                     QStringLiteral("event"),  QStringLiteral("resume")};

// Never started: it only hands the feed its messages. One for each input,
// so that nothing of an input outlives it (else every input would look
// like a leak to the fuzzer, and be scanned for one).
net::MqttOptions clientOptions() {
    net::MqttOptions options;
    options.address.host = QStringLiteral("localhost");
    options.address.name = QStringLiteral("fuzz");
    options.reconnect = false;
    return options;
}

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void readParts(const QString& leaf, const QByteArray& payload) {
    if (leaf == QLatin1String("start")) {
        if (const auto start = net::parseStart(payload)) {
            check(net::startBytes(*start) == payload);
        }
    } else if (leaf == QLatin1String("raw")) {
        CaptureRecord record;
        if (net::parseRecord(payload, record)) {
            check(net::recordBytes(record.wallMs, record.ticks, record.bytes) == payload);
        }
        if (net::parseRecord(payload, record, true)) {
            check(net::namedRecordBytes(record.wallMs, record.ticks, record.bytes,
                                        record.direction) == payload);
        }
    } else if (leaf == QLatin1String("row")) {
        if (const auto row = net::parseRowJson(payload)) {
            (void)net::isoWithOffset(row->wall);
        }
    } else if (leaf == QLatin1String("resume")) {
        if (const auto resume = net::parseResumeJson(payload)) {
            check(net::parseResumeJson(net::resumeJson(*resume)) == resume);
        }
    } else if (leaf == QLatin1String("event")) {
        const QJsonObject o = QJsonDocument::fromJson(payload).object();
        (void)o.value(QStringLiteral("event")).toString();
        (void)o.value(QStringLiteral("kind")).toString();
        (void)o.value(QStringLiteral("text")).toString();
    }
}

}  // namespace

void runMqttHarness(const std::uint8_t* data, std::size_t size) {
    ManualTickClock clock;
    FeedHost host;
    StatusDecoder decoder(clock, host);
    ReceiveAssembler assembler(clock, decoder);
    BufferByteSource waiting;
    const auto feedAssembler = [&](std::span<const std::uint8_t> bytes) {
        waiting.feed(bytes);
        assembler.serviceReceived(waiting);
    };
    QDateTime wall;
    net::MqttClient c(clientOptions());
    // The clocks must always stand at a moment: a journal is named and dated
    // from them.
    net::RemoteFeed feed(c, feedAssembler, clock, [&](const QDateTime& t) {
        check(t.isValid());
        wall = t;
    });
    bool lost = false;
    QObject::connect(&feed, &net::RemoteFeed::lost, [&](const QString&) { lost = true; });
    QObject::connect(&feed, &net::RemoteFeed::started,
                     [&](const CaptureStart& start) { host.connect = start.ticks; });

    std::size_t pos = 0;
    while (pos + 3 <= size) {
        const QString& leaf = kLeaves[data[pos] % kLeaves.size()];
        const std::size_t want = data[pos + 1] | (std::size_t{data[pos + 2]} << 8);
        pos += 3;
        const std::size_t n = want < size - pos ? want : size - pos;
        const QByteArray payload(reinterpret_cast<const char*>(data + pos),
                                 static_cast<qsizetype>(n));
        pos += n;
        readParts(leaf, payload);
        const std::uint64_t played = feed.recordsPlayed();
        emit c.message(QStringLiteral("cellwatch/fuzz/") + leaf, payload);
        check(feed.recordsPlayed() >= played);
        check(!(lost && feed.running()));
    }
}

}  // namespace cellwatch
