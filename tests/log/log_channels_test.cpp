// The log of a charger of several channels, in-process on a charger of two
// channels fed by hand: every channel's lines marked, one channel alone, or
// each channel in an output of its own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "session/fed_source.h"
#include "tests/session/pair_driver.h"
#include "tests/support/memory_stream.h"
#include "tests/support/text_file.h"
#include "tools/log/command_line.h"
#include "tools/log/log_session.h"

namespace cellwatch::logger {
namespace {

using cellwatch::testing::MemoryStream;
using cellwatch::testing::splitLines;

// The lines' starts only (the channel, a row's time, an alarm's kind): the
// rows' texts are the table's, tested elsewhere.
std::vector<std::string> starts(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : splitLines(text)) {
        const std::size_t from = line.size() > 1 && line[1] == '\t' ? 2 : 0;
        const std::string rest = line.substr(from);
        const std::size_t cut = rest.find(rest.starts_with("# alarm") ? ':' : '\t');
        out.push_back(line.substr(0, from) + rest.substr(0, cut));
    }
    return out;
}

TEST(LogChannels, EachChannelsLinesAsAskedFor) {
    enum class Mode { Marked, Only2, Split, Only3 };
    struct Case {
        const char* name;
        Mode mode;
        std::vector<std::string> main;
        std::vector<std::string> second;  // the output of channel 2's own
        int status;
        std::vector<std::string> notices;
    };
    // On standard error, whatever the output.
    const std::vector<std::string> kAlarmsNamed = {
        "channel 2: alarm cell-high: Cell 1 at 4.30 V (limit 4.25 V)",
        "channel 1: alarm lost: Link lost during the charge, last row at 0:00:02: gone",
        "channel 2: alarm lost: Link lost during the charge, last row at 0:00:02: gone"};
    const Case cases[] = {
        {"marked",
         Mode::Marked,
         {"Channel", "1\t0:00:01", "2\t0:00:01", "1\t0:00:02", "2\t0:00:02", "2\t# alarm cell-high",
          "1\t# alarm lost", "2\t# alarm lost", "# lost"},
         {},
         kExitLost,
         kAlarmsNamed},
        {"only channel 2",
         Mode::Only2,
         {"Time", "0:00:01", "0:00:02", "# alarm cell-high", "# alarm lost", "# lost"},
         {},
         kExitLost,
         {}},
        {"a file each",
         Mode::Split,
         {"Time", "0:00:01", "0:00:02", "# alarm lost", "# lost"},
         {"Time", "0:00:01", "0:00:02", "# alarm cell-high", "# alarm lost", "# lost"},
         kExitLost,
         kAlarmsNamed},
        {"no channel 3", Mode::Only3, {}, {}, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManualTickClock ticks(1000);
        ManualWallClock wall(QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12)));
        LogSession log(ticks, wall);
        log.session().setCharger(cellwatch::testing::pairDriverEntry());
        int status = -1;
        std::vector<std::string> notices;
        QObject::connect(&log, &LogSession::finished, [&](int s) { status = s; });
        QObject::connect(&log, &LogSession::notice,
                         [&](const QString& text) { notices.push_back(text.toStdString()); });
        MemoryStream main;
        std::map<int, std::unique_ptr<MemoryStream>> others;
        if (c.mode == Mode::Split) {
            log.setChannelOutputs([&](int channel, QString&) {
                return (others[channel] = std::make_unique<MemoryStream>())->file();
            });
        }
        log.onlyChannel(c.mode == Mode::Only2 ? 2 : c.mode == Mode::Only3 ? 3 : 0);
        if (log.start(main.file())) {
            log.session().open(std::make_unique<session::FedSource>(QStringLiteral("charger")));
            for (const std::string lines :
                 {"1,11.10,1.50,10\n2,7.40,0.80,5\n", "1,11.20,1.50,20\n2,7.50,0.80,6,4.30\n"}) {
                ticks.advance(1000);
                wall.advance(1000);
                log.session().take(
                    {reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()});
            }
            log.session().sourceEvents().lost(QStringLiteral("gone"));
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(starts(main.text()), c.main);
        EXPECT_EQ(others.size(), c.second.empty() ? 0u : 1u);
        if (!c.second.empty() && others.count(2) == 1) {
            EXPECT_EQ(starts(others[2]->text()), c.second);
        }
        EXPECT_EQ(notices, c.notices);
        if (c.mode == Mode::Only3) {
            EXPECT_EQ(log.failure().toStdString(),
                      "--channel 3: the charger pair has 2 channel(s)");
        }
        log.stop();
    }
}

TEST(LogChannels, ChannelOptionTakesANumberFromOne) {
    const struct {
        QStringList arguments;
        int channel;  // -1: refused
    } cases[] = {
        {{"--port", "/dev/ttyUSB0", "--channel", "2"}, 2},
        {{"--port", "/dev/ttyUSB0", "--channel=1"}, 1},
        {{"--port", "/dev/ttyUSB0"}, 0},
        {{"--port", "/dev/ttyUSB0", "--channel", "0"}, -1},
        {{"--port", "/dev/ttyUSB0", "--channel", "two"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        if (c.channel < 0) {
            EXPECT_THROW(parseArguments(c.arguments), UsageError);
        } else {
            EXPECT_EQ(parseArguments(c.arguments).channel, c.channel);
        }
    }
}

}  // namespace
}  // namespace cellwatch::logger
