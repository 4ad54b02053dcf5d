// The tool's command line: what it accepts and the one line it gives for
// what it refuses.
#include "tools/log/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cellwatch::logger {
namespace {

QStringList args(const std::vector<const char*>& list) {
    QStringList out;
    for (const char* a : list) {
        out << QString::fromUtf8(a);
    }
    return out;
}

std::string shown(const std::vector<const char*>& arguments) {
    std::string text;
    for (const char* a : arguments) {
        text += '[' + std::string(a) + ']';
    }
    return text;
}

// Which speeds are good is the replay's own rule; the option hands it on,
// and one when not given.
TEST(LogArguments, AcceptedFormsGivePortOutputAndSpeed) {
    const struct {
        std::vector<const char*> arguments;
        const char* port;
        const char* out;
        double speed = 1;
    } cases[] = {
        {{"--port", "/dev/ttyUSB0"}, "/dev/ttyUSB0", ""},
        {{"--port=/dev/ttyUSB0", "--out=a.tsv"}, "/dev/ttyUSB0", "a.tsv"},
        {{"--out", "a b.tsv", "--port", "COM 3"}, "COM 3", "a b.tsv"},
        {{"--port", "USB_ttyACM0", "--out", "-"}, "USB_ttyACM0", ""},
        {{"--replay", "c", "--speed", "2.5"}, "", "", 2.5},
        {{"--replay", "c", "--speed=0"}, "", "", 0},
        {{"--replay", "c"}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(shown(c.arguments));
        const LogOptions options = parseArguments(args(c.arguments));
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.port.toStdString(), c.port);
        EXPECT_EQ(options.out.toStdString(), c.out);
        EXPECT_EQ(options.speed, c.speed);
    }
    EXPECT_TRUE(parseArguments(args({"--bogus", "--help"})).help);  // help wins
    EXPECT_TRUE(parseArguments(args({"--port", "mqtt://h/bay"})).portIsBroker);
    for (const QStringList& every :
         {args({"--port", "mqtt://h/#", "--metrics", "9101"}),
          args({"--port", "mqtt://h/#", "--influx", "http://d/write?db=x"})}) {
        SCOPED_TRACE(every.join(u' ').toStdString());
        const LogOptions club = parseArguments(every);
        EXPECT_TRUE(club.everyCharger);
        EXPECT_EQ(club.port, QStringLiteral("mqtt://h"));
    }
    const LogOptions publish =
        parseArguments(args({"--port", "/dev/ttyUSB0", "--publish", "mqtts://ann@h/bay",
                             "--password-file", "pw", "--ca", "ca.pem", "--ha-discovery"}));
    EXPECT_EQ(publish.publish, QStringLiteral("mqtts://ann@h/bay"));
    EXPECT_TRUE(publish.haDiscovery);
    EXPECT_FALSE(publish.portIsBroker);
    EXPECT_TRUE(publish.journal);
    const LogOptions watch =
        parseArguments(args({"--port", "mqtt://h/bay", "--wait", "30", "--no-journal"}));
    EXPECT_EQ(watch.waitSeconds, 30);
    EXPECT_FALSE(watch.journal);
    EXPECT_EQ(parseArguments(args({"--replay", "c", "--journal", "--pack", " Race 4S "})).pack,
              QStringLiteral("Race 4S"));
}

// The "=" forms; the log's alarm tests show "--alarm KIND=LIMIT" and
// "--no-alarm KIND" heeded.
TEST(LogArguments, AlarmOptions) {
    const LogOptions o =
        parseArguments(args({"--port", "a", "--alarm=cell-high:pb=2.5", "--no-alarm=lost",
                             "--on-alarm", "notify-send \"$CELLWATCH_TEXT\""}));
    EXPECT_EQ(o.alarms[alarms::Kind::CellHigh].second, Decimal::fromHundredths(250));
    EXPECT_FALSE(o.alarms[alarms::Kind::Lost].enabled);
    EXPECT_TRUE(o.alarms[alarms::Kind::Stalled].enabled);
    EXPECT_EQ(o.onAlarm, QStringLiteral("notify-send \"$CELLWATCH_TEXT\""));
    EXPECT_EQ(parseArguments(args({"--port", "a"})).alarms, alarms::AlarmSettings::defaults());
}

TEST(LogArguments, MistakesAreSaidOnOneLine) {
    const struct {
        std::vector<const char*> arguments;
        const char* says;
    } cases[] = {
        {{}, "--port is missing"},
        {{"--port"}, "--port needs a value"},
        {{"--port="}, "--port needs a value"},
        {{"--port", "--out", "a.tsv"}, "--port needs a value"},
        {{"--port", "x", "--out"}, "--out needs a value"},
        {{"--port", "a", "--port=b"}, "--port is given more than once"},
        {{"--port", "a", "extra"}, "unexpected argument extra"},
        {{"--port", "a", "-x"}, "unknown option -x"},
        {{"--portx", "a"}, "unknown option --portx"},
        {{"--port", "a", "--capture"}, "--capture needs a value"},
        {{"--replay", "c", "--port", "a"}, "--port cannot go with --replay"},
        {{"--port", "a", "--speed", "2"}, "--speed goes only with --replay"},
        {{"--replay", "c", "--speed", "1e20"}, "bad --speed 1e20 (0 as fast as possible, or"},
        {{"--replay", "c", "--speed=1000001"}, "up to 1000000"},
        {{"--port", "a", "--alarm", "cell-hot=4"}, "--alarm: unknown alarm 'cell-hot'"},
        {{"--port", "a", "--no-alarm", "all"}, "--no-alarm: unknown alarm 'all'"},
        // A charger on the network, and the options that do not go with it.
        {{"--port", "mqtt://h/a/b"}, "not one level"},
        {{"--port", "mqtt://u:pw@h/n"}, "a password never goes in the address"},
        {{"--port", "/dev/ttyUSB0", "--publish", "tcp://h/n"}, "neither mqtt:// nor mqtts://"},
        {{"--port", "mqtt://h/n", "--publish", "mqtt://h/m"}, "--publish goes with a serial port"},
        {{"--port", "mqtt://h/n", "--capture", "c.cwcap"}, "--capture goes with a serial port"},
        {{"--port", "/dev/ttyUSB0", "--ha-discovery"}, "--ha-discovery goes only with --publish"},
        {{"--port", "/dev/ttyUSB0", "--wait", "5"}, "--wait goes only with a broker address"},
        {{"--port", "mqtt://h/n", "--wait", "0"}, "--wait takes a number of seconds above 0"},
        {{"--port", "mqtt://h/n", "--wait", "soon"}, "--wait takes a number of seconds above 0"},
        {{"--replay", "c.cwcap", "--no-journal"}, "--no-journal does not go with --replay"},
        {{"--port", "a", "--journal"}, "--journal goes only with --replay"},
        {{"--port", "a", "--pack", "  "}, "--pack takes a pack's name"},
        {{"--port", "a", "--no-journal", "--pack", "P"}, "--pack goes only with a journal"},
        {{"--replay", "c.cwcap", "--pack", "P"}, "--pack goes only with a journal"},
        {{"--port", "/dev/ttyUSB0", "--password-file", "p"}, "--password-file goes only with"},
        {{"--port", "mqtt://h/n", "--ca", "ca.pem"}, "--ca goes only with an mqtts:// address"},
        {{"--replay", "c.cwcap", "--publish", "mqtt://h/n"}, "--replay is played locally"},
        {{"--replay", "c.cwcap", "--key-file", "k"}, "--replay is played locally"},
        {{"--port", "/dev/ttyUSB0", "--key-file", "k"}, "--key-file goes only with"},
        {{"--port", "mqtt://h/n", "--key-file", "k", "--key-file", "k"}, "more than once"},
        {{"--port", "mqtt://alice:pa/ss@h/n"}, "a password never goes in the address"},
        {{"--port", "mqtt://h/#"}, "with --influx or --metrics"},
        {{"--port", "mqtt://h/#", "--metrics", "9101", "--serve", "8080"}, "without --out"},
        {{"--port", "a", "--metrics", "99999"}, "--metrics: '99999' is no port"},
        {{"--port", "a", "--metrics", "nowhere:9100"}, "--metrics: 'nowhere' is no IP address"},
        {{"--port", "a", "--metrics", "1", "--metrics", "2"}, "--metrics is given more than once"},
        {{"--port", "a", "--influx-auth", "t"}, "--influx-auth goes only with --influx"},
        {{"--port", "a", "--influx", "http://db/query?db=x"},
         "--influx: http://db/query?db=x is no"},
        {{"--port", "a", "--influx", "http://u:pa/ss@db/write?db=x"}, "--influx-auth"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(shown(c.arguments));
        try {
            parseArguments(args(c.arguments));
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(c.says), std::string::npos) << text;
            EXPECT_EQ(text.find('\n'), std::string::npos) << text;
            EXPECT_EQ(text.find("pa/ss"), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace cellwatch::logger
