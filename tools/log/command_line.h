// The command line of cellwatch-log and its exit statuses.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "alarms/alarm_rules.h"

namespace cellwatch::logger {

inline constexpr int kExitOk = 0;  // ended by Ctrl-C or SIGTERM, or a replay reached its end
inline constexpr int kExitFailure =
    1;                                // the port cannot be opened, a file cannot be written or read
inline constexpr int kExitUsage = 2;  // bad command line
inline constexpr int kExitLost = 2;   // the port went away

struct LogOptions {
    bool help = false;
    QString port;     // as given: a path, a device name or a port list entry ("USB_ttyUSB0")
    QString out;      // empty: standard output
    QString capture;  // with port: the capture to write; empty: none
    QString replay;   // instead of port: the capture to play back
    QString frames;   // instead of port: a frames file to play back (--frames)
    QString charger = QStringLiteral("tkrx");  // the charger's driver (--charger)
    int channel = 0;            // only this channel's lines (--channel); 0: every channel's
    bool listChargers = false;  // --list-chargers
    double speed = 1;     // of the replay: 1 real time, 2 twice as fast, 0 as fast as possible
    bool journal = true;  // each recording also goes to the recordings folder (--no-journal)
    bool journalReplay = false;  // a replay too (--journal)
    int waitSeconds = 0;         // watching: how long to wait for the charger (--wait); 0: for ever
    QString pack;                // each journal's pack (--pack); empty: none

    // --- alarms ---
    alarms::AlarmSettings alarms = alarms::AlarmSettings::defaults();  // --alarm, --no-alarm
    QString onAlarm;  // --on-alarm: the command run for each raised alarm; empty: none
    // Over the network: --port may be a broker address (watching), and a
    // recording may be published.
    bool portIsBroker = false;  // --port names a charger on a broker
    // --port mqtt[s]://HOST[:PORT]/#: every charger on the broker, each into
    // the --influx database; `port` is then the broker's address alone.
    bool everyCharger = false;
    QString publish;           // the address to publish under; empty: none
    QString passwordFile;      // the broker password's file; empty: none
    QString caFile;            // for mqtts://: the authority; empty: the system's
    QString keyFile;           // the charger's shared key's file; empty: unsigned
    bool haDiscovery = false;  // publish Home Assistant discovery configurations
    // A time-series database every row and alarm also goes to: its write
    // address (--influx; empty: none) and its sign-in file (--influx-auth).
    QString influx;
    QString influxAuth;
    // The phone page: --serve [ADDRESS:]PORT (net/web_server.h); empty: none.
    QString serve;
    // The metrics endpoint: --metrics [ADDRESS:]PORT, /metrics without a
    // token; empty: none.
    QString metrics;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the alarm option at arguments[i] ("--alarm KIND=LIMIT",
// "--no-alarm KIND", "--on-alarm COMMAND", each also with '='), moving i
// past its value. False when arguments[i] is no alarm option. Throws
// UsageError for a bad one.
bool takeAlarmOption(const QStringList& arguments, qsizetype& i, LogOptions& options);

// Reads the arguments that follow the program name. Options take their
// value as the next argument or after '=' (--port=/dev/ttyUSB0). "--out -"
// is standard output. Either --port (with --capture if wanted) or --replay
// (with --speed if wanted) is given. --help wins over everything else.
// Throws UsageError with one line saying what is wrong.
LogOptions parseArguments(const QStringList& arguments);

// What --help prints.
const char* usageText();

}  // namespace cellwatch::logger
