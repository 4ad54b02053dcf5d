// cellwatch-log: the live recording of a charger without a window, or the
// replay of a capture of one.
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
#include "tools/log/page_serve.h"

namespace {

using namespace cellwatch;
using namespace cellwatch::logger;

// One line on standard error.
void complain(const QString& text) {
    QString line = text;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "cellwatch-log: %s\n", line.toLocal8Bit().constData());
}

// The output: standard output, or the file named by --out (replaced now).
// False, with the error line written, when it cannot be created.
bool openOutput(const LogOptions& options, std::FILE*& out, std::FILE*& file) {
    out = stdout;
    file = nullptr;
    if (options.out.isEmpty()) {
        return true;
    }
    std::string why;
    file = openFileForWriting(QFile::encodeName(options.out).toStdString(), why);
    if (file == nullptr) {
        complain(
            QStringLiteral("cannot write %1: %2").arg(options.out, QString::fromLocal8Bit(why)));
        return false;
    }
    // Unbuffered: a line that does not fit on the disk is taken back whole.
    std::setvbuf(file, nullptr, _IONBF, 0);
    out = file;
    return true;
}

// The file of channel `channel`'s lines when --out names one and the
// charger has several: FILE with -CHANNEL before its extension
// (log.tsv: log-2.tsv).
QString channelOutPath(const QString& out, int channel) {
    const QFileInfo info(out);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? out : out.left(out.size() - suffix.size() - 1);
    return base + QStringLiteral("-%1").arg(channel) +
           (suffix.isEmpty() ? QString() : u'.' + suffix);
}

// Each channel's lines to a file of its own: with --out naming a file, and
// no --channel.
void splitChannels(const LogOptions& options, LogSession& session) {
    if (options.out.isEmpty() || options.channel > 0 || options.out.startsWith(u"/dev/")) {
        return;
    }
    // Closed with the session, which holds the opener.
    std::shared_ptr<std::vector<std::FILE*>> files(new std::vector<std::FILE*>,
                                                   [](std::vector<std::FILE*>* opened) {
                                                       for (std::FILE* file : *opened) {
                                                           std::fclose(file);
                                                       }
                                                       delete opened;
                                                   });
    session.setChannelOutputs([out = options.out, files](int channel, QString& why) -> std::FILE* {
        const QString path = channelOutPath(out, channel);
        std::string error;
        std::FILE* file = openFileForWriting(QFile::encodeName(path).toStdString(), error);
        if (file == nullptr) {
            why = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(error));
            return nullptr;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);
        files->push_back(file);
        return file;
    });
}

// --- alarms ---
// The alarm settings, and the command run for each raised alarm (none
// without --on-alarm).
std::unique_ptr<AlarmCommand> setUpAlarms(LogSession& session, const LogOptions& options,
                                          const QString& port) {
    if (options.pack.isEmpty()) {
        session.setAlarmSettings(options.alarms);
    } else {
        // The pack, as the folder's pack files tell of it: each journal's
        // pack file, and its cell limits for the alarms.
        PackInfo pack =
            packDefinitionOfFolder(Journal::defaultFolder(), options.pack).value_or(PackInfo{});
        pack.pack = options.pack;
        pack.note.clear();
        pack.leftOut = false;
        session.setPack(pack);
        session.setAlarmSettings(alarms::settingsForPack(options.alarms, pack));
    }
    if (options.onAlarm.isEmpty()) {
        return nullptr;
    }
    auto command = std::make_unique<AlarmCommand>(options.onAlarm, port, &complain);
    session.setAlarmHandler([c = command.get(), &session](int channel, const alarms::Alarm& alarm) {
        // A charger of several channels: the text says which.
        const QString text = QString::fromStdString(alarm.text);
        c->run(QString::fromUtf8(alarms::kindName(alarm.kind)),
               session.session().channelCount() > 1
                   ? QStringLiteral("channel %1: %2").arg(channel).arg(text)
                   : text);
    });
    return command;
}

// How long the alarm commands still owed may take once the log has ended.
constexpr int kAlarmDrainMs = 5000;

// Runs the session until Ctrl-C, SIGTERM or its own end, then closes the output.
int run(QCoreApplication& app, LogSession& session, const LogOptions& options, std::FILE* out,
        std::FILE* file, const std::function<void()>& started) {
    const SignalWatch interrupts(LogSignal::Stop, [&] {
        session.stop();
        app.exit(kExitOk);
    });
    QObject::connect(&session, &LogSession::finished, &app, [&](int status) {
        if (!session.failure().isEmpty()) {
            complain(session.failure());
        }
        app.exit(status);
    });

    int status = kExitFailure;
    session.setStopSignal(stopSignalFd());
    if (session.start(out)) {
        if (started) {
            started();
        }
        status = app.exec();
    } else if (session.failure().isEmpty()) {
        status = kExitOk;  // ended by a signal while the header waited for its reader
    } else {
        complain(session.failure());
    }
    session.stop();
    if (session.owedLines() > 0) {
        complain(QStringLiteral("%1 lines of the log could not be written to %2: %3")
                     .arg(session.owedLines())
                     .arg(options.out.isEmpty() ? QStringLiteral("standard output") : options.out,
                          session.owedWhy()));
        status = status == kExitOk ? kExitFailure : status;
    }
    if (file != nullptr && std::fclose(file) != 0 && status == kExitOk) {
        complain(QStringLiteral("cannot write %1: %2")
                     .arg(options.out, QString::fromLocal8Bit(std::strerror(errno))));
        status = kExitFailure;
    }
    return status;
}

