#include "session/page_feed.h"

#include <algorithm>

#include "alarms/alarm_figures.h"
#include "net/json_text.h"
#include "net/web_server.h"
#include "readout/row_store.h"

namespace cellwatch::session {

namespace {

// The sample field of each page field.
constexpr std::array<int, kPageFieldCount> kPageSampleFields = {
    kFieldElapsed,   kFieldExtTemperature, kFieldIntTemperature, kFieldInputVoltage,
    kFieldVoltage,   kFieldCurrent,        kFieldCapacity,       kFieldPower,
    kFieldCell1,     kFieldCell1 + 1,      kFieldCell1 + 2,      kFieldCell1 + 3,
    kFieldCell1 + 4, kFieldCell1 + 5,      kFieldCell1 + 6,      kFieldCell1 + 7,
    kFieldCell1 + 8, kFieldCell1 + 9,      kFieldCell1 + 10,     kFieldCell1 + 11};

}  // namespace

std::vector<int> thinnedRows(int count, int points) {
    std::vector<int> rows;
    if (count <= 0) {
        return rows;
    }
    if (points <= 0 || count <= points) {
        rows.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            rows[static_cast<std::size_t>(i)] = i;
        }
        return rows;
    }
    if (points == 1) {
        return {count - 1};
    }
    rows.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        // Rounded to the nearest row: exact integers, the last one count - 1.
        const auto at = (static_cast<std::int64_t>(i) * (count - 1) * 2 + (points - 1)) /
                        (static_cast<std::int64_t>(points - 1) * 2);
        rows.push_back(static_cast<int>(at));
    }
    return rows;
}

std::string pageRow(const RowStore& rows, int gridRow, std::optional<qint64> arrivedMs,
                    int channel) {
    net::JsonArrayText values;
    for (int field : kPageSampleFields) {
        values.number(rows.number(gridRow, field));
    }
    if (!arrivedMs) {
        arrivedMs = static_cast<qint64>(rows.number(gridRow, kFieldElapsed).value_or(0) * 1000.0);
    }
    net::JsonObjectText o;
    o.whole("n", gridRow)
        .json("v", values.text())
        .string("type", rows.gridText(gridRow, kFieldBatteryType + 1))
        .string("state", rows.gridText(gridRow, kFieldState + 1))
        .whole("ms", *arrivedMs);
    if (channel > 0) {
        o.whole("ch", channel);
    }
    return o.text();
}

static std::string pageFigures(alarms::Kind kind, const alarms::Figures& f) {
    using alarms::Kind;
    net::JsonObjectText o;
    const auto number = [&o](std::string_view key, Decimal value) {
        o.number(key, value.toDouble());
    };
    switch (kind) {
        case Kind::CellSpread:
            o.whole("low", f.lowCell);
            number("lowV", f.lowValue);
            number("spread", f.spread);
            [[fallthrough]];
        case Kind::CellHigh:
        case Kind::CellLow:
            o.whole("cell", f.cell);
            [[fallthrough]];
        case Kind::InputLow:
            number("v", f.value);
            number("limit", f.limit);
            break;
        case Kind::Temperature:
            if (f.external) {
                number("ext", f.value);
                number("extLimit", f.limit);
            }
            if (f.internal) {
                number("int", f.internalValue);
                number("intLimit", f.internalLimit);
            }
            break;
        case Kind::Finished:
        case Kind::Stalled:
        case Kind::Lost:
            o.string("run", f.run == alarms::Run::Discharge ? QStringLiteral("discharge")
                                                            : QStringLiteral("charge"));
            o.whole("last", f.lastRowSeconds);
            if (kind == Kind::Lost) {
                o.string("reason", QString::fromStdString(f.reason));
            } else {
                o.whole("s", f.seconds);
            }
            break;
    }
    return o.text();
}

