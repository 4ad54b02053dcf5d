// A connection to an MQTT broker, driven from Qt's event loop on the thread
// that owns it: the library's socket is watched with socket notifiers, and a
// timer keeps the connection alive. Nothing waits on the network except the
// short flush of finish(): a host name is looked up off the event loop
// before each attempt, so the library's own lookup finds it at once.
//
// With `reconnect`, a connection that cannot be made or is lost is tried
// again after 1, 2, 4 ... up to 30 seconds; every change is told through
// notice() in one line. Without it, the first loss is final (lost()).
//
// Messages published while no connection stands are dropped, not queued:
// whoever publishes keeps its own record (except, with holdUntilFirstAnswer,
// those published before the first attempt ends). At most kMaxInFlight
// messages wait for the broker's acknowledgement; the rest wait in an
// outbox of bounded size, where the oldest raw records give way (counted,
// and said once: the broker is not taking messages).
//
// A hostile or broken broker cannot hold the event loop: a connection that
// is accepted but never answered times out; a message larger than
// maxPayloadBytes is dropped unread (counted); at most maxMessagesPerPass
// messages are handed on per pass of the event loop.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "net/broker_address.h"
#include "net/broker_notice.h"
#include "net/drop_report.h"
#include "net/messages.h"
#include "net/outbox.h"
#include "net/secret_files.h"

struct mosquitto;
struct mosquitto_message;

namespace cellwatch::net {

struct MqttOptions {
    BrokerAddress address;
    QString password;  // with address.user; never shown
    QString caFile;    // for mqtts://: empty for the system's authorities
    bool reconnect = true;
    int keepAliveSeconds = 10;
    // Published by the broker when the connection ends without finish().
    struct Will {
        QString topic;
        QByteArray payload;
        bool retain = true;
    };
    std::optional<Will> will;
    // When set, asked for the will before every attempt (instead of `will`).
    std::function<std::optional<Will>()> willAtConnect;
    // When set, every message is passed through it as it is handed to the
    // library (in the order the broker gets them): for signing.
    std::function<QByteArray(const QString& topic, const QByteArray& payload)> sealAtSend;

    // An attempt that has no answer after this long is given up on.
    int connectTimeoutMs = 10000;
    // Messages larger than this are dropped unread.
    qsizetype maxPayloadBytes = kMaxMessageBytes;
    // Messages handed on per pass of the event loop at most.
    int maxMessagesPerPass = 32;
    // Bytes of raw records the outbox holds at most, and of everything.
    qsizetype maxQueuedRawBytes = 512 * 1024;
    qsizetype maxQueuedBytes = 1024 * 1024;
    // A broker that acknowledges nothing for this long is said to.
    int silenceNoticeMs = 30'000;
    // Messages published while the first attempt is under way wait for it.
    bool holdUntilFirstAnswer = false;
};

class MqttClient final : public QObject {
    Q_OBJECT
public:
    // Throws MqttError when the options cannot be set up.
    explicit MqttClient(MqttOptions options, QObject* parent = nullptr);
    ~MqttClient() override;

    // Starts connecting.
    void start();
    bool isConnected() const { return connected_; }

    // Subscribes now and after every reconnect.
    void subscribe(const QStringList& topics);
    // Every subscription of the present connection is acknowledged: what is
    // published from now on reaches this client.
    bool isSubscribed() const { return connected_ && subscribing_ == 0; }

    // Hands a message to the connection; false (and dropped) without one.
    // A `droppable` one (a raw record) may give way to later ones while the
    // broker does not acknowledge.
    bool publish(const QString& topic, const QByteArray& payload, int qos, bool retain,
                 bool droppable = false);

    // Publishes `last` (retained) if connected, waits at most `waitMs` for
    // it and anything queued to be acknowledged, then disconnects cleanly:
    // the broker does not publish the will.
    void finish(const std::optional<std::pair<QString, QByteArray>>& last, int waitMs = 2000);

