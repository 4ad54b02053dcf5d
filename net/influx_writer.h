// Sends lines to a time-series database over HTTP, in batches, never
// waiting: add() queues a line and returns; the requests go on the event
// loop, one at a time.
//
//   - A batch leaves once it holds Limits::batchLines lines, or
//     Limits::batchMs after its first line came (the batch clock, which a
//     test may hold and step).
//   - Batches go compressed (Content-Encoding: gzip) until the server says
//     it does not take that (415, or 400 to a compressed batch): then the
//     same batch and all after it go plain, said once.
//   - A server away, slow (no answer within Limits::timeoutMs), busy (429)
//     or failing (5xx): the batch is tried again after a back-off doubling
//     from Limits::firstRetryMs to Limits::mostRetryMs, or after the
//     Retry-After the server asks for; after Limits::mostTries tries it is
//     dropped. Said once when the server goes away and once when it is back.
//   - Any other 4xx: the server refuses the batch: it is dropped and counted,
//     said once for each status.
//   - Lines waiting beyond Limits::maxBytes give way, oldest first; dropped
//     lines are counted and said in one line at most every ten seconds.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "net/drop_report.h"
#include "serial/steppable_timer.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace cellwatch::net {

// `data` compressed as a gzip stream (fast, not small).
QByteArray gzipped(const QByteArray& data);

// How the writer batches, waits and gives way (see above).
struct InfluxLimits {
    int batchLines = 5000;
    int batchMs = 1000;
    qsizetype maxBytes = 64 * 1024 * 1024;
    int mostTries = 10;
    int firstRetryMs = 500;
    int mostRetryMs = 30'000;
    int timeoutMs = 10'000;
};

class InfluxWriter final : public QObject {
    Q_OBJECT
public:
    using Limits = InfluxLimits;

    enum class State {
        Starting,     // nothing sent yet
        Delivering,   // the last batch was taken
        Unreachable,  // the last try failed; trying again
        Refusing,     // the last batch was refused
    };

    // `url` as parseInfluxAddress() gives it; `authorization` the header's
    // value (empty: none).
    InfluxWriter(QUrl url, QByteArray authorization = {}, Limits limits = {},
                 QObject* parent = nullptr);
    ~InfluxWriter() override;

    // Queues one line (without its line break).
    void add(std::string_view line);
    // Sends what waits now rather than when the batch is full or due.
    void flush();
    // Nothing waits and nothing is being sent.
    bool idle() const { return queue_.empty() && batchLines_ == 0; }
    // Flushes and runs the event loop until idle, or `ms` pass; what is
    // still owed then is counted as dropped and said. Whether all went.
    bool finish(int ms);

    State state() const { return state_; }
    // Lines the server took, dropped (queue full, tries used up, refused,
    // owed at finish), waiting (the batch being sent included).
    std::uint64_t delivered() const { return delivered_; }
    std::uint64_t dropped() const { return drops_.total(); }
    std::uint64_t refused() const { return refused_; }
    std::size_t waiting() const { return queue_.size() + static_cast<std::size_t>(batchLines_); }
    qsizetype waitingBytes() const { return queueBytes_ + batch_.size(); }
    bool compressing() const { return gzip_; }
    // The address as shown.
    QString addressText() const;

    SteppableTimer& batchClock() { return batchClock_; }
    SteppableTimer& retryClock() { return retryClock_; }
    void setDropReportInterval(int ms) { drops_.setInterval(ms); }

signals:
    // One line about the database (English, for the log; a window shows
    // state() in its own words).
    void notice(const QString& text);
    void stateChanged(cellwatch::net::InfluxWriter::State state);
    // A batch was taken (for tests and measurements).
    void batchDelivered(int lines);
    // A batch was taken or dropped.
    void batchEnded();

private:
    void send();
    void post();
    void answered(QNetworkReply* reply);
    void retryLater(const QString& why, int retryAfterMs);
    void dropBatch(bool refused);
    void setState(State state);
    void trim();

    QUrl url_;
    QByteArray authorization_;
    Limits limits_;
    QNetworkAccessManager* manager_;
    QPointer<QNetworkReply> reply_;
    std::deque<std::string> queue_;
    qsizetype queueBytes_ = 0;
    QByteArray batch_;  // the lines being sent, each ending in a line break
    int batchLines_ = 0;
    int tries_ = 0;
    bool gzip_ = true;
    bool flushing_ = false;
    State state_ = State::Starting;
    std::uint64_t delivered_ = 0;
    std::uint64_t refused_ = 0;
    QSet<int> refusals_;  // statuses said
    DropReport drops_;
    SteppableTimer batchClock_{[this] { send(); }, true};
    SteppableTimer retryClock_{[this] { post(); }, true};
};

}  // namespace cellwatch::net
