#include "session/channel_router.h"

#include "protocol/tkrx_driver.h"

namespace cellwatch::session {

std::uint32_t ChannelRouter::connectTicks() const {
    return channels_.front()->host().connectTicks();
}

Decimal ChannelRouter::capacityDataMax() const {
    return channels_.front()->host().capacityDataMax();
}

void ChannelRouter::reading(const Reading& reading, std::span<const std::uint8_t> message) {
    if (!hooks_.recording()) {
        return;
    }
    const int watched = hooks_.watched();
    if (watched > 0 && reading.channel != watched) {
        return;  // a channel not watched
    }
    const int channel = watched > 0 ? 1 : reading.channel;
    if (channel > count() && channel <= hooks_.driverChannels()) {
        hooks_.takeUpChannels();  // the driver learnt of more channels with this reading
    }
    if (channel < 1 || channel > count()) {
        if (dropped_++ == 0) {
            hooks_.notice(QStringLiteral("a reading for channel %1 of the charger %2, which has "
                                         "%3: dropped (and any more like it)")
                              .arg(channel)
                              .arg(hooks_.charger())
                              .arg(count()));
        }
        return;
    }
    DecoderHost& host = channels_[static_cast<std::size_t>(channel - 1)]->host();
    host.readingDecoded(reading, layoutOfMessage(message));
    if (!reading.isIdle()) {
        Reading taken = reading;  // the recording sets the first row's time
        // The driver counts from channel 1's start (its context's); a
        // channel the pause rule restarted on its own counts from its own.
        taken.elapsedMs += connectTicks() - host.connectTicks();
        host.acceptReading(taken);
    }
}

void ChannelRouter::event(DriverEvent event, int channel) {
    if (!hooks_.recording()) {
        return;
    }
    if (const int watched = hooks_.watched(); watched > 0 && channel != 0) {
        if (channel != watched) {
            return;
        }
        channel = 1;
    }
    if (event == DriverEvent::Late) {
        // Channel 0: the charger as a whole.
        for (const std::unique_ptr<ChannelRecording>& each : channels_) {
            if (channel == 0 || channel == each->channel()) {
                each->host().showIdle();
            }
        }
    } else if (event == DriverEvent::Silent) {
        hooks_.silent();
    }
}

}  // namespace cellwatch::session