    // Messages not yet written to the socket or acknowledged.
    int backlog() const;
    // Of them, those waiting in the outbox, and its raw records' bytes.
    std::size_t queued() const { return outbox_.size(); }
    qsizetype queuedRawBytes() const { return outbox_.droppableBytes(); }
    qsizetype queuedBytes() const { return outbox_.bytes(); }
    std::size_t queuedOn(const QString& topic) const { return outbox_.count(topic); }
    // Raw records, and rows and events, that gave way while the broker did
    // not acknowledge.
    std::uint64_t rawDropped() const { return rawDropped_; }
    std::uint64_t othersDropped() const { return othersDropped_; }
    // Whether the broker acknowledges what is published.
    bool takingMessages() const { return taking_; }
    // Messages dropped for being larger than maxPayloadBytes.
    std::uint64_t oversizedDropped() const { return oversized_.total(); }
    // How often the socket's notifiers fired: a count that stays small
    // while nothing comes shows that the client does not spin.
    std::uint64_t socketActivations() const { return activations_; }

    static constexpr int kMaxInFlight = 16;
    const MqttOptions& options() const { return options_; }

    // Back-off of reconnection: the wait after `failures` failures in a row.
    static int retryDelayMs(int failures);

    // Why the last connection failed or ended, as disconnected() said it.
    const BrokerFailure& lastFailure() const { return lastFailure_; }

signals:
    void connected();
    // The broker acknowledged the connection's subscriptions (isSubscribed()).
    void subscribed();
    // A connection that stood (or was being made) ended; `why` in words.
    void disconnected(const QString& why);
    // Without reconnect: the connection could not be made or was lost.
    void lost(const QString& why);
    void message(const QString& topic, const QByteArray& payload);
    // One line about the connection for the user (connected, away, retrying):
    // its kind and figures (noticed), then its English line (notice).
    void noticed(const cellwatch::net::BrokerNotice& notice);
    void notice(const QString& text);

private:
    // Tells `notice` both ways.
    void tell(const BrokerNotice& notice);
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* m);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onLog(mosquitto*, void* self, int level, const char* text);
    static void onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);

    void connectNow();
    // The host's name is known to resolve (or it is an address): connect.
    void connectResolved();
    void watchSocket();
    void readable();
    void passEnded();
    void writable();
    void misc();
    void timedOut();
    // Hands waiting messages to the library while there is room in flight.
    void pump();
    // Takes a reference on the attempt's TLS state once there is one.
    void keepTls();
    // Why the library failed with `rc`, with what TLS said about it.
    BrokerFailure failure(int rc);
    // The connection failed or ended.
    void broken(const BrokerFailure& why);
    // Why the library ended a standing connection with `rc`: a broker that
    // stopped reading or answering is named as such.
    BrokerFailure loss(int rc) const;

    MqttOptions options_;
    mosquitto* mosq_ = nullptr;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer miscTimer_;
    QTimer retryTimer_;
    QTimer connectTimer_;
    QTimer moreTimer_;         // the end of a pass that handed on messages
    bool shareWaits_ = false;  // a pass handed on its share; the socket waits
    QStringList topics_;
    bool connected_ = false;
    bool attempting_ = false;
    bool finished_ = false;
    bool everConnected_ = false;
    int failures_ = 0;
    int unacked_ = 0;
    int attempt_ = 0;
    bool resolving_ = false;
    bool tcpUp_ = false;       // the attempt's socket is connected
    bool writeWaits_ = false;  // while attempting: no write until the broker speaks
    bool holding_ = false;     // publish() queues before the first answer
    bool taking_ = true;
    int messagesThisPass_ = 0;
    int subscribing_ = 0;  // subscriptions not acknowledged yet
    std::uint64_t activations_ = 0;
    std::uint64_t rawDropped_ = 0;
    std::uint64_t othersDropped_ = 0;
    QElapsedTimer ackClock_;               // since the last acknowledgement, while some are owed
    QElapsedTimer heardClock_;             // since the broker last sent anything
    bool sendBlocked_ = false;             // the library holds bytes the socket did not take
    QHash<int, qsizetype> inFlightBytes_;  // of each message not acknowledged yet
    qsizetype unackedBytes_ = 0;
    BrokerFailure lastFailure_;
    QString tlsLog_;           // the library's last TLS complaint
    void* tlsHeld_ = nullptr;  // the attempt's TLS state (holdTls)
    Outbox outbox_;
    DropReport oversized_;
};

}  // namespace cellwatch::net
