// Stands between a charger's driver and its channels' recordings (each
// behind its alarms' tap): gives the driver channel 1's time base and
// capacity maximum, and hands each reading to the channel it names. While
// nothing records (a watch waiting for its start, a port open before the
// log begins), readings go nowhere.
//
// A reading of a channel the driver has come to have (it learnt its count)
// first has the session take the channels up; one of a channel the charger
// does not have is counted and dropped, told once. Watching one channel,
// the others' readings and events are not wanted: they go nowhere.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "protocol/charger_driver.h"
#include "session/channel_recording.h"

namespace cellwatch::session {

class ChannelRouter final : public DriverContext, public DriverSink {
public:
    struct Hooks {
        std::function<bool()> recording;       // whether readings count now
        std::function<int()> driverChannels;   // how many the driver has now
        std::function<void()> takeUpChannels;  // as many channels as the driver has
        std::function<QString()> charger;      // the driver's id, for the notice
        std::function<void(const QString&)> notice;
        std::function<void()> silent;  // the charger stopped answering
        // The charger's channel recorded as channel 1, alone (0: every
        // channel as itself).
        std::function<int()> watched = [] { return 0; };
    };

    ChannelRouter(const std::vector<std::unique_ptr<ChannelRecording>>& channels, Hooks hooks)
        : channels_(channels), hooks_(std::move(hooks)) {}

    std::uint32_t connectTicks() const override;
    Decimal capacityDataMax() const override;
    void reading(const Reading& reading, std::span<const std::uint8_t> message) override;
    void event(DriverEvent event, int channel) override;

    // Readings dropped since the last reset (a new driver).
    std::uint64_t dropped() const { return dropped_; }
    void resetDropped() { dropped_ = 0; }

private:
    int count() const { return static_cast<int>(channels_.size()); }

    const std::vector<std::unique_ptr<ChannelRecording>>& channels_;
    Hooks hooks_;
    std::uint64_t dropped_ = 0;
};

}  // namespace cellwatch::session
