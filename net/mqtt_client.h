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
// whoever publishes keeps its own record.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

#include "net/broker_address.h"

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
};

// Cannot set up a client (bad CA file, out of memory); what() is one line.
class MqttError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the password from the first line of `path`. Throws MqttError naming
// the file (never the password) when it cannot be read or is empty.
QString readPasswordFile(const QString& path);

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

    // Hands a message to the connection; false (and dropped) without one.
    bool publish(const QString& topic, const QByteArray& payload, int qos, bool retain);

    // Publishes `last` (retained) if connected, waits at most `waitMs` for
    // it and anything queued to be acknowledged, then disconnects cleanly:
    // the broker does not publish the will.
    void finish(const std::optional<std::pair<QString, QByteArray>>& last, int waitMs = 2000);

    // Messages not yet written to the socket or acknowledged.
    int backlog() const;

    const MqttOptions& options() const { return options_; }

    // Back-off of reconnection: the wait after `failures` failures in a row.
    static int retryDelayMs(int failures);

signals:
    void connected();
    // A connection that stood (or was being made) ended; `why` in words.
    void disconnected(const QString& why);
    // Without reconnect: the connection could not be made or was lost.
    void lost(const QString& why);
    void message(const QString& topic, const QByteArray& payload);
    // One line about the connection for the user (connected, away, retrying).
    void notice(const QString& text);

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* m);
    static void onPublish(mosquitto*, void* self, int mid);

    void connectNow();
    // The host's name is known to resolve (or it is an address): connect.
    void connectResolved();
    void watchSocket();
    void readable();
    void writable();
    void misc();
    // The connection failed or ended (rc a library error code, or errno text).
    void broken(const QString& why);

    MqttOptions options_;
    mosquitto* mosq_ = nullptr;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer miscTimer_;
    QTimer retryTimer_;
    QStringList topics_;
    bool connected_ = false;
    bool attempting_ = false;
    bool finished_ = false;
    bool everConnected_ = false;
    int failures_ = 0;
    int unacked_ = 0;
    int attempt_ = 0;
    bool resolving_ = false;
    QElapsedTimer attemptClock_;
};

}  // namespace cellwatch::net