// The journal every recording also goes to, in the window's recordings
// folder; nothing with --no-journal. Its notices are error lines.
void makeJournal(const LogOptions& options, LogSession& session) {
    if (!options.journal) {
        return;
    }
    auto journal =
        std::make_unique<Journal>(Journal::defaultFolder(), QString::fromLatin1(kProgramVersion));
    journal->setNoticeHandler([](Journal::Notice notice, const QString& detail) {
        const char* what = notice == Journal::Notice::Stopped    ? "the journal stopped"
                           : notice == Journal::Notice::CaughtUp ? "the journal caught up"
                                                                 : "the journal began anew";
        complain(QStringLiteral("%1: %2").arg(QLatin1String(what), detail));
    });
    session.journalTo(std::move(journal));
}

// What --serve and --metrics serve, the charger named `charger`.
ServeOptions serveOptions(const LogOptions& options, const QString& charger) {
    return {options.serve, options.metrics, charger.toStdString(), options.pack.toStdString()};
}

// --- over the network ------------------------------------------------------------------------

// The client options for `address` as the options give them; the warnings
// about them are said once. Throws net::AddressError or net::MqttError
// (naming a file, never what it holds).
net::BrokerSetup brokerSetup(const LogOptions& options, const QString& address) {
    net::BrokerSetup setup = net::setUpBroker(
        {address, QString(), options.passwordFile, options.caFile, options.keyFile});
    for (const QString& warning : setup.warnings) {
        complain(warning);
    }
    return setup;
}

// The publisher for --publish, not yet connecting; nothing without it.
// False, with the error line written, when it cannot be set up.
bool makePublisher(const LogOptions& options, std::unique_ptr<net::Publisher>& publisher) {
    if (options.publish.isEmpty()) {
        return true;
    }
    try {
        publisher = net::makePublisher(brokerSetup(options, options.publish), options.haDiscovery);
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return false;
    }
    QObject::connect(publisher.get(), &net::Publisher::notice,
                     [](const QString& text) { complain(text); });
    return true;
}

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

// Watches a charger on a broker: its start and raw records are played
// through the session's receive path on the publisher's clocks.
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

int liveLog(QCoreApplication& app, const LogOptions& options) {
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
    QObject::connect(&session, &LogSession::notice, &app,
                     [](const QString& text) { complain(text); });
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
    session.session().setCharger(options.charger.toStdString());
    session.onlyChannel(options.channel);
    if (!session.channelProblem().isEmpty()) {
        complain(session.channelProblem());
        return kExitUsage;
    }
    splitChannels(options, session);
    QObject::connect(&session, &LogSession::notice, &app,
                     [](const QString& text) { complain(text); });
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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--describe-schema") {
        std::fputs(cellwatch::chargerDescriptionSchema().data(), stdout);
        return kExitOk;
    }
    if (!cellwatch::prepareDescribedChargers(argc, argv, "cellwatch-log")) {
        return 2;
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::printf("cellwatch-log %s\n", kProgramVersion);
        return kExitOk;
    }
    LogOptions options;
    try {
        options = parseArguments(arguments);
    } catch (const UsageError& e) {
        complain(QString::fromUtf8(e.what()) + QStringLiteral(" (try --help)"));
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return kExitOk;
    }
    if (options.listChargers) {
        std::fputs(driverListText().c_str(), stdout);
        return kExitOk;
    }

    QCoreApplication app(argc, argv);
    if (!options.caFile.isEmpty()) {
        // Looked at before anything starts: a folder, a device or a file
        // without a certificate would fail every attempt to connect.
        try {
            net::checkCertificateFile(options.caFile);
        } catch (const net::MqttError& e) {
            complain(QString::fromUtf8(e.what()) + QStringLiteral(" (--ca)"));
            return kExitUsage;
        }
    }

    if (!catchSignals()) {
        complain(QStringLiteral("cannot catch signals: ") + qt_error_string(errno));
        return kExitFailure;
    }
    if (options.everyCharger) {
        return runClubLog(app, options, &complain);
    }
    if (options.portIsBroker) {
        return watchLog(app, options);
    }
    return options.replay.isEmpty() && options.frames.isEmpty() ? liveLog(app, options)
                                                                : replayLog(app, options);
}
