#include "net/mqtt_client.h"

#include <mosquitto.h>

#include <QHostAddress>
#include <QHostInfo>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>

#include "net/client_errors.h"
#include "net/socket_probe.h"

namespace cellwatch::net {
namespace {

constexpr int kMiscIntervalMs = 500;
constexpr int kMaxRetryMs = 30000;
// Reads per readable notice at most, so that one busy broker cannot hold
// the event loop.
constexpr int kMaxReadsPerNotice = 1000;

}  // namespace

int MqttClient::retryDelayMs(int failures) {
    const int shift = std::clamp(failures - 1, 0, 5);
    return std::min(1000 << shift, kMaxRetryMs);
}

MqttClient::MqttClient(MqttOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      outbox_(options_.maxQueuedRawBytes, options_.maxQueuedBytes),
      oversized_([this](std::uint64_t since, std::uint64_t total) {
          // Said as the report is made: its figures, then its line.
          BrokerNotice n{BrokerNotice::Kind::Oversized, options_.address.brokerText()};
          n.bytes = options_.maxPayloadBytes;
          n.rawDropped = since;
          n.othersDropped = total;
          emit noticed(n);
          return brokerNoticeLine(n);
      }) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });

    mosq_ = mosquitto_new(nullptr, true, this);
    if (mosq_ == nullptr) {
        throw MqttError("cannot set up the broker connection: " +
                        std::string(std::strerror(errno)));
    }
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    mosquitto_log_callback_set(mosq_, &MqttClient::onLog);
    mosquitto_subscribe_callback_set(mosq_, &MqttClient::onSubscribe);
    connect(&oversized_, &DropReport::report, this, &MqttClient::notice);

    setUpLogin(mosq_, options_);
    if (options_.will) {
        const QByteArray topic = options_.will->topic.toUtf8();
        mosquitto_will_set(mosq_, topic.constData(),
                           static_cast<int>(options_.will->payload.size()),
                           options_.will->payload.constData(), 1, options_.will->retain);
    }

    miscTimer_.setInterval(kMiscIntervalMs);
    connect(&miscTimer_, &QTimer::timeout, this, &MqttClient::misc);
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, &MqttClient::connectNow);
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, &MqttClient::timedOut);
    moreTimer_.setSingleShot(true);
    moreTimer_.setInterval(0);
    connect(&moreTimer_, &QTimer::timeout, this, &MqttClient::passEnded);
}

MqttClient::~MqttClient() {
    finished_ = true;
    readNotifier_.reset();
    writeNotifier_.reset();
    mosquitto_destroy(mosq_);
    releaseTls(tlsHeld_);
}

void MqttClient::start() {
    finished_ = false;
    holding_ = options_.holdUntilFirstAnswer;
    miscTimer_.start();
    connectNow();
}

void MqttClient::connectNow() {
    if (finished_) {
        return;
    }
    attempting_ = true;
    tcpUp_ = false;
    writeWaits_ = false;
    connectTimer_.start(options_.connectTimeoutMs);
    const int attempt = ++attempt_;
    if (!QHostAddress(options_.address.host).isNull()) {
        connectResolved();
        return;
    }
    // The library looks the name up itself, waiting for the answer: a lookup
    // elsewhere first keeps a slow or failing name server from holding the
    // event loop (and whatever records on it).
    resolving_ = true;
    QHostInfo::lookupHost(options_.address.host, this, [this, attempt](const QHostInfo& info) {
        if (attempt != attempt_ || !attempting_ || finished_) {
            return;  // given up on meanwhile
        }
        resolving_ = false;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            broken({BrokerFailure::Kind::HostNotFound, info.errorString()});
            return;
        }
        connectResolved();
    });
}

void MqttClient::connectResolved() {
    if (options_.willAtConnect) {
        // A will of this attempt's own (signed for it); the library sends
        // the one set last with the connect.
        mosquitto_will_clear(mosq_);
        if (const std::optional<MqttOptions::Will> will = options_.willAtConnect()) {
            const QByteArray topic = will->topic.toUtf8();
            mosquitto_will_set(mosq_, topic.constData(), static_cast<int>(will->payload.size()),
                               will->payload.constData(), 1, will->retain);
        }
    }
    tlsLog_.clear();
    releaseTls(tlsHeld_);
    tlsHeld_ = nullptr;
    const QByteArray host = options_.address.host.toUtf8();
    const int rc = mosquitto_connect_async(mosq_, host.constData(), options_.address.port,
                                           options_.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_CONN_PENDING) {
        broken(failure(rc));
        return;
    }
    watchSocket();
}

