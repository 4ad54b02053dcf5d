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

constexpr const char* kUsage =
    "Usage: cellwatch-log --port PORT [--out FILE] [--capture FILE] [--no-journal | --pack NAME]\n"
    "                     [--publish ADDRESS [--ha-discovery]]\n"
    "       cellwatch-log --port ADDRESS [--out FILE] [--wait SECONDS]\n"
    "                     [--no-journal | --pack NAME]\n"
    "       cellwatch-log --replay FILE [--speed N] [--out FILE] [--journal [--pack NAME]]\n"
    "       cellwatch-log --frames FILE [--speed N] [--out FILE] [--journal [--pack NAME]]\n"
    "       cellwatch-log --list-chargers\n"
    "       cellwatch-log --describe-schema\n"
    "       (each also with --serve [ADDRESS:]PORT, --metrics [ADDRESS:]PORT,\n"
    "        --charger NAME and --channel N, and with --influx URL [--influx-auth FILE])\n"
    "\n"
    "Listens to a charger on a serial port (9600 baud, 8N1; nothing is sent to\n"
    "it) and records what it reports as the window does, without a window: each\n"
    "row the window's data table would get is written as one line the moment it\n"
    "is recorded.\n"
    "\n"
    "Options:\n"
    "  --port PORT  the serial port: the path of a device (/dev/ttyUSB0, or an\n"
    "               alias such as /dev/charger or /dev/serial/by-id/...), a\n"
    "               device name (ttyUSB0, COM3) or an entry of the window's\n"
    "               port list (USB_ttyUSB0, COM 3)\n"
    "  --out FILE   write to FILE instead of standard output; the file is\n"
    "               replaced once the port is open. '-' is standard output.\n"
    "               FILE is a regular file (or /dev/stdout, /dev/null); a FIFO\n"
    "               or a device is refused, as for --capture and --replay.\n"
    "  --capture FILE\n"
    "               also write every byte received, with the moment it\n"
    "               arrived, to FILE (a capture, replaced once the port is\n"
    "               open), for replaying the run later or sending it along\n"
    "               with a bug report\n"
    "  --replay FILE\n"
    "               instead of listening to a port, play a capture back\n"
    "               through the same receive path on the clocks it recorded:\n"
    "               the output is the lines the live run wrote (without\n"
    "               '# lost'); the log ends at the end of the capture\n"
    "  --frames FILE\n"
    "               like --replay, of received messages written as text: one\n"
    "               per line, in hex (spaces allowed), each optionally preceded\n"
    "               by its time and ': ' (2025-02-27_12-44-47: 7b 81 ... or\n"
    "               2025-02-27T12:44:47.123: 7b81...); a line without a time\n"
    "               comes one second after the one before. Bad lines are\n"
    "               counted on standard error and skipped\n"
    "  --charger NAME\n"
    "               the charger's driver (default tkrx), or a charger\n"
    "               description FILE.json; descriptions in\n"
    "               ~/.local/share/cellwatch/chargers and the package's\n"
    "               share/cellwatch/chargers are known by their ids\n"
    "  --channel N  of a charger of several channels: only channel N's lines,\n"
    "               as a charger of one channel's (without the channel's\n"
    "               number); status 2 when the charger has no channel N\n"
    "  --list-chargers\n"
    "               print the chargers' drivers (id, maker, models), one a\n"
    "               line, and exit\n"
    "  --describe-schema\n"
    "               print the JSON Schema of a charger description, and exit\n"
    "  --speed N    of a replay: 1 real time (the default), 2 twice as fast,\n"
    "               up to 1000000; 0 as fast as possible\n"
    "  --journal    of a replay: keep it in the recordings folder as the live\n"
    "               run's journal would be, on the capture's clocks (a replay\n"
    "               keeps none by default)\n"
    "  --no-journal do not keep the recordings in the recordings folder. By\n"
    "               default each recording of a port or a watched charger is\n"
    "               also written there, as the window writes it, so it shows\n"
    "               in the window's Recordings list and a pack's history\n"
    "  --pack NAME  file each journal under the pack NAME, as the window's\n"
    "               View > Pack... does: a pack file beside it with what the\n"
    "               folder's pack files tell of that pack (chemistry, cells,\n"
    "               capacity, limits). Its cell limits, or else its\n"
    "               chemistry's, replace the cell-high and cell-low limits,\n"
    "               and a recording whose cells are not the pack's count is\n"
    "               said at once in an error line\n"
    "  --wait SECONDS\n"
    "               watching: end (status 2) when the charger has not begun\n"
    "               within SECONDS; without it the log waits for ever, saying\n"
    "               within 5 s that the broker has no such charger\n"
    "  --alarm KIND=LIMIT\n"
    "               change an alarm's limit (see Alarms); may be repeated\n"
    "  --no-alarm KIND\n"
    "               turn an alarm off; may be repeated\n"
    "  --on-alarm COMMAND\n"
    "               run COMMAND through /bin/sh for each raised alarm, with\n"
    "               CELLWATCH_ALARM (the kind), CELLWATCH_TEXT (the text) and\n"
    "               CELLWATCH_PORT (the port, or the replayed capture) in its\n"
    "               environment; e.g. to post to a push service. The log goes\n"
    "               on meanwhile; alarms that come while it runs wait their\n"
    "               turn, one per kind: a later one of a kind already waiting\n"
    "               takes its place, and CELLWATCH_COUNT says how many alarms\n"
    "               a run stands for (it never runs twice at once). Its output\n"
    "               is dropped; what it leaves running ends with it; a run\n"
    "               that fails is one error line. When the log ends, runs\n"
    "               still owed get 5 s in all.\n"
    "  --publish ADDRESS\n"
    "               also publish the recording on an MQTT broker, under\n"
    "               cellwatch/NAME/ (status, start, raw, row, event). ADDRESS is\n"
    "               mqtt://[USER@]HOST[:PORT]/NAME (port 1883) or mqtts://...\n"
    "               (TLS, port 8883); NAME is letters, digits, '-', '_', '.'.\n"
    "               A broker that is away never stops the log: it is tried\n"
    "               again, and said so on standard error\n"
    "  --serve [ADDRESS:]PORT\n"
    "               also serve a live page of the recording for a phone or\n"
    "               another computer's browser, read-only: PORT alone is\n"
    "               127.0.0.1 (this computer only); name an address of this\n"
    "               computer, or '*' for every interface, to let the local\n"
    "               network look (8080, 192.168.1.20:8080, *:8080). Its address,\n"
    "               with a random token, is written on standard error; SIGUSR1\n"
    "               makes a new token, and the old address stops working\n"
    "  --metrics [ADDRESS:]PORT\n"
    "               also serve the latest readings, link state, alarm and row\n"
    "               counts for a metrics scraper (Prometheus text format) at\n"
    "               http://ADDRESS:PORT/metrics, without a token: PORT alone is\n"
    "               127.0.0.1; any other address lets whoever reaches it read\n"
    "               the readings. With --serve they are also at the page's\n"
    "               address, /TOKEN/metrics\n"
    "  --influx URL\n"
    "               also write every row and alarm of every channel to a\n"
    "               time-series database: http[s]://HOST:PORT/write?db=NAME,\n"
    "               http[s]://HOST/api/v2/write?org=ORG&bucket=BUCKET or\n"
    "               .../influx/write?db=NAME. Rows are measurement cellwatch\n"
    "               (tags charger, channel, pack), alarms cellwatch_alarm.\n"
    "               Rows go in batches (5000 rows, or 1 s), compressed; a\n"
    "               database that is away or slow is tried again with a\n"
    "               growing pause, and up to 64 MB of rows wait meanwhile: what\n"
    "               does not fit is dropped and counted on standard error.\n"
    "               The log never waits for the database; at its end, rows\n"
    "               still owed get 10 s\n"
    "  --influx-auth FILE\n"
    "               sign in to the database with the first line of FILE: a\n"
    "               token, or USER:PASSWORD\n"
    "  --port mqtt[s]://HOST[:PORT]/#\n"
    "               with --influx and/or --metrics: every charger published on\n"
    "               the broker, each watched as by its own --port ADDRESS, into\n"
    "               the database and the metrics, labelled with its name (no\n"
    "               lines, no journals). A charger that goes offline stays in\n"
    "               the metrics with its link down; new ones join as they come\n"
    "               online\n"
    "  --port ADDRESS\n"
    "               watch a charger published on a broker instead of a port:\n"
    "               the lines are those of the publisher's own log; the\n"
    "               charger going offline or the broker going away is '# lost'\n"
    "  --ha-discovery\n"
    "               with --publish: also publish Home Assistant discovery\n"
    "               configurations for the charger's sensors\n"
    "  --password-file FILE\n"
    "               the broker password: the first line of FILE (with USER@)\n"
    "  --ca FILE    for mqtts://: trust the authority in FILE (PEM) instead of\n"
    "               the system's\n"
    "  --key-file FILE\n"
    "               the charger's shared key: the first line of FILE (16\n"
    "               characters at least; head -c 32 /dev/urandom | base64).\n"
    "               Publishing, every message is signed with it; watching,\n"
    "               only messages signed with it count, and those that are\n"
    "               not are dropped (counted in one line on standard error)\n"
    "  -h, --help   show this text\n"
    "\n"
    "Output (UTF-8, one line each, flushed at once):\n"
    "  The first line holds the 22 column headers of the data table (Time, Type,\n"
    "  +CHG/DIS-, Ext.Temp(℃), ..., C12), separated by tabs. Every recorded\n"
    "  sample follows as a row of the same 22 texts: the time since the recording\n"
    "  started (H:mm:ss; the first row of a recording reads 0:00:01), battery\n"
    "  type, state, temperatures, voltages, current, capacity, power and the\n"
    "  twelve cell voltages. Idle messages are not recorded, nor are implausible\n"
    "  ones (a temperature above 100, a voltage above 50 or a battery voltage of\n"
    "  0, a cell above 5 V).\n"
    "  A charger of several channels: every line of a channel, rows and events,\n"
    "  starts with the channel's number and a tab (2<TAB>0:00:05<TAB>...), and\n"
    "  the header with 'Channel<TAB>'; '# lost' is the whole charger's and has\n"
    "  none (awk -F'\\t' '$1 == 2' picks channel 2). With --out FILE each channel\n"
    "  has a file of its own instead, without the number: channel 1's is FILE,\n"
    "  channel N's is FILE with -N before its extension (log.tsv, log-2.tsv,\n"
    "  log-3.tsv), each begun at its channel's first line ('# lost' goes to\n"
    "  every one). Each alarm of such a charger is also one line on standard\n"
    "  error naming its channel ('channel 2: alarm cell-high: ...'), and the\n"
    "  --on-alarm command's CELLWATCH_TEXT begins with 'channel 2: '. Each\n"
    "  channel has its own journal, cellwatch-DATE-TIME-CHARGER-CHANNEL.csv.\n"
    "\n"
    "Events are lines of their own that start with '# ':\n"
    "  # idle     a message took more than 3 s from its first byte to its last\n"
    "             (the line stalled); it is dropped\n"
    "  # restart  a sample came more than 4 s after the last row: a new recording\n"
    "             starts without that sample, and its first row again reads 0:00:01\n"
    "  # lost     the port went away (the adapter was pulled); the log ends\n"
    "  # alarm KIND: TEXT\n"
    "             an alarm was raised, after the row that raised it (lost: just\n"
    "             before '# lost')\n"
    "\n"
    "Alarms (KIND, when it is raised, its default LIMIT):\n"
    "  cell-high    any cell above the limit: 4.25 V for LiIo/Po/Fe;\n"
    "               cell-high:pb=LIMIT for Pb (2.45 V)\n"
    "  cell-low     while discharging, any non-zero cell below the limit:\n"
    "               3.00 V for LiIo/Po/Fe; cell-low:pb=LIMIT for Pb (1.75 V)\n"
    "  cell-spread  highest minus lowest non-zero cell above 0.10 V, from the\n"
    "               60th second of a recording on\n"
    "  temperature  external temperature above 50 (C); internal above\n"
    "               temperature:internal=LIMIT (70)\n"
    "  input-low    input voltage below 11.00 V\n"
    "  finished     rows followed by the idle state or by messages that are\n"
    "               neither charging nor discharging for 10 s (LIMIT: seconds)\n"
    "  stalled      the last row charging or discharging and nothing new for\n"
    "               30 s (LIMIT: seconds)\n"
    "  lost         the port lost while the recording has rows (no limit)\n"
    "  Limits are strict: a value at its limit raises nothing. Each alarm is\n"
    "  raised once when its condition starts. cell-high, cell-low, cell-spread,\n"
    "  temperature and input-low are raised again only after their value has\n"
    "  been back past the limit by a margin (0.02 V for cells and the spread,\n"
    "  0.20 V for the input, 2 C for temperatures) for 30 s of the recording's\n"
    "  clock; the others after a row (or moment) where they no longer hold. A\n"
    "  new recording (after a restart) starts afresh.\n"
    "  The cell alarms watch LiIo/Po/Fe and Pb packs only.\n"
    "\n"
    "Ctrl-C or SIGTERM ends the log with everything written, at any time: also\n"
    "while a line waits for a reader that does not read (that line is dropped).\n"
    "\n"
    "Exit status:\n"
    "  0  ended by Ctrl-C or SIGTERM, or the replay reached the capture's end\n"
    "  1  the port cannot be opened, the output or the capture cannot be\n"
    "     written, or the replayed file cannot be read or is no capture; the\n"
    "     broker cannot be reached when watching begins; the password or key\n"
    "     file cannot be read\n"
    "  2  bad usage (a --ca file that holds no certificate among it), or the\n"
    "     port was lost (a watched charger went offline, or its broker went\n"
    "     away)\n"
    "Errors go to standard error as one line starting with 'cellwatch-log: '.\n";

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

const char* usageText() {
    return kUsage;
}

}  // namespace cellwatch::logger
