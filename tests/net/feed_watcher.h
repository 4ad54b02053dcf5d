// A watcher's feed on a client of its own, as the watch sources build it:
// the records it plays go through the receive path; what it says is kept.
#pragma once

#include <QDateTime>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

#include "net/remote_feed.h"
#include "test_broker.h"

namespace cellwatch::nettest {

struct Watcher {
    explicit Watcher(const net::MqttOptions& options, const QByteArray& key = {})
        : client(options),
          assembler(ticks, frames),
          feed(
              client,
              [this](std::span<const std::uint8_t> bytes) {
                  played.insert(played.end(), bytes.begin(), bytes.end());
                  waiting.feed(bytes);
                  assembler.serviceReceived(waiting);
              },
              ticks, [this](const QDateTime& t) { wall = t; }) {
        if (!key.isEmpty()) {
            feed.setKey(key);
        }
        QObject::connect(&feed, &net::RemoteFeed::lost, [this](const QString& w) { lost << w; });
        QObject::connect(&feed, &net::RemoteFeed::problem,
                         [this](const QString& w) { problems << w; });
        QObject::connect(&feed, &net::RemoteFeed::started, [this](const CaptureStart& s) {
            starts.push_back(s);
            ticksAtStart.push_back(ticks.tickCount());
        });
        client.start();
    }
    ManualTickClock ticks;
    Frames frames;
    net::MqttClient client;
    ReceiveAssembler assembler;
    BufferByteSource waiting;
    net::RemoteFeed feed;
    std::vector<std::uint8_t> played;
    QDateTime wall;
    QStringList lost;
    QStringList problems;
    std::vector<CaptureStart> starts;
    std::vector<std::uint32_t> ticksAtStart;
};

}  // namespace cellwatch::nettest