void MqttClient::watchSocket() {
    const int fd = mosquitto_socket(mosq_);
    if (fd != fd_) {
        readNotifier_.reset();
        writeNotifier_.reset();
        fd_ = fd;
        if (fd_ >= 0) {
            readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
            connect(readNotifier_.get(), &QSocketNotifier::activated, this, &MqttClient::readable);
            writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
            connect(writeNotifier_.get(), &QSocketNotifier::activated, this, &MqttClient::writable);
        }
    }
    if (writeNotifier_) {
        // Until the socket is connected, a writable socket ends the connect.
        // After that a write is tried once each time the broker speaks while
        // the attempt lasts: a TLS handshake wants writes before the library
        // can tell, and a broker that never answers would otherwise find
        // the socket writable on every pass (a busy loop).
        const bool write = attempting_ ? !tcpUp_ || (!writeWaits_ && mosquitto_want_write(mosq_))
                                       : mosquitto_want_write(mosq_);
        writeNotifier_->setEnabled(write);
    }
    sendBlocked_ = connected_ && mosquitto_want_write(mosq_);
}

// A pass of the event loop hands on at most maxMessagesPerPass messages:
// the first message of a pass starts a zero timer, which fires once the
// event loop has had its turn; until then, once the share is handed on,
// the socket is not read (its notifier off), however often it is ready.
void MqttClient::passEnded() {
    messagesThisPass_ = 0;
    if (shareWaits_) {
        shareWaits_ = false;
        readable();
    }
}

void MqttClient::readable() {
    ++activations_;
    writeWaits_ = false;
    heardClock_.start();
    for (int i = 0; i < kMaxReadsPerNotice && fd_ >= 0; ++i) {
        if (messagesThisPass_ >= options_.maxMessagesPerPass) {
            // This pass handed on its share: the rest after the event loop
            // had its turn (a flood must not keep a window from painting).
            shareWaits_ = true;
            break;
        }
        const int rc = mosquitto_loop_read(mosq_, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            broken(failure(rc));
            return;
        }
        if (fd_ != mosquitto_socket(mosq_)) {
            break;  // closed inside a callback
        }
        if (bytesWaiting(fd_) <= 0) {
            break;
        }
    }
    if (readNotifier_ && fd_ >= 0) {
        readNotifier_->setEnabled(!shareWaits_);
    }
    if (attempting_ && mosquitto_want_write(mosq_) && fd_ >= 0) {
        // A TLS handshake steps on both directions.
        if (const int rc = mosquitto_loop_write(mosq_, 1); rc != MOSQ_ERR_SUCCESS) {
            broken(failure(rc));
            return;
        }
    }
    watchSocket();
}

void MqttClient::writable() {
    ++activations_;
    int rc = MOSQ_ERR_SUCCESS;
    if (attempting_) {
        if (!tcpUp_) {
            if (const int error = connectError(fd_); error != 0) {
                broken(socketFailure(error, socketErrorText(error)));
                return;
            }
            tcpUp_ = true;
        }
        writeWaits_ = true;
        rc = mosquitto_loop_read(mosq_, 1);  // a TLS handshake steps on reads
    }
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_loop_write(mosq_, 1);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        broken(failure(rc));
        return;
    }
    watchSocket();
}

void MqttClient::timedOut() {
    if (!attempting_) {
        return;
    }
    BrokerFailure f{tcpUp_ ? BrokerFailure::Kind::AcceptedNoAnswer : BrokerFailure::Kind::NoAnswer};
    f.seconds = (options_.connectTimeoutMs + 999) / 1000;
    if (tcpUp_) {
        f.detail = options_.address.brokerText();
    }
    broken(f);
}

// The library drops its TLS state in the same call that finds the
// certificate refused: when it complains (onLog), the state is kept to say
// why.
void MqttClient::keepTls() {
    if (tlsHeld_ == nullptr) {
        tlsHeld_ = holdTls(mosq_);
    }
}

BrokerFailure MqttClient::failure(int rc) {
    return connectionFailure(mosq_, rc, options_.address.host, tlsLog_, tlsHeld_);
}

void MqttClient::misc() {
    // Until the broker answers, the attempt's own time-out rules: the
    // library's keep-alive would end it first, without a reason.
    if (!connected_) {
        return;
    }
    mosquitto_loop_misc(mosq_);
    if (taking_ && unacked_ > 0 && ackClock_.isValid() &&
        ackClock_.elapsed() >= options_.silenceNoticeMs) {
        taking_ = false;
        BrokerNotice n{BrokerNotice::Kind::Silent, options_.address.brokerText()};
        n.seconds = options_.silenceNoticeMs / 1000;
        n.waiting = unacked_ + static_cast<int>(outbox_.size());
        tell(n);
    }
    if (mosquitto_socket(mosq_) < 0 && (connected_ || attempting_)) {
        broken({BrokerFailure::Kind::KeepAlive});
        return;
    }
    watchSocket();
}

void MqttClient::tell(const BrokerNotice& n) {
    emit noticed(n);
    emit notice(brokerNoticeLine(n));
}

