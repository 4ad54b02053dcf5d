#include "net/influx_writer.h"

#include <zlib.h>

#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>

#include "net/influx_target.h"

namespace cellwatch::net {
namespace {

// How much of a refusal's body is said.
constexpr qsizetype kMostWhyChars = 200;
// A Retry-After longer than this is taken as this.
constexpr int kMostRetryAfterMs = 300'000;

// The Retry-After of `reply` in ms: seconds or an HTTP date; -1 for none.
int retryAfterMs(QNetworkReply& reply) {
    const QByteArray value = reply.rawHeader("Retry-After").trimmed();
    if (value.isEmpty()) {
        return -1;
    }
    bool number = false;
    const qint64 seconds = value.toLongLong(&number);
    qint64 ms = -1;
    if (number) {
        ms = seconds * 1000;
    } else {
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
        if (at.isValid()) {
            ms = QDateTime::currentDateTimeUtc().msecsTo(at);
        }
    }
    return ms < 0 ? -1 : static_cast<int>(std::min<qint64>(ms, kMostRetryAfterMs));
}

// The first line of a server's answer, shortened.
QString firstLine(const QByteArray& body) {
    QString line = QString::fromUtf8(body.left(4 * kMostWhyChars)).trimmed();
    line = line.left(line.indexOf(u'\n')).trimmed();
    return line.size() > kMostWhyChars ? line.left(kMostWhyChars) + QStringLiteral("…") : line;
}

}  // namespace

QByteArray gzipped(const QByteArray& data) {
    z_stream stream{};
    // 15 + 16: a gzip header and trailer rather than zlib's.
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return {};
    }
    QByteArray out;
    out.resize(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))) + 32);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const auto written = static_cast<qsizetype>(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return {};
    }
    out.truncate(written);
    return out;
}

InfluxWriter::InfluxWriter(QUrl url, QByteArray authorization, Limits limits, QObject* parent)
    : QObject(parent),
      url_(std::move(url)),
      authorization_(std::move(authorization)),
      limits_(limits),
      manager_(new QNetworkAccessManager(this)),
      drops_(
          [this](std::uint64_t since, std::uint64_t total) {
              return QStringLiteral("%1 %2 for the database %3 dropped (%4 in all)")
                  .arg(since)
                  .arg(since == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
                  .arg(addressText())
                  .arg(total);
          },
          this) {
    connect(&drops_, &DropReport::report, this, &InfluxWriter::notice);
}

InfluxWriter::~InfluxWriter() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

QString InfluxWriter::addressText() const {
    return influxAddressText(url_);
}

void InfluxWriter::add(std::string_view line) {
    queue_.emplace_back(line);
    queueBytes_ += static_cast<qsizetype>(line.size()) + 1;
    trim();
    if (queue_.size() >= static_cast<std::size_t>(limits_.batchLines)) {
        send();
    } else if (!batchClock_.isActive()) {
        batchClock_.start(limits_.batchMs);
    }
}

void InfluxWriter::trim() {
    while (!queue_.empty() && queueBytes_ + batch_.size() > limits_.maxBytes) {
        queueBytes_ -= static_cast<qsizetype>(queue_.front().size()) + 1;
        queue_.pop_front();
        drops_.count();
    }
}

void InfluxWriter::flush() {
    flushing_ = true;
    send();
}

void InfluxWriter::send() {
    if (queue_.empty()) {
        flushing_ = false;  // all that waited at the flush is sent
    }
    if (batchLines_ > 0 || queue_.empty()) {
        return;  // the batch being sent goes first; the next follows its answer
    }
    batchClock_.stop();
    batch_.clear();
    while (!queue_.empty() && batchLines_ < limits_.batchLines) {
        const std::string& line = queue_.front();
        batch_.append(line.data(), static_cast<qsizetype>(line.size()));
        batch_.append('\n');
        queueBytes_ -= static_cast<qsizetype>(line.size()) + 1;
        queue_.pop_front();
        ++batchLines_;
    }
    tries_ = 0;
    post();
}

void InfluxWriter::post() {
    if (batchLines_ == 0) {
        return;
    }
    ++tries_;
    QNetworkRequest request(url_);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("text/plain; charset=utf-8"));
    if (!authorization_.isEmpty()) {
        request.setRawHeader("Authorization", authorization_);
    }
    request.setTransferTimeout(limits_.timeoutMs);
    QByteArray body = gzip_ ? gzipped(batch_) : batch_;
    if (gzip_ && !body.isEmpty()) {
        request.setRawHeader("Content-Encoding", "gzip");
    } else {
        body = batch_;
    }
    reply_ = manager_->post(request, body);
    QNetworkReply* reply = reply_;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { answered(reply); });
}

