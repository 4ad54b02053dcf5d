#include "session/metrics_feed.h"

#include <algorithm>
#include <map>
#include <set>

#include "protocol/tick_clock.h"

namespace cellwatch::session {

struct MetricsFeed::Watched {
    struct Channel {
        std::optional<Reading> latest;
        std::array<std::uint64_t, alarms::kKindCount> alarms{};
        std::uint64_t rows = 0;
        std::optional<std::uint32_t> lastRowTicks;
    };
    QPointer<LiveSession> session;
    std::string charger;
    PackOf packOf;
    std::map<int, Channel> channels;
    // The recordings a view of this feed is subscribed to (a view leaves
    // with its recording).
    std::set<const Recording*> viewed;
};

// Takes a channel's accepted readings, as long as the feed is there.
class MetricsFeed::View final : public RecordingView {
public:
    View(std::weak_ptr<Watched> watched, int channel, const Recording& recording)
        : watched_(std::move(watched)), channel_(channel), recording_(&recording) {}
    ~View() override {
        if (const auto w = watched_.lock()) {
            w->viewed.erase(recording_);
        }
    }
    void accepted(const Recording&, const Reading& reading) override {
        if (const auto w = watched_.lock()) {
            w->channels[channel_].latest = reading;
        }
    }

private:
    std::weak_ptr<Watched> watched_;
    int channel_;
    const Recording* recording_;
};

MetricsFeed::MetricsFeed(QObject* parent) : QObject(parent) {}

MetricsFeed::~MetricsFeed() = default;

void MetricsFeed::watch(LiveSession& session, std::string charger, PackOf packOf) {
    auto watched = std::make_shared<Watched>();
    watched->session = &session;
    watched->charger = std::move(charger);
    watched->packOf = std::move(packOf);
    watched_.push_back(watched);
    Watched* w = watched.get();
    connect(&session, &LiveSession::channelRowAppended, this, [w](int channel, int) {
        Watched::Channel& c = w->channels[channel];
        ++c.rows;
        c.lastRowTicks = w->session->ownTicks().tickCount();
    });
    connect(&session, &LiveSession::channelAlarmRaised, this,
            [w](int channel, const alarms::Alarm& alarm) {
                ++w->channels[channel].alarms[static_cast<std::size_t>(alarm.kind)];
            });
    connect(&session, &LiveSession::channelsChanged, this, [this, watched] { follow(watched); });
    follow(watched);
}

void MetricsFeed::follow(const std::shared_ptr<Watched>& watched) {
    LiveSession* session = watched->session;
    if (session == nullptr) {
        return;
    }
    for (int channel = 1; channel <= session->channelCount(); ++channel) {
        Recording& recording = session->recording(channel);
        if (watched->viewed.insert(&recording).second) {
            recording.subscribe(std::make_unique<View>(watched, channel, recording));
        }
    }
}

std::vector<ChargerMetrics> MetricsFeed::metrics() const {
    std::vector<ChargerMetrics> out;
    for (const std::shared_ptr<Watched>& w : watched_) {
        if (w->session == nullptr) {
            continue;
        }
        ChargerMetrics charger;
        charger.charger = w->charger.empty() ? std::string(w->session->driver().id()) : w->charger;
        charger.link = w->session->state();
        const std::uint32_t now = w->session->ownTicks().tickCount();
        for (int channel = 1; channel <= w->session->channelCount(); ++channel) {
            ChannelMetrics m;
            m.channel = channel;
            m.pack = w->packOf ? w->packOf(channel) : std::string();
            const auto found = w->channels.find(channel);
            if (found != w->channels.end()) {
                const Watched::Channel& c = found->second;
                m.latest = c.latest;
                m.alarms = c.alarms;
                m.rows = c.rows;
                if (c.lastRowTicks) {
                    m.lastRowAgeSeconds = ticksBetween(*c.lastRowTicks, now) / 1000.0;
                }
            }
            charger.channels.push_back(std::move(m));
        }
        out.push_back(std::move(charger));
    }
    return out;
}

}  // namespace cellwatch::session
