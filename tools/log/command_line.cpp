#include "tools/log/command_line.h"

#include <optional>
#include <tuple>

#include "net/broker_address.h"
#include "net/influx_target.h"
#include "net/web_server.h"
#include "protocol/driver_registry.h"
#include "readout/pack_file.h"
#include "serial/capture_replay.h"

namespace cellwatch::logger {
namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE".
bool takeValue(const QStringList& arguments, qsizetype& i, const QString& name, QString& value,
               bool& given) {
    const QString& arg = arguments[i];
    QString found;
    if (arg == name) {
        if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QLatin1String("--"))) {
            throw UsageError(name.toStdString() + " needs a value");
        }
        found = arguments[++i];
    } else if (arg.startsWith(name + u'=')) {
        found = arg.mid(name.size() + 1);
    } else {
        return false;
    }
    if (given) {
        throw UsageError(name.toStdString() + " is given more than once");
    }
    if (found.isEmpty()) {
        throw UsageError(name.toStdString() + " needs a value");
    }
    given = true;
    value = found;
    return true;
}

// The network options: --publish, --password-file, --ca, --ha-discovery.
struct NetworkArguments {
    bool publishGiven = false;
    bool passwordGiven = false;
    bool caGiven = false;
    bool keyGiven = false;
    bool influxGiven = false;
    bool influxAuthGiven = false;

    bool take(const QStringList& arguments, qsizetype& i, LogOptions& options) {
        if (arguments[i] == QLatin1String("--ha-discovery")) {
            options.haDiscovery = true;
            return true;
        }
        return takeValue(arguments, i, QStringLiteral("--publish"), options.publish,
                         publishGiven) ||
               takeValue(arguments, i, QStringLiteral("--password-file"), options.passwordFile,
                         passwordGiven) ||
               takeValue(arguments, i, QStringLiteral("--ca"), options.caFile, caGiven) ||
               takeValue(arguments, i, QStringLiteral("--key-file"), options.keyFile, keyGiven) ||
               takeValue(arguments, i, QStringLiteral("--influx"), options.influx, influxGiven) ||
               takeValue(arguments, i, QStringLiteral("--influx-auth"), options.influxAuth,
                         influxAuthGiven);
    }

    // Whether the options go together, and the addresses are addresses.
    void check(LogOptions& options) const {
        options.portIsBroker = net::isBrokerAddress(options.port);
        options.everyCharger = options.portIsBroker && options.port.endsWith(QLatin1String("/#"));
        try {
            bool tls = false;
            if (options.everyCharger) {
                options.port.chop(2);
                tls = net::parseBrokerAddress(options.port, net::NamePart::None).tls;
            } else if (options.portIsBroker) {
                tls = net::parseBrokerAddress(options.port).tls;
            }
            if (publishGiven) {
                tls = net::parseBrokerAddress(options.publish).tls;
            }
            if (caGiven && !tls) {
                throw UsageError("--ca goes only with an mqtts:// address");
            }
        } catch (const net::AddressError& e) {
            throw UsageError(e.what());
        }
        if (publishGiven && options.portIsBroker) {
            throw UsageError("--publish goes with a serial port, not with a broker address");
        }
        if (!options.replay.isEmpty() && (publishGiven || passwordGiven || caGiven || keyGiven)) {
            throw UsageError(
                "--replay is played locally; it cannot go with --publish, "
                "--password-file, --ca or --key-file");
        }
        if (options.portIsBroker && !options.capture.isEmpty()) {
            throw UsageError("--capture goes with a serial port, not with a broker address");
        }
        if (options.haDiscovery && !publishGiven) {
            throw UsageError("--ha-discovery goes only with --publish");
        }
        if (passwordGiven && !publishGiven && !options.portIsBroker) {
            throw UsageError("--password-file goes only with a broker address");
        }
        if (keyGiven && !publishGiven && !options.portIsBroker) {
            throw UsageError("--key-file goes only with a broker address");
        }
        if (options.everyCharger &&
            ((!influxGiven && options.metrics.isEmpty()) || !options.out.isEmpty() ||
             options.channel != 0 || !options.serve.isEmpty() || !options.onAlarm.isEmpty())) {
            throw UsageError(
                "every charger on a broker (/#) goes to a database or a metrics endpoint: with "
                "--influx or --metrics, and without --out, --channel, --serve and --on-alarm");
        }
        if (influxAuthGiven && !influxGiven) {
            throw UsageError("--influx-auth goes only with --influx");
        }
        if (influxGiven) {
            try {
                net::parseInfluxAddress(options.influx);
            } catch (const net::InfluxError& e) {
                throw UsageError(std::string("--influx: ") + e.what());
            }
        }
    }
};

}  // namespace

bool takeAlarmOption(const QStringList& arguments, qsizetype& i, LogOptions& options) {
    QString value;
    bool given = false;
    if (takeValue(arguments, i, QStringLiteral("--alarm"), value, given)) {
        const std::string error = alarms::applyLimit(options.alarms, value.toStdString());
        if (!error.empty()) {
            throw UsageError("--alarm: " + error);
        }
        return true;
    }
    if (takeValue(arguments, i, QStringLiteral("--no-alarm"), value, given)) {
        const std::optional<alarms::Kind> kind = alarms::kindFromName(value.toStdString());
        if (!kind) {
            throw UsageError("--no-alarm: unknown alarm '" + value.toStdString() + "'");
        }
        options.alarms[*kind].enabled = false;
        return true;
    }
    bool commandGiven = !options.onAlarm.isEmpty();
    return takeValue(arguments, i, QStringLiteral("--on-alarm"), options.onAlarm, commandGiven);
}

