// What a live session shows on the phone page: its rows, alarms and link
// state as the page's messages, to every viewer of a WebServer.
//
// The feed observes a LiveSession (never a front end), so the window,
// cellwatch-log and a network watcher serve the same page. A viewer that
// joins gets one "hello" with the recording so far, thinned to the points it
// asked for, then every row, alarm and change of the link as it happens.
//
// The messages are JSON objects, told apart by "t":
//   hello  {"t":"hello","source":S,"link":L,"began":MS,"total":N,
//           "rows":[ROW...],"alarms":[ALARM...]}
//   row    {"t":"row","row":ROW}
//   alarm  {"t":"alarm","alarm":ALARM}
//   link   {"t":"link","link":L,"why":TEXT}
//   reset  {"t":"reset","began":MS}       a new recording, or a restart
// where ROW is {"n":GRID_ROW,"v":[20 numbers or null],"type":T,"state":S,
// "ms":ARRIVED} with the values in PageField order and ARRIVED the row's
// arrival in ms on the recording's time base (its elapsed time to the
// millisecond: the page's X, so that rows faster than one a second do not
// share an X), ALARM is {"kind":K,"text":TEXT,"at":MS,"fig":FIGURES} with
// the moment it was raised on the session's clock (Alarm::raisedMs) and
// what it tells (alarms/alarm_figures.h), for the page to word in its own
// language: "cell", "v", "limit" (cell-high, cell-low; input-low without
// "cell"), those and "low", "lowV", "spread" (cell-spread), "ext",
// "extLimit", "int", "intLimit" (temperature, each pair when over its
// limit), "run" ("charge" or "discharge"), "last" (the last row's elapsed
// seconds) and "s" (finished, stalled) or "reason" (lost); no "fig" for a
// line in no form the monitor writes. L is linkStateName()
// (a recording ended by a loss stays "lost" until the next one begins) and
// MS the recording's start in ms since 1970 UTC.
//
// A charger of several channels (setChannels) has one recording each: the
// hello then says "channels":N and holds every channel's rows (N its total,
// "began" channel 1's start), and every
// ROW, ALARM and reset carries its channel, "ch":C (1 to N). Without "ch" a
// message is channel 1's; a charger of one channel sends none.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "session/live_session.h"

namespace cellwatch {
class RowStore;
namespace net {
class WebServer;
}
}  // namespace cellwatch

namespace cellwatch::session {

// The numbers of a row on the page, in this order.
enum PageField : int {
    kPageElapsed,  // seconds
    kPageExtTemperature,
    kPageIntTemperature,
    kPageInputVoltage,
    kPageVoltage,
    kPageCurrent,
    kPageCapacity,
    kPagePower,
    kPageCell1,  // cells 1..12, 0 for an absent cell
    kPageFieldCount = kPageCell1 + 12,
};

// Which of `count` rows (0-based) a page of `points` points shows: all of
// them when they fit (or `points` is 0), else `points` rows spread evenly
// over the recording, its first and last among them.
std::vector<int> thinnedRows(int count, int points);

// One row of the table (grid row, 1 = the first) as the page takes it (JSON
// text), arrived `arrivedMs` into the recording (its elapsed seconds' start
// when not given); `channel` 0 says none.
std::string pageRow(const RowStore& rows, int gridRow, std::optional<qint64> arrivedMs = {},
                    int channel = 0);
std::string pageAlarm(const alarms::Alarm& alarm, int channel = 0);

class PageFeed final : public QObject {
    Q_OBJECT
public:
    // Keeps the alarms of the present recording, at most this many (the
    // latest ones).
    static constexpr int kAlarmsKept = 50;

    PageFeed(LiveSession& session, net::WebServer& server, QObject* parent = nullptr);

    // The hello a viewer asking for `points` points gets now.
    QByteArray hello(int points) const;
    // The same, made once for all viewers that join with the same `points`
    // before anything changes (a row, an alarm, the link): a burst of joins
    // costs one hello per width, not one per viewer.
    const QByteArray& sharedHello(int points);

    // A charger of `count` channels (1 to 8), channel C's recording
    // `recording(C)`: the session's channels, followed as they change
    // (made with them). Each channel's rows, alarms and new recordings
    // come below, from the session's channel signals.
    static constexpr int kMostChannels = 8;
    using RecordingOf = std::function<const Recording*(int channel)>;
    void setChannels(int count, RecordingOf recording);
    int channels() const { return channels_; }
    void channelRow(int channel, int row);
    void channelAlarm(int channel, const alarms::Alarm& alarm);
    void channelBegun(int channel);

private:
    struct Alarmed {
        alarms::Alarm alarm;
        int channel;
    };
    void sendLink(LinkState state, const QString& why);
    void sendReset(int channel);
    const Recording* recordingOf(int channel) const;
    // The "ch" a message of `channel` carries: 0 (none) with one channel.
    int said(int channel) const { return channels_ > 1 ? channel : 0; }
    // The arrival of grid row `row` of `channel` when this feed saw it come.
    std::optional<qint64> arrivedMs(int channel, int row) const;
    std::vector<qint64>& arrivals(int channel);
    qint64 beganMs(int channel) const;
    // The session's link as the page shows it: a recording ended by a loss
    // (cellwatch-log ends then, the window may give up waiting) stays lost
    // until the next one begins.
    LinkState pageLink() const;

    LiveSession& session_;
    net::WebServer& server_;
    int channels_ = 1;
    RecordingOf recordingOf_;
    std::vector<Alarmed> alarms_;
    // Of the rows seen coming, by channel - 1 and grid row - 1.
    std::vector<std::vector<qint64>> arrivals_;
    QString why_;  // of the last loss
    // Hellos made since the last change, by points; a few widths at most.
    static constexpr std::size_t kHellosKept = 8;
    std::unordered_map<int, QByteArray> hellos_;
    bool lostLast_ = false;
};

}  // namespace cellwatch::session