void InfluxWriter::answered(QNetworkReply* reply) {
    reply->deleteLater();
    reply_ = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    if (status >= 200 && status < 300) {
        if (state_ == State::Unreachable) {
            emit notice(QStringLiteral("the database %1 takes rows again").arg(addressText()));
        }
        delivered_ += static_cast<std::uint64_t>(batchLines_);
        const int lines = batchLines_;
        batch_.clear();
        batchLines_ = 0;
        setState(State::Delivering);
        emit batchDelivered(lines);
        emit batchEnded();
        if (queue_.size() >= static_cast<std::size_t>(limits_.batchLines) || flushing_) {
            send();  // (which ends a flush once nothing waits)
        } else if (!queue_.empty() && !batchClock_.isActive()) {
            batchClock_.start(limits_.batchMs);
        }
        return;
    }
    if (gzip_ && (status == 415 || status == 400)) {
        gzip_ = false;
        emit notice(
            QStringLiteral("the database %1 takes no compressed rows (%2): sending them plain")
                .arg(addressText())
                .arg(status));
        --tries_;
        post();
        return;
    }
    if (status == 0 || status == 429 || status >= 500) {
        QString why;
        if (status != 0) {
            why = QStringLiteral("%1 %2").arg(status).arg(
                reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
            const QString said = firstLine(body);
            if (!said.isEmpty()) {
                why += QStringLiteral(": ") + said;
            }
        } else if (reply->error() == QNetworkReply::OperationCanceledError) {
            why = QStringLiteral("no answer within %1 s").arg(limits_.timeoutMs / 1000.0);
        } else {
            why = reply->errorString();
        }
        retryLater(why, status == 0 ? -1 : retryAfterMs(*reply));
        return;
    }
    // Refused: said once for each status, then dropped.
    if (!refusals_.contains(status)) {
        refusals_.insert(status);
        const QString said = firstLine(body);
        emit notice(
            QStringLiteral("the database %1 refused %2 lines (%3 %4)%5%6")
                .arg(addressText())
                .arg(batchLines_)
                .arg(status)
                .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                .arg(said.isEmpty() ? QString() : QStringLiteral(": "), said) +
            (status == 401 || status == 403
                 ? QStringLiteral("; check the sign-in file (--influx-auth)")
                 : QString()));
    }
    setState(State::Refusing);
    dropBatch(true);
}

void InfluxWriter::retryLater(const QString& why, int retryAfterMs) {
    if (state_ != State::Unreachable) {
        emit notice(QStringLiteral("cannot write to the database %1: %2; trying again")
                        .arg(addressText(), why));
    }
    setState(State::Unreachable);
    if (tries_ >= limits_.mostTries) {
        emit notice(QStringLiteral("the database %1 did not take %2 lines in %3 tries: dropped")
                        .arg(addressText())
                        .arg(batchLines_)
                        .arg(tries_));
        dropBatch(false);
        return;
    }
    int delay = limits_.firstRetryMs;
    for (int i = 1; i < tries_ && delay < limits_.mostRetryMs; ++i) {
        delay *= 2;
    }
    delay = std::min(delay, limits_.mostRetryMs);
    retryClock_.start(retryAfterMs >= 0 ? retryAfterMs : delay);
}

void InfluxWriter::dropBatch(bool refused) {
    drops_.count(static_cast<std::uint64_t>(batchLines_));
    if (refused) {
        refused_ += static_cast<std::uint64_t>(batchLines_);
    }
    batch_.clear();
    batchLines_ = 0;
    emit batchEnded();
    if (!queue_.empty()) {
        if (queue_.size() >= static_cast<std::size_t>(limits_.batchLines) || flushing_) {
            send();
        } else if (!batchClock_.isActive()) {
            batchClock_.start(limits_.batchMs);
        }
    }
}

void InfluxWriter::setState(State state) {
    if (state != state_) {
        state_ = state;
        emit stateChanged(state);
    }
}

bool InfluxWriter::finish(int ms) {
    flush();
    if (!idle()) {
        QEventLoop waiting;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &waiting, &QEventLoop::quit);
        const auto check = [&] {
            if (idle()) {
                waiting.quit();
            }
        };
        const QMetaObject::Connection a = connect(this, &InfluxWriter::batchEnded, &waiting, check);
        const QMetaObject::Connection b =
            connect(this, &InfluxWriter::stateChanged, &waiting, check);
        limit.start(ms);
        // A retry waiting longer than the time left comes now, once.
        if (retryClock_.isActive() && !retryClock_.held()) {
            retryClock_.stop();
            post();
        }
        if (!idle()) {
            waiting.exec();
        }
        disconnect(a);
        disconnect(b);
    }
    const bool all = idle();
    if (!all) {
        if (reply_) {
            reply_->disconnect(this);
            reply_->abort();
            reply_ = nullptr;
        }
        retryClock_.stop();
        batchClock_.stop();
        drops_.count(waiting());
        queue_.clear();
        queueBytes_ = 0;
        batch_.clear();
        batchLines_ = 0;
    }
    drops_.flush();
    return all;
}

}  // namespace cellwatch::net