std::string pageAlarm(const alarms::Alarm& alarm, int channel) {
    net::JsonObjectText o;
    o.string("kind", QString::fromUtf8(alarms::kindName(alarm.kind)))
        .string("text", QString::fromStdString(alarm.text))
        .whole("at", static_cast<qint64>(alarm.raisedMs));
    // The page words it in its language from the figures; an alarm known by
    // its line only has them read back from it.
    const std::optional<alarms::Figures> figures =
        alarm.figures ? alarm.figures : alarms::readAlarmLine(alarm.kind, alarm.text);
    if (figures) {
        o.json("fig", pageFigures(alarm.kind, *figures));
    }
    if (channel > 0) {
        o.whole("ch", channel);
    }
    return o.text();
}

PageFeed::PageFeed(LiveSession& session, net::WebServer& server, QObject* parent)
    : QObject(parent), session_(session), server_(server) {
    connect(
        &server_, &net::WebServer::clientJoined, this,
        [this](std::uint64_t client, int points) { server_.send(client, sharedHello(points)); });
    // Every channel the session has, each its recording.
    const auto follow = [this](int count) {
        setChannels(count, [this](int channel) -> const Recording* {
            return channel >= 1 && channel <= session_.channelCount() ? &session_.recording(channel)
                                                                      : nullptr;
        });
    };
    follow(session_.channelCount());
    connect(&session_, &LiveSession::channelsChanged, this, follow);
    // Channel 1's by the session's own signals, the others' by theirs.
    connect(&session_, &LiveSession::rowAppended, this, [this](int row) { channelRow(1, row); });
    connect(&session_, &LiveSession::alarmRaised, this,
            [this](const alarms::Alarm& alarm) { channelAlarm(1, alarm); });
    connect(&session_, &LiveSession::channelRowAppended, this, [this](int channel, int row) {
        if (channel > 1) {
            channelRow(channel, row);
        }
    });
    connect(&session_, &LiveSession::channelAlarmRaised, this,
            [this](int channel, const alarms::Alarm& alarm) {
                if (channel > 1) {
                    channelAlarm(channel, alarm);
                }
            });
    connect(&session_, &LiveSession::lost, this, [this](const QString& why) {
        why_ = why;
        hellos_.clear();
    });
    connect(&session_, &LiveSession::stateChanged, this, [this](LinkState state) {
        if (state == LinkState::Lost) {
            lostLast_ = true;
        } else if (state != LinkState::WaitingForAdapter && state != LinkState::Disconnected) {
            lostLast_ = false;
        }
        const LinkState shown = pageLink();
        sendLink(shown, shown == LinkState::Lost || shown == LinkState::WaitingForAdapter
                            ? why_
                            : QString());
    });
    connect(&session_, &LiveSession::recordingBegun, this, [this] {
        lostLast_ = false;
        for (int channel = 1; channel <= channels_; ++channel) {
            channelBegun(channel);
        }
    });
    connect(&session_, &LiveSession::channelRestarted, this, [this](int channel) {
        arrivals(channel).clear();
        sendReset(channel);
    });
}

void PageFeed::setChannels(int count, RecordingOf recording) {
    channels_ = std::clamp(count, 1, kMostChannels);
    recordingOf_ = std::move(recording);
    hellos_.clear();
}

const Recording* PageFeed::recordingOf(int channel) const {
    if (recordingOf_) {
        return recordingOf_(channel);
    }
    return channel == 1 ? &session_.recording() : nullptr;
}

LinkState PageFeed::pageLink() const {
    const LinkState state = session_.state();
    return state == LinkState::Disconnected && lostLast_ ? LinkState::Lost : state;
}

qint64 PageFeed::beganMs(int channel) const {
    const Recording* recording = recordingOf(channel);
    const QDateTime began = recording ? recording->recordingStart() : QDateTime();
    return began.isValid() ? began.toMSecsSinceEpoch() : 0;
}

