// cellwatch-log's ways of logging: a charger on a port, on a broker, or a
// replay of a capture.
#include "tools/log/log_runs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "alarms/chemistry_limits.h"
#include "drivers/described_chargers.h"
#include "net/broker_setup.h"
#include "net/mqtt_client.h"
#include "net/publisher.h"
#include "net/remote_feed.h"
#include "packs/pack_health.h"
#include "protocol/driver_registry.h"
#include "protocol/frames_text.h"
#include "protocol/tick_clock.h"
#include "protocol/version.h"
#include "readout/journal.h"
#include "readout/recording.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "serial/file_open.h"
#include "serial/frames_capture.h"
#include "session/replay_source.h"
#include "session/watch_source.h"
#include "tools/log/alarm_command.h"
#include "tools/log/club_watch.h"
#include "tools/log/command_line.h"
#include "tools/log/influx_send.h"
#include "tools/log/log_session.h"
#include "tools/log/log_signals.h"
#include "tools/log/log_steps.h"
#include "tools/log/page_serve.h"

namespace cellwatch::logger {

namespace {

enum class BrokerAnswer { Connected, Failed, Interrupted, NoAnswer };

// Starts `client` and waits until its first attempt to connect ends (its
// subscriptions acknowledged, when it has any), a signal comes or
// `timeoutMs` pass (0: no limit).
BrokerAnswer awaitBroker(net::MqttClient& client, int timeoutMs, QString& failure,
                         const std::function<void()>& startClient = {}) {
    QEventLoop waiting;
    std::optional<BrokerAnswer> answer;
    const auto decide = [&](BrokerAnswer value) {
        if (!answer) {
            answer = value;
            waiting.exit(0);
        }
    };
    // With subscriptions, the broker's answer is their acknowledgement:
    // from then on everything published reaches the client.
    QObject::connect(&client, &net::MqttClient::connected, &waiting, [&] {
        if (client.isSubscribed()) {
            decide(BrokerAnswer::Connected);
        }
    });
    QObject::connect(&client, &net::MqttClient::subscribed, &waiting,
                     [&] { decide(BrokerAnswer::Connected); });
    QObject::connect(&client, &net::MqttClient::disconnected, &waiting, [&](const QString& why) {
        failure = QStringLiteral("cannot reach the broker %1: %2")
                      .arg(client.options().address.brokerText(), why);
        decide(BrokerAnswer::Failed);
    });
    const SignalWatch interrupts(LogSignal::Stop, [&] { decide(BrokerAnswer::Interrupted); });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &waiting, [&] { decide(BrokerAnswer::NoAnswer); });
    if (timeoutMs > 0) {
        limit.start(timeoutMs);
    }
    if (startClient) {  // may fail at once
        startClient();
    } else {
        client.start();
    }
    if (!answer) {
        waiting.exec();
    }
    return *answer;
}

}  // namespace

int watchLog(QCoreApplication& app, const LogOptions& options) {
    SystemTickClock ticks;
    SystemWallClock wall;
    LogSession session(ticks, wall);
    session.session().setCharger(options.charger.toStdString());
    session.onlyChannel(options.channel);
    if (!session.channelProblem().isEmpty()) {
        complain(session.channelProblem());
        return kExitUsage;
    }
    splitChannels(options, session);
    makeJournal(options, session);
    const std::unique_ptr<AlarmCommand> alarmCommand = setUpAlarms(session, options, options.port);
    session::WatchSource* watched = nullptr;
    try {
        const net::BrokerSetup setup = brokerSetup(options, options.port);
        watched = &session.watch(setup.mqtt);
        if (!setup.key.isEmpty()) {
            watched->feed().setKey(setup.key);
        }
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return kExitFailure;
    }
    QObject::connect(&session, &LogSession::notice, &app,
                     [](const QString& text) { complain(text); });
    ServedPage served;
    if (!servePage(session, serveOptions(options, watched->client().options().address.name), served,
                   &complain)) {
        return kExitFailure;
    }
    std::unique_ptr<InfluxSend> influx;
    if (!InfluxSend::make(options, session.session(), watched->client().options().address.name,
                          &complain, influx)) {
        return kExitFailure;
    }

    // As a port is opened first: the log begins once the broker answers.
    QString failure;
    switch (awaitBroker(watched->client(), 0, failure, [watched] { watched->startClient(); })) {
        case BrokerAnswer::Connected:
            break;
        case BrokerAnswer::Interrupted:
            return kExitOk;
        default:
            complain(failure);
            return kExitFailure;
    }

    std::FILE* out = nullptr;
    std::FILE* file = nullptr;
    if (!openOutput(options, out, file)) {
        return kExitFailure;
    }
    // --wait: a charger that has not begun by then ends the log.
    QTimer waitLimit;
    waitLimit.setSingleShot(true);
    QObject::connect(&waitLimit, &QTimer::timeout, &app, [&] {
        if (session.session().state() == session::LinkState::Connecting) {
            const net::BrokerAddress& a = watched->client().options().address;
            complain(QStringLiteral("no charger %1 on %2 within %3 s")
                         .arg(a.name, a.brokerText())
                         .arg(options.waitSeconds));
            session.stop();
            app.exit(kExitLost);
        }
    });
    const int status = run(app, session, options, out, file, [&] {
        if (options.waitSeconds > 0) {
            waitLimit.start(options.waitSeconds * 1000);
        }
    });
    if (alarmCommand) {
        alarmCommand->drain(kAlarmDrainMs);
    }
    if (influx) {
        influx->finish();
    }
    return status;
}

