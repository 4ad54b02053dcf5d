#include "tools/log/club_watch.h"

#include <QCoreApplication>
#include <QTimer>

#include "net/broker_setup.h"
#include "net/influx_target.h"
#include "protocol/tick_clock.h"
#include "readout/recording.h"
#include "readout/row_store.h"
#include "session/influx_feed.h"
#include "session/live_session.h"
#include "session/watch_source.h"
#include "tools/log/command_line.h"
#include "tools/log/influx_send.h"
#include "tools/log/log_signals.h"
#include "tools/log/page_serve.h"

namespace cellwatch::logger {

struct ClubWatch::Charger {
    SystemTickClock ticks;
    SystemWallClock wall;
    RowStore rows;
    session::LiveSession session{session::SessionParts{rows, ticks, wall}};
    std::unique_ptr<session::InfluxFeed> feed;
    // What the charger's status last said.
    bool online = false;
};

ClubWatch::ClubWatch(net::MqttOptions broker, QByteArray key, net::InfluxWriter* writer,
                     const alarms::AlarmSettings& alarms, QObject* parent)
    : QObject(parent),
      broker_(broker),
      key_(std::move(key)),
      writer_(writer),
      alarms_(alarms),
      client_(std::move(broker)) {
    connect(&client_, &net::MqttClient::message, this, &ClubWatch::heard);
    connect(&client_, &net::MqttClient::notice, this, &ClubWatch::notice);
    // Without the broker no status is heard: what the chargers say once it
    // is back (their retained status) decides which are watched again, not
    // a watch retried meanwhile.
    connect(&client_, &net::MqttClient::lost, this, [this] {
        for (auto& [name, charger] : chargers_) {
            charger->online = false;
        }
    });
}

ClubWatch::~ClubWatch() {
    stop();
}

void ClubWatch::start() {
    client_.subscribe({QStringLiteral("%1/+/status").arg(QLatin1String(net::kTopicRoot))});
    client_.start();
}

void ClubWatch::followIn(session::MetricsFeed& metrics) {
    metrics_.push_back(&metrics);
    for (auto& [name, charger] : chargers_) {
        metrics.watch(charger->session, name.toStdString());
    }
}

void ClubWatch::stop() {
    stopped_ = true;
    for (auto& [name, charger] : chargers_) {
        charger->session.stop();
    }
}

std::uint64_t ClubWatch::rowsSent() const {
    std::uint64_t rows = 0;
    for (const auto& [name, charger] : chargers_) {
        rows += charger->feed ? charger->feed->rowsSent() : 0;
    }
    return rows;
}

void ClubWatch::heard(const QString& topic, const QByteArray& payload) {
    const QStringList levels = topic.split(u'/');
    if (levels.size() != 3 || levels[2] != QLatin1String("status") ||
        !net::isChargerName(levels[1])) {
        return;
    }
    const QString& name = levels[1];
    if (payload.startsWith(net::kOnline)) {
        watch(name);
        if (const auto found = chargers_.find(name); found != chargers_.end()) {
            found->second->online = true;
        }
    } else if (payload.startsWith(net::kOffline)) {
        if (const auto found = chargers_.find(name); found != chargers_.end()) {
            found->second->online = false;
        }
    }
}

void ClubWatch::lost(const QString& name) {
    // The charger is online still: its watch saw a run begin anew (or one
    // it took for the last was left over from the run before). Watched again
    // a moment later, if it is online then.
    QTimer::singleShot(kWatchAgainMs, this, [this, name] {
        const auto found = chargers_.find(name);
        if (!stopped_ && found != chargers_.end() && found->second->online) {
            watch(name);
        }
    });
}

void ClubWatch::watch(const QString& name) {
    auto found = chargers_.find(name);
    if (stopped_) {
        return;
    }
    if (found != chargers_.end()) {
        const session::LinkState state = found->second->session.state();
        if (state == session::LinkState::Connected || state == session::LinkState::Connecting) {
            return;  // watched
        }
    } else {
        if (chargers() >= kMostChargers) {
            if (!toldMost_) {
                toldMost_ = true;
                emit notice(QStringLiteral("more than %1 chargers on the broker: %2 is not watched")
                                .arg(kMostChargers)
                                .arg(name));
            }
            return;
        }
        auto charger = std::make_unique<Charger>();
        charger->session.setAlarmSettings(alarms_);
        if (writer_ != nullptr) {
            charger->feed = std::make_unique<session::InfluxFeed>(charger->session, *writer_, name);
        }
        session::LiveSession& live = charger->session;
        connect(&live, &session::LiveSession::channelRowAppended, this,
                [this, &live] { emit rowSent(live.clocks().now().toMSecsSinceEpoch()); });
        connect(&live, &session::LiveSession::stateChanged, this,
                [this, name](session::LinkState state) {
                    if (state == session::LinkState::Lost) {
                        lost(name);
                    }
                });
        connect(&live, &session::LiveSession::notice, this, [this, name](const QString& text) {
            emit notice(name + QStringLiteral(": ") + text);
        });
        for (session::MetricsFeed* metrics : metrics_) {
            metrics->watch(live, name.toStdString());
        }
        found = chargers_.emplace(name, std::move(charger)).first;
        emit notice(QStringLiteral("watching the charger %1").arg(name));
    }
    net::MqttOptions options = broker_;
    options.address.name = name;
    options.reconnect = false;  // a loss ends this watch; the next online begins another
    session::LiveSession& live = found->second->session;
    auto source = std::make_unique<session::WatchSource>(live.sourceEvents(), std::move(options),
                                                         live.ownTicks());
    if (!key_.isEmpty()) {
        source->feed().setKey(key_);
    }
    live.open(std::move(source));
}

int runClubLog(QCoreApplication& app, const LogOptions& options,
               const std::function<void(const QString&)>& say) {
    net::BrokerSetup setup;
    try {
        setup = net::setUpBroker({options.port, QString(), options.passwordFile, options.caFile,
                                  options.keyFile, net::NamePart::None});
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return kExitFailure;
    }
    for (const QString& warning : setup.warnings) {
        say(warning);
    }
    std::unique_ptr<net::InfluxWriter> writer;
    if (!options.influx.isEmpty()) {
        writer = InfluxSend::makeWriter(options, say);
        if (!writer) {
            return kExitFailure;
        }
    }
    ServedPage served;
    if (!options.metrics.isEmpty()) {
        served.metrics = std::make_unique<session::MetricsFeed>();
        if (!serveMetrics(options.metrics, served, say)) {
            return kExitFailure;
        }
    }
    std::unique_ptr<ClubWatch> club;
    try {
        club = std::make_unique<ClubWatch>(setup.mqtt, setup.key, writer.get(), options.alarms);
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return kExitFailure;
    }
    if (served.metrics) {
        club->followIn(*served.metrics);
    }
    QObject::connect(club.get(), &ClubWatch::notice, say);
    const SignalWatch interrupts(LogSignal::Stop, [&] { app.exit(kExitOk); });
    club->start();
    const int status = app.exec();
    club->stop();
    if (!writer) {
        say(QStringLiteral("%1 chargers watched").arg(club->chargers()));
        return status;
    }
    writer->finish(InfluxSend::kDrainMs);
    say(QStringLiteral("%1 rows of %2 chargers for the database %3: %4 lines taken, %5 dropped")
            .arg(club->rowsSent())
            .arg(club->chargers())
            .arg(writer->addressText())
            .arg(writer->delivered())
            .arg(writer->dropped()));
    return status;
}

}  // namespace cellwatch::logger