QByteArray PageFeed::hello(int points) const {
    net::JsonArrayText shown;
    qint64 total = 0;
    for (int channel = 1; channel <= channels_; ++channel) {
        const Recording* recording = recordingOf(channel);
        if (recording == nullptr) {
            continue;
        }
        const RowStore& rows = recording->table();
        const int count = static_cast<int>(rows.dataRowCount());
        total += count;
        for (int i : thinnedRows(count, points)) {
            shown.json(pageRow(rows, i + 1, arrivedMs(channel, i + 1), said(channel)));
        }
    }
    net::JsonArrayText raised;
    for (const Alarmed& a : alarms_) {
        raised.json(pageAlarm(a.alarm, said(a.channel)));
    }
    const LinkState state = pageLink();
    net::JsonObjectText o;
    o.string("t", QStringLiteral("hello"))
        .string("source", session_.sourceName())
        .string("link", QString::fromLatin1(linkStateName(state)))
        .string("why", state == LinkState::Lost || state == LinkState::WaitingForAdapter
                           ? why_
                           : QString())
        .whole("began", beganMs(1))
        .whole("total", total)
        .json("rows", shown.text())
        .json("alarms", raised.text());
    if (channels_ > 1) {
        o.whole("channels", channels_);
    }
    return o.bytes();
}

const QByteArray& PageFeed::sharedHello(int points) {
    auto found = hellos_.find(points);
    if (found == hellos_.end()) {
        if (hellos_.size() >= kHellosKept) {
            hellos_.clear();
        }
        found = hellos_.emplace(points, hello(points)).first;
    }
    return found->second;
}

std::vector<qint64>& PageFeed::arrivals(int channel) {
    const auto index = static_cast<std::size_t>(std::clamp(channel, 1, kMostChannels) - 1);
    if (arrivals_.size() <= index) {
        arrivals_.resize(index + 1);
    }
    return arrivals_[index];
}

std::optional<qint64> PageFeed::arrivedMs(int channel, int row) const {
    const auto c = static_cast<std::size_t>(channel - 1);
    const auto index = static_cast<std::size_t>(row - 1);
    if (channel < 1 || c >= arrivals_.size() || row < 1 || index >= arrivals_[c].size() ||
        arrivals_[c][index] < 0) {
        return std::nullopt;
    }
    return arrivals_[c][index];
}

void PageFeed::channelRow(int channel, int row) {
    const Recording* recording = recordingOf(channel);
    if (recording == nullptr) {
        return;
    }
    hellos_.clear();
    // Told while the row's receive event holds the clocks: its arrival.
    std::vector<qint64>& seen = arrivals(channel);
    const auto index = static_cast<std::size_t>(row - 1);
    if (row >= 1) {
        if (seen.size() < index) {
            seen.resize(index, -1);  // rows this feed did not see come
        }
        seen.resize(index + 1);
        seen[index] = ticksBetween(recording->connectTicks(), session_.clocks().tickCount());
    }
    if (server_.liveClientCount() == 0) {
        return;
    }
    server_.broadcast(
        net::JsonObjectText()
            .string("t", QStringLiteral("row"))
            .json("row", pageRow(recording->table(), row, arrivedMs(channel, row), said(channel)))
            .bytes());
}

void PageFeed::channelAlarm(int channel, const alarms::Alarm& alarm) {
    hellos_.clear();
    alarms_.push_back({alarm, channel});
    if (alarms_.size() > static_cast<std::size_t>(kAlarmsKept)) {
        alarms_.erase(alarms_.begin());
    }
    server_.broadcast(net::JsonObjectText()
                          .string("t", QStringLiteral("alarm"))
                          .json("alarm", pageAlarm(alarm, said(channel)))
                          .bytes());
}

void PageFeed::channelBegun(int channel) {
    std::erase_if(alarms_, [channel](const Alarmed& a) { return a.channel == channel; });
    arrivals(channel).clear();
    sendReset(channel);
}

void PageFeed::sendLink(LinkState state, const QString& why) {
    hellos_.clear();
    server_.broadcast(net::JsonObjectText()
                          .string("t", QStringLiteral("link"))
                          .string("link", QString::fromLatin1(linkStateName(state)))
                          .string("why", why)
                          .bytes());
}

void PageFeed::sendReset(int channel) {
    hellos_.clear();
    net::JsonObjectText o;
    o.string("t", QStringLiteral("reset")).whole("began", beganMs(channel));
    if (said(channel) > 0) {
        o.whole("ch", channel);
    }
    server_.broadcast(o.bytes());
}

}  // namespace cellwatch::session
