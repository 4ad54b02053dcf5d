// A charger's recording published under cellwatch/NAME/ (see messages.h),
// with Home Assistant discovery if wanted.
//
// Publishing never waits: while the broker is away everything is dropped
// (the recording's own files keep it) and the client reconnects by itself;
// once it is back, status and start are published again. Raw records are
// what gives way first when the broker does not keep up.
//
// With a key every message is signed (see messages.h), the will included:
// a watcher holding the same key takes nothing that anyone else publishes
// under the charger's topics.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <optional>

#include "net/message_auth.h"
#include "net/messages.h"
#include "net/mqtt_client.h"

namespace cellwatch::net {

// The retained discovery configurations for a charger: topic and JSON. One
// device per charger; with several channels its entities are per channel.
std::vector<std::pair<QString, QByteArray>> discoveryConfigs(const BrokerAddress& address,
                                                             int channels = 1);

class Publisher final : public QObject {
    Q_OBJECT
public:
    // `options.address` names the charger; its will is set here. With a
    // `key` (empty: none) every message is signed with it.
    Publisher(MqttOptions options, bool discovery, QByteArray key = {}, QObject* parent = nullptr);

    void start() { client_.start(); }

    // The charger's channels (1 to kMostChannels; 1 unless told): with
    // several, rows, events and resumes go under each channel's topics (see
    // messages.h). Told before the first message of a run.
    static constexpr int kMostChannels = 8;
    void setChannels(int count);
    int channels() const { return channels_; }

    // The capture header of the present connection to the charger.
    void setStart(const CaptureStart& start);
    // One receive event, or a request sent to the charger. The first
    // family's records are format 1's, which has no requests: they are left
    // out (see messages.h).
    void raw(std::int64_t wallMs, std::uint32_t ticks, std::span<const std::uint8_t> bytes,
             CaptureDirection direction = CaptureDirection::Received);
    // A recording's messages: `channel` 1 to channels(); any other is
    // dropped (and counted).
    void row(const RowValues& row, int channel = 1);
    // Where the present recording stands, for watchers that join late
    // (retained), stamped with the publisher's clock and run; published
    // again every kHeartbeatMs while nothing else does, so that a watcher
    // can tell a live run from an old one published again.
    static constexpr int kHeartbeatMs = 60'000;
    void resume(const ResumeState& state, int channel = 1);
    // "idle", "restart", "lost", or "alarm" with its kind and text. (Not
    // QObject's event handler, which stays as it is.)
    using QObject::event;
    void event(const QDateTime& wall, const QString& name, const QString& kind = {},
               const QString& text = {}, int channel = 1);

    // Publishes "offline" and disconnects cleanly.
    void finish();

    MqttClient& client() { return client_; }
    std::uint64_t published() const { return published_; }
    std::uint64_t dropped() const { return dropped_; }

signals:
    // One line about the broker connection: its kind and figures (noticed),
    // then its English line (notice).
    void noticed(const cellwatch::net::BrokerNotice& notice);
    void notice(const QString& text);

private:
    MqttOptions withWill(MqttOptions options);
    void online();
    void put(const QString& leaf, const QByteArray& payload, bool retain = false,
             bool droppable = false);
    // The leaf of a recording's message of `channel`; empty for a channel the
    // charger does not have.
    QString channelLeaf(int channel, const QString& leaf) const;
    void putResume(int channel);

    std::optional<MessageAuth> auth_;
    SignSequence sequence_;
    MqttClient client_;
    bool discovery_;
    std::optional<CaptureStart> start_;
    int channels_ = 1;
    std::array<std::optional<ResumeState>, kMostChannels> resumes_;  // by channel - 1
    QString run_;                                                    // this publisher's run, random
    QTimer heartbeat_;  // the resume again while no row comes
    std::uint64_t published_ = 0;
    std::uint64_t dropped_ = 0;
};

}  // namespace cellwatch::net