LogOptions parseArguments(const QStringList& arguments) {
    LogOptions options;
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        options.help = true;
        return options;
    }
    bool portGiven = false;
    bool outGiven = false;
    bool captureGiven = false;
    bool replayGiven = false;
    bool speedGiven = false;
    QString speed;
    NetworkArguments network;
    QString wait;
    bool waitGiven = false;
    bool noJournalGiven = false;
    bool serveGiven = false;
    bool metricsGiven = false;
    bool packGiven = false;
    bool framesGiven = false;
    bool chargerGiven = false;
    QString channel;
    bool channelGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (network.take(arguments, i, options)) {
            continue;
        }
        if (arguments[i] == QLatin1String("--journal")) {
            options.journalReplay = true;
            continue;
        }
        if (arguments[i] == QLatin1String("--list-chargers")) {
            options.listChargers = true;
            continue;
        }
        if (arguments[i] == QLatin1String("--no-journal")) {
            noJournalGiven = true;
            options.journal = false;
            continue;
        }
        if (takeValue(arguments, i, QStringLiteral("--wait"), wait, waitGiven)) {
            continue;
        }
        if (takeValue(arguments, i, QStringLiteral("--port"), options.port, portGiven) ||
            takeValue(arguments, i, QStringLiteral("--out"), options.out, outGiven) ||
            takeValue(arguments, i, QStringLiteral("--capture"), options.capture, captureGiven) ||
            takeValue(arguments, i, QStringLiteral("--replay"), options.replay, replayGiven) ||
            takeValue(arguments, i, QStringLiteral("--frames"), options.frames, framesGiven) ||
            takeValue(arguments, i, QStringLiteral("--charger"), options.charger, chargerGiven) ||
            takeValue(arguments, i, QStringLiteral("--channel"), channel, channelGiven) ||
            takeValue(arguments, i, QStringLiteral("--speed"), speed, speedGiven) ||
            takeValue(arguments, i, QStringLiteral("--serve"), options.serve, serveGiven) ||
            takeValue(arguments, i, QStringLiteral("--metrics"), options.metrics, metricsGiven) ||
            takeValue(arguments, i, QStringLiteral("--pack"), options.pack, packGiven) ||
            takeAlarmOption(arguments, i, options)) {
            continue;
        }
        const QString& arg = arguments[i];
        if (arg.startsWith(u'-')) {
            throw UsageError("unknown option " + arg.toStdString());
        }
        throw UsageError("unexpected argument " + arg.toStdString());
    }
    if (options.help || options.listChargers) {
        return options;
    }
    if (findDriver(options.charger.toStdString()) == nullptr) {
        throw UsageError("no charger " + options.charger.toStdString() +
                         "; the chargers are: " + driverIdsText());
    }
    if (channelGiven) {
        bool ok = false;
        options.channel = channel.toInt(&ok);
        if (!ok || options.channel < 1) {
            throw UsageError("--channel takes a channel's number from 1, not " +
                             channel.toStdString());
        }
    }
    if (framesGiven) {
        if (replayGiven) {
            throw UsageError("--frames cannot go with --replay");
        }
        replayGiven = true;  // a replay of the frames, as of a capture
    }
    if (waitGiven) {
        bool ok = false;
        options.waitSeconds = wait.toInt(&ok);
        if (!ok || options.waitSeconds <= 0) {
            throw UsageError("--wait takes a number of seconds above 0, not " + wait.toStdString());
        }
    }
    for (const auto& [given, name, value] :
         {std::tuple(serveGiven, "--serve", options.serve),
          std::tuple(metricsGiven, "--metrics", options.metrics)}) {
        QHostAddress host;
        quint16 port = 0;
        const QString error = given ? net::parseListenAddress(value, host, port) : QString();
        if (!error.isEmpty()) {
            throw UsageError(std::string(name) + ": " + error.toStdString());
        }
    }
    if (replayGiven && noJournalGiven) {
        throw UsageError(
            "--no-journal does not go with --replay (a replay keeps no journal without --journal)");
    }
    if (packGiven) {
        options.pack = normalizedPackName(options.pack);
        if (options.pack.isEmpty()) {
            throw UsageError("--pack takes a pack's name");
        }
        if (noJournalGiven || (replayGiven && !options.journalReplay)) {
            throw UsageError(
                "--pack goes only with a journal (a live log's, or a replay's with "
                "--journal)");
        }
    }
    if (options.journalReplay && !replayGiven) {
        throw UsageError("--journal goes only with --replay (a live log keeps its journal)");
    }
    if (replayGiven) {
        if (portGiven || captureGiven) {
            throw UsageError(std::string(portGiven ? "--port" : "--capture") +
                             " cannot go with --replay");
        }
    } else if (!portGiven) {
        throw UsageError("--port is missing");
    } else if (speedGiven) {
        throw UsageError("--speed goes only with --replay");
    }
    if (speedGiven) {
        const std::optional<double> value = parseReplaySpeed(speed);
        if (!value) {
            throw UsageError("bad --speed " + speed.toStdString() + " (" + kReplaySpeedRule + ")");
        }
        options.speed = *value;
    }
    network.check(options);
    if (waitGiven && !options.portIsBroker) {
        throw UsageError("--wait goes only with a broker address");
    }
    if (options.out == QLatin1String("-")) {
        options.out.clear();
    }
    return options;
}

}  // namespace cellwatch::logger