// The charger and channels of a log's session, and its notices on standard
// error; false (said) when the charger has no channel --channel names.
static bool setUpChannels(QCoreApplication& app, const LogOptions& options, LogSession& session) {
    session.session().setCharger(options.charger.toStdString());
    session.onlyChannel(options.channel);
    if (!session.channelProblem().isEmpty()) {
        complain(session.channelProblem());
        return false;
    }
    splitChannels(options, session);
    QObject::connect(&session, &LogSession::notice, &app,
                     [](const QString& text) { complain(text); });
    return true;
}

int liveLog(QCoreApplication& app, const LogOptions& options) {
    SystemTickClock ticks;
    SystemWallClock wall;
    LogSession session(ticks, wall);
    if (!setUpChannels(app, options, session)) {
        return kExitUsage;
    }
    makeJournal(options, session);
    const std::unique_ptr<AlarmCommand> alarmCommand = setUpAlarms(session, options, options.port);
    try {
        session.openPort(options.port);
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return kExitFailure;
    }
    ServedPage served;
    if (!servePage(session, serveOptions(options, options.charger), served, &complain)) {
        return kExitFailure;
    }
    std::unique_ptr<InfluxSend> influx;
    if (!InfluxSend::make(
            options, session.session(),
            options.publish.isEmpty() ? QString() : net::parseBrokerAddress(options.publish).name,
            &complain, influx)) {
        return kExitFailure;
    }

    // The files are replaced only once the port is open.
    std::FILE* out = nullptr;
    std::FILE* file = nullptr;
    if (!openOutput(options, out, file)) {
        return kExitFailure;
    }
    std::optional<CaptureWriter> capture;
    if (!options.capture.isEmpty()) {
        try {
            capture.emplace(QFile::encodeName(options.capture).toStdString());
        } catch (const CaptureError& e) {
            complain(QString::fromLocal8Bit(e.what()));
            if (file != nullptr) {
                std::fclose(file);
            }
            return kExitFailure;
        }
        session.captureTo(&*capture);
    }
    std::unique_ptr<net::Publisher> publisher;
    if (!makePublisher(options, publisher)) {
        if (file != nullptr) {
            std::fclose(file);
        }
        return kExitFailure;
    }
    if (publisher) {
        // Nothing is read from the port before the session starts (the
        // event loop does not run until then): the capture and the
        // publisher get every byte. A broker that is away is tried again
        // while the log goes on.
        session.publishTo(publisher.get());
        publisher->start();
    }
    int status = run(app, session, options, out, file, {});
    if (alarmCommand) {
        alarmCommand->drain(kAlarmDrainMs);
    }
    if (publisher) {
        publisher->finish();
    }
    if (influx) {
        influx->finish();
    }
    if (capture) {
        try {
            capture->close();
        } catch (const CaptureError& e) {
            complain(QString::fromLocal8Bit(e.what()));
            status = status == kExitOk ? kExitFailure : status;
        }
    }
    return status;
}

int replayLog(QCoreApplication& app, LogOptions options) {
    // A frames file is played as the capture it makes.
    QTemporaryDir scratch;
    if (!options.frames.isEmpty()) {
        options.replay = scratch.filePath(QStringLiteral("frames.cwcap"));
        try {
            const FramesText frames = writeCaptureOfFrames(
                QFile::encodeName(options.frames).toStdString(),
                QFile::encodeName(options.replay).toStdString(), options.charger.toStdString());
            if (frames.badLines > 0) {
                complain(QString::fromStdString(
                    badFramesLinesText(frames, options.frames.toStdString())));
            }
        } catch (const CaptureError& e) {
            complain(QString::fromLocal8Bit(e.what()));
            return kExitFailure;
        }
    }
    SystemTickClock ticks;
    SystemWallClock wall;
    LogSession session(ticks, wall);
    if (!setUpChannels(app, options, session)) {
        return kExitUsage;
    }
    if (options.journalReplay) {
        makeJournal(options, session);
        session.session().setJournalReplays(true);
    }
    const std::unique_ptr<AlarmCommand> alarmCommand =
        setUpAlarms(session, options, options.replay);
    session::ReplaySource* replayed = nullptr;
    try {
        replayed = &session.replay(options.replay, options.speed);
    } catch (const CaptureError& e) {
        complain(QString::fromLocal8Bit(e.what()));
        return kExitFailure;
    }
    ServedPage served;
    if (!servePage(session, serveOptions(options, options.charger), served, &complain)) {
        return kExitFailure;
    }
    std::unique_ptr<InfluxSend> influx;
    if (!InfluxSend::make(options, session.session(), {}, &complain, influx)) {
        return kExitFailure;
    }

    std::FILE* out = nullptr;
    std::FILE* file = nullptr;
    if (!openOutput(options, out, file)) {
        return kExitFailure;
    }
    bool truncated = false;
    QObject::connect(&session.session(), &session::LiveSession::ended, &app,
                     [&] { truncated = replayed->truncated(); });
    const int status = run(app, session, options, out, file, {});
    if (alarmCommand) {
        alarmCommand->drain(kAlarmDrainMs);
    }
    if (influx) {
        influx->finish();
    }
    if (status == kExitOk && truncated) {
        complain(options.replay +
                 QStringLiteral(" ends inside a record (cut off); replayed what came before it"));
    }
    return status;
}

}  // namespace cellwatch::logger
