#include "session/page_feed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

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

QByteArray pageMessage(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

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

QJsonObject pageRow(const RowStore& rows, int gridRow, std::optional<qint64> arrivedMs) {
    QJsonArray values;
    for (int field : kPageSampleFields) {
        const std::optional<double> v = rows.number(gridRow, field);
        values.append(v ? QJsonValue(*v) : QJsonValue());
    }
    if (!arrivedMs) {
        arrivedMs = static_cast<qint64>(rows.number(gridRow, kFieldElapsed).value_or(0) * 1000.0);
    }
    return QJsonObject{{QStringLiteral("n"), gridRow},
                       {QStringLiteral("v"), values},
                       {QStringLiteral("type"), rows.gridText(gridRow, kFieldBatteryType + 1)},
                       {QStringLiteral("state"), rows.gridText(gridRow, kFieldState + 1)},
                       {QStringLiteral("ms"), *arrivedMs}};
}

QJsonObject pageAlarm(const alarms::Alarm& alarm) {
    return QJsonObject{{QStringLiteral("kind"), QString::fromUtf8(alarms::kindName(alarm.kind))},
                       {QStringLiteral("text"), QString::fromStdString(alarm.text)},
                       {QStringLiteral("at"), static_cast<qint64>(alarm.raisedMs)}};
}

PageFeed::PageFeed(LiveSession& session, net::WebServer& server, QObject* parent)
    : QObject(parent), session_(session), server_(server) {
    connect(
        &server_, &net::WebServer::clientJoined, this,
        [this](std::uint64_t client, int points) { server_.send(client, sharedHello(points)); });
    connect(&session_, &LiveSession::rowAppended, this, &PageFeed::sendRow);
    connect(&session_, &LiveSession::alarmRaised, this, &PageFeed::sendAlarm);
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
        alarms_.clear();
        arrivals_.clear();
        lostLast_ = false;
        sendReset();
    });
    connect(&session_, &LiveSession::restarted, this, [this] {
        arrivals_.clear();
        sendReset();
    });
}

LinkState PageFeed::pageLink() const {
    const LinkState state = session_.state();
    return state == LinkState::Disconnected && lostLast_ ? LinkState::Lost : state;
}

qint64 PageFeed::beganMs() const {
    const QDateTime began = session_.recording().recordingStart();
    return began.isValid() ? began.toMSecsSinceEpoch() : 0;
}

QByteArray PageFeed::hello(int points) const {
    const RowStore& rows = session_.recording().table();
    const int count = static_cast<int>(rows.dataRowCount());
    QJsonArray shown;
    for (int i : thinnedRows(count, points)) {
        shown.append(pageRow(rows, i + 1, arrivedMs(i + 1)));
    }
    QJsonArray raised;
    for (const alarms::Alarm& a : alarms_) {
        raised.append(pageAlarm(a));
    }
    const LinkState state = pageLink();
    return pageMessage(QJsonObject{
        {QStringLiteral("t"), QStringLiteral("hello")},
        {QStringLiteral("source"), session_.sourceName()},
        {QStringLiteral("link"), QString::fromLatin1(linkStateName(state))},
        {QStringLiteral("why"),
         state == LinkState::Lost || state == LinkState::WaitingForAdapter ? why_ : QString()},
        {QStringLiteral("began"), beganMs()},
        {QStringLiteral("total"), count},
        {QStringLiteral("rows"), shown},
        {QStringLiteral("alarms"), raised}});
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

std::optional<qint64> PageFeed::arrivedMs(int row) const {
    const auto index = static_cast<std::size_t>(row - 1);
    if (row < 1 || index >= arrivals_.size() || arrivals_[index] < 0) {
        return std::nullopt;
    }
    return arrivals_[index];
}

void PageFeed::sendRow(int row) {
    hellos_.clear();
    // Told while the row's receive event holds the clocks: its arrival.
    Recording& recording = session_.recording();
    const auto index = static_cast<std::size_t>(row - 1);
    if (row >= 1) {
        if (arrivals_.size() < index) {
            arrivals_.resize(index, -1);  // rows this feed did not see come
        }
        arrivals_.resize(index + 1);
        arrivals_[index] = ticksBetween(recording.connectTicks(), session_.clocks().tickCount());
    }
    if (server_.liveClientCount() == 0) {
        return;
    }
    server_.broadcast(pageMessage(
        QJsonObject{{QStringLiteral("t"), QStringLiteral("row")},
                    {QStringLiteral("row"), pageRow(recording.table(), row, arrivedMs(row))}}));
}

void PageFeed::sendAlarm(const alarms::Alarm& alarm) {
    hellos_.clear();
    alarms_.push_back(alarm);
    if (alarms_.size() > static_cast<std::size_t>(kAlarmsKept)) {
        alarms_.erase(alarms_.begin());
    }
    server_.broadcast(pageMessage(QJsonObject{{QStringLiteral("t"), QStringLiteral("alarm")},
                                              {QStringLiteral("alarm"), pageAlarm(alarm)}}));
}

void PageFeed::sendLink(LinkState state, const QString& why) {
    hellos_.clear();
    server_.broadcast(
        pageMessage(QJsonObject{{QStringLiteral("t"), QStringLiteral("link")},
                                {QStringLiteral("link"), QString::fromLatin1(linkStateName(state))},
                                {QStringLiteral("why"), why}}));
}

void PageFeed::sendReset() {
    hellos_.clear();
    server_.broadcast(pageMessage(QJsonObject{{QStringLiteral("t"), QStringLiteral("reset")},
                                              {QStringLiteral("began"), beganMs()}}));
}

}  // namespace cellwatch::session