void MqttClient::broken(const BrokerFailure& failure) {
    if (finished_ || (!connected_ && !attempting_)) {
        return;
    }
    const bool was = connected_;
    connected_ = false;
    attempting_ = false;
    resolving_ = false;
    connectTimer_.stop();
    moreTimer_.stop();
    shareWaits_ = false;
    messagesThisPass_ = 0;
    unacked_ = 0;
    inFlightBytes_.clear();
    unackedBytes_ = 0;
    sendBlocked_ = false;
    outbox_.clear();
    holding_ = false;
    taking_ = true;
    readNotifier_.reset();
    writeNotifier_.reset();
    fd_ = -1;
    // Closes the socket; a later connect opens a new one.
    mosquitto_disconnect(mosq_);
    lastFailure_ = failure;
    const QString why = brokerFailureLine(failure);
    emit disconnected(why);
    const QString broker = options_.address.brokerText();
    if (!options_.reconnect) {
        emit lost(was ? QStringLiteral("lost the broker %1: %2").arg(broker, why)
                      : QStringLiteral("cannot reach the broker %1: %2").arg(broker, why));
        return;
    }
    ++failures_;
    const int delay = retryDelayMs(failures_);
    BrokerNotice n{was ? BrokerNotice::Kind::Lost : BrokerNotice::Kind::Unreachable, broker, why};
    n.failure = failure;
    n.seconds = delay / 1000;
    tell(n);
    retryTimer_.start(delay);
}

void MqttClient::subscribe(const QStringList& topics) {
    topics_ << topics;
    if (connected_) {
        for (const QString& t : topics) {
            if (mosquitto_subscribe(mosq_, nullptr, t.toUtf8().constData(), 1) ==
                MOSQ_ERR_SUCCESS) {
                ++subscribing_;
            }
        }
        watchSocket();
    }
}

bool MqttClient::publish(const QString& topic, const QByteArray& payload, int qos, bool retain,
                         bool droppable) {
    if (!connected_ && !(holding_ && attempting_)) {
        return false;
    }
    outbox_.push({topic, payload, qos, retain, droppable && qos > 0});
    pump();
    return true;
}

void MqttClient::pump() {
    if (!connected_) {
        return;
    }
    bool sent = false;
    while (unacked_ < kMaxInFlight && !outbox_.empty()) {
        Outbox::Message m = *outbox_.pop();
        if (options_.sealAtSend) {
            m.payload = options_.sealAtSend(m.topic, m.payload);
        }
        int mid = 0;
        const int rc = mosquitto_publish(mosq_, &mid, m.topic.toUtf8().constData(),
                                         static_cast<int>(m.payload.size()), m.payload.constData(),
                                         m.qos, m.retain);
        if (rc == MOSQ_ERR_SUCCESS && m.qos > 0) {
            inFlightBytes_.insert(mid, m.payload.size());
            unackedBytes_ += m.payload.size();
            if (unacked_++ == 0) {
                ackClock_.start();
            }
        }
        sent = true;
    }
    if (outbox_.dropped() > 0 || outbox_.droppedOthers() > 0) {
        rawDropped_ += outbox_.dropped();
        othersDropped_ += outbox_.droppedOthers();
        if (taking_) {
            taking_ = false;
            BrokerNotice n{BrokerNotice::Kind::NotTaking, options_.address.brokerText()};
            n.waiting = unacked_ + static_cast<int>(outbox_.size());
            tell(n);
        }
        outbox_.resetDropped();
    } else if (!taking_ && outbox_.empty() && unacked_ < kMaxInFlight) {
        taking_ = true;
        BrokerNotice n{BrokerNotice::Kind::TakingAgain, options_.address.brokerText()};
        n.rawDropped = rawDropped_;
        n.othersDropped = othersDropped_;
        tell(n);
    }
    if (sent) {
        watchSocket();
    }
}

int MqttClient::backlog() const {
    return unacked_;
}

void MqttClient::finish(const std::optional<std::pair<QString, QByteArray>>& last, int waitMs) {
    retryTimer_.stop();
    miscTimer_.stop();
    connectTimer_.stop();
    moreTimer_.stop();
    shareWaits_ = false;
    messagesThisPass_ = 0;
    oversized_.flush();
    if (connected_) {
        if (last) {
            publish(last->first, last->second, 1, true);
        }
        readNotifier_.reset();
        writeNotifier_.reset();
        fd_ = -1;
        QElapsedTimer waited;
        waited.start();
        while (connected_ && (unacked_ > 0 || !outbox_.empty()) && waited.elapsed() < waitMs) {
            if (mosquitto_loop(mosq_, 20, 1) != MOSQ_ERR_SUCCESS) {
                break;
            }
        }
        finished_ = true;
        mosquitto_disconnect(mosq_);
        mosquitto_loop_write(mosq_, 1);
    }
    finished_ = true;
    connected_ = false;
    attempting_ = false;
    holding_ = false;
    outbox_.clear();
    readNotifier_.reset();
    writeNotifier_.reset();
    fd_ = -1;
}

}  // namespace cellwatch::net
