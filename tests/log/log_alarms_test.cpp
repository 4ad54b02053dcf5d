// Alarms in cellwatch-log: the emulator's alarm scenarios go through a real
// pseudo-terminal and the whole receive chain on a tick clock set by hand,
// and the '# alarm' lines must stand after the right rows, once each. The
// built tool then runs its --on-alarm command with the three variables
// while it goes on logging.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log_test_support.h"
#include "tools/log/alarm_command.h"
#include "tools/log/command_line.h"
#include "tools/log/log_session.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
namespace fs = std::filesystem;

class LogAlarmsTest : public SessionTest {
protected:
    // Plays the steps, one message a second; a silence moves the clock on
    // and lets the session's alarm clock look at it.
    void play(const std::vector<emu::Step>& steps) {
        for (const emu::Step& step : steps) {
            if (step.kind == emu::Step::Kind::Silence) {
                now += step.ms;
                ticks.set(kBegin + now);
                session.session().tickAlarms();  // what the alarm clock does
                continue;
            }
            now += 1000;
            const std::size_t before = lines().size();
            sendAt(now, framed(emu::encodeStep(step)));
            if (step.reading.mode != emu::Mode::Idle) {
                ASSERT_TRUE(waitUntil([&] { return lines().size() > before; })) << "at " << now;
            } else {
                // An idle message adds no row: give it time to be taken.
                waitUntil([] { return false; }, 30);
            }
        }
        waitUntil([] { return false; }, 50);
    }

    std::vector<emu::Step> scenario(const char* name) {
        emu::ScenarioOptions o;
        o.names = {name};
        return emu::buildScenario(o);
    }

    std::uint32_t now = 0;
};

// An alarm scenario raises its alarm once, right after the row (by its
// time) that raised it; or, for the time rules, after the last row. (The
// other value rules' texts are the rules' own; their line is placed alike.)
TEST_F(LogAlarmsTest, EachScenarioRaisesItsAlarmOnceAfterTheRightRow) {
    const struct {
        const char* scenario;
        const char* after;  // the time column of the row before the alarm line
        const char* line;
        int wavers = 0;  // at least this often the last cell changes after the alarm
    } cases[] = {
        {"alarm-cell-high", "0:00:12", "# alarm cell-high: Cell 3 at 4.26 V (limit 4.25 V)"},
        // The spread then wavers between 0.10 and 0.11 V for a minute: once.
        {"alarm-spread", "0:01:08",
         "# alarm cell-spread: Cells 0.11 V apart: cell 1 at 4.00 V, cell 4 at 3.89 V (limit "
         "0.10 V)",
         20},
        {"alarm-finished", "0:00:15",
         "# alarm finished: The charge finished after 0:00:15 (no charging or discharging for "
         "10 s)"},
        {"alarm-stalled", "0:00:15",
         "# alarm stalled: No new row for 30 s while the charge was running (last row at "
         "0:00:15)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        TearDown();
        pty = std::make_unique<emu::PseudoTerminal>();
        out = std::make_unique<MemoryStream>();
        now = 0;
        ticks.set(kBegin);
        SetUp();
        ASSERT_TRUE(session.start(out->file()));
        play(scenario(c.scenario));
        const std::vector<std::string> all = lines();
        std::vector<std::size_t> alarmAt;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].starts_with("# alarm")) {
                alarmAt.push_back(i);
            }
        }
        ASSERT_EQ(alarmAt.size(), 1u);
        EXPECT_EQ(all[alarmAt[0]], c.line);
        EXPECT_TRUE(all[alarmAt[0] - 1].starts_with(std::string(c.after) + "\t"))
            << all[alarmAt[0] - 1];
        int wavers = 0;
        for (std::size_t i = alarmAt[0] + 2; i < all.size(); ++i) {
            const auto lastCell = [](const std::string& row) {
                return row.substr(row.rfind("\t3.") + 1, 4);
            };
            wavers += lastCell(all[i]) != lastCell(all[i - 1]) ? 1 : 0;
        }
        EXPECT_GE(wavers, c.wavers) << "the scenario no longer wavers";
    }
}

// The port going away with rows recorded raises lost before '# lost'; rules
// turned off or given other limits on the command line are heeded.
TEST_F(LogAlarmsTest, LostAndTheCommandLineSettings) {
    const LogOptions options =
        parseArguments({"--port", "x", "--alarm", "cell-high=4.28", "--no-alarm", "input-low"});
    session.setAlarmSettings(options.alarms);
    ASSERT_TRUE(session.start(out->file()));
    play(scenario("alarm-cell-high"));
    emu::ScenarioOptions sag;
    sag.names = {"alarm-input-low"};
    sag.messages = 15;
    std::vector<emu::Step> steps = emu::buildScenario(sag);
    play(steps);
    pty.reset();  // the adapter is pulled
    ASSERT_TRUE(waitUntil([&] { return !lines().empty() && lines().back() == "# lost"; }));
    std::vector<std::string> alarmLines;
    for (const std::string& line : lines()) {
        if (line.starts_with("# ")) {
            alarmLines.push_back(line);
        }
    }
    // cell 3 passes 4.28 V at 4.29 V; a restart after a pause is not here
    // (the two runs follow each other within a second).
    ASSERT_EQ(alarmLines.size(), 3u);
    EXPECT_EQ(alarmLines[0], "# alarm cell-high: Cell 3 at 4.29 V (limit 4.28 V)");
    EXPECT_EQ(alarmLines[2], "# lost");
    EXPECT_TRUE(
        alarmLines[1].starts_with("# alarm lost: Link lost during the charge, last row "
                                  "at 0:00:45"))
        << alarmLines[1];
}

// The built tool: --on-alarm runs its command for each alarm with the
// kind, text and port, never twice at once, without holding the log up; a
// failing command is one error line.
TEST(LogAlarmTool, OnAlarmCommandRunsBesideTheLog) {
    const QTemporaryDir folder;
    const fs::path dir = folder.path().toStdString();
    emu::PseudoTerminal pty;
    const std::string record = (dir / "alarms.txt").string();
    const std::string go = (dir / "go").string();
    const std::string busy = (dir / "busy").string();
    // Each run waits until the test lets it go, and notes whether another
    // one was running meanwhile.
    const std::string command = "if [ -e " + busy + " ]; then echo twice >> " + record +
                                "; fi; touch " + busy + "; while [ ! -e " + go +
                                " ]; do sleep 0.02; done; printf '%s|%s|%s\\n' "
                                "\"$CELLWATCH_ALARM\" \"$CELLWATCH_TEXT\" \"$CELLWATCH_PORT\" >> " +
                                record + "; rm " + busy + "; exit 3";
    ToolRun run({"--port", pty.slavePath(), "--on-alarm", command});
    ASSERT_TRUE(run.waitForLines(1));
    emu::ChargerReading r = charging(1);
    r.cells[0] = Decimal::fromHundredths(426);       // cell-high
    r.extTemperature = Decimal::fromInt(51);         // temperature
    r.inputVoltage = Decimal::fromHundredths(1099);  // input-low
    writeAll(pty.masterFd(), framed(emu::encodeStatus(r, FrameLayout::Short76)));
    // The row and three alarm lines, and the next row, come while the first
    // run still waits: the log does not wait for it.
    ASSERT_TRUE(run.waitForLines(5)) << run.out();
    writeAll(pty.masterFd(), framed(emu::encodeStatus(charging(2), FrameLayout::Short76)));
    ASSERT_TRUE(run.waitForLines(6)) << run.out();
    std::ofstream{go};
    // Three runs, one after the other.
    const auto runs = [&] { return splitLines(readFile(record)); };
    QElapsedTimer timer;
    timer.start();
    while (runs().size() < 3 && timer.elapsed() < 5000) {
        ::usleep(20000);
    }
    run.signal(SIGTERM);
    EXPECT_EQ(run.wait(), kExitOk);
    const std::vector<std::string> got = runs();
    ASSERT_EQ(got.size(), 3u);
    const std::vector<std::string> lines = run.outLines();
    EXPECT_EQ(got[0], "cell-high|" + lines[2].substr(std::string("# alarm cell-high: ").size()) +
                          "|" + pty.slavePath());
    EXPECT_TRUE(got[1].starts_with("temperature|External temperature 51 °C")) << got[1];
    EXPECT_TRUE(got[2].starts_with("input-low|Input at 10.99 V")) << got[2];
    // One line per failed run.
    const std::vector<std::string> errors = splitLines(run.err());
    ASSERT_EQ(errors.size(), 3u) << run.err();
    EXPECT_EQ(errors[0],
              "cellwatch-log: the alarm command for cell-high failed with exit status 3");
}

// Nothing a command started lives on without a parent: not when the log
// gives up on a command that hangs as it ends, and not when the command
// ends at once and leaves something in the background.
TEST(LogAlarmTool, NothingACommandStartedOutlivesIt) {
    const QTemporaryDir folder;
    const std::string pidFile = (fs::path(folder.path().toStdString()) / "pid").string();
    for (const std::string end : {"wait", "exit 0"}) {
        std::remove(pidFile.c_str());
        emu::PseudoTerminal pty;
        ToolRun run({"--port", pty.slavePath(), "--on-alarm",
                     "sleep 1000 & echo $! > " + pidFile + "; " + end});
        ASSERT_TRUE(run.waitForLines(1));
        emu::ChargerReading r = charging(1);
        r.cells[0] = Decimal::fromHundredths(426);  // cell-high
        writeAll(pty.masterFd(), framed(emu::encodeStatus(r, FrameLayout::Short76)));
        writeAll(pty.masterFd(), framed(emu::encodeStatus(charging(2), FrameLayout::Short76)));
        QElapsedTimer timer;
        timer.start();
        while (readFile(pidFile).empty() && timer.elapsed() < 10000) {
            ::usleep(20000);
        }
        const int pid = std::atoi(readFile(pidFile).c_str());
        ASSERT_GT(pid, 0) << run.out();
        const auto alive = [pid] {  // a zombie no one reaps has ended too
            const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
            const std::size_t close = stat.rfind(')');
            return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
        };
        if (end == "wait") {
            EXPECT_TRUE(alive());
            run.signal(SIGTERM);
            EXPECT_EQ(run.wait(60000), kExitOk);  // after the few seconds the log gives it
            EXPECT_NE(run.err().find("the alarm command did not finish in time; stopped"),
                      std::string::npos)
                << run.err();
        }
        timer.restart();
        while (alive() && timer.elapsed() < 10000) {
            ::usleep(20000);
        }
        EXPECT_FALSE(alive()) << "the command's sleep " << pid << " lives on after " << end;
        if (end != "wait") {
            run.signal(SIGTERM);
            EXPECT_EQ(run.wait(60000), kExitOk);
        }
    }
}

// Alarms that come while a run goes wait one per kind: none is lost, a
// later one of a waiting kind takes its place and is counted.
TEST(LogAlarmCommand, AlarmsThatComeMeanwhileWaitOnePerKindAndAreCounted) {
    const QTemporaryDir folder;
    const fs::path dir = folder.path().toStdString();
    const std::string record = (dir / "runs.txt").string();
    const std::string go = (dir / "go").string();
    const QString command = QString::fromStdString(
        "while [ ! -e " + go + " ]; do sleep 0.02; done; echo \"$CELLWATCH_ALARM " +
        "$CELLWATCH_COUNT $CELLWATCH_TEXT\" >> " + record);
    QStringList complaints;
    AlarmCommand hook(command, QStringLiteral("port"),
                      [&](const QString& line) { complaints << line; });
    const char* kinds[] = {"cell-high", "temperature", "cell-spread"};
    for (int i = 0; i < 99; ++i) {
        hook.run(QString::fromLatin1(kinds[i % 3]), QStringLiteral("alarm %1").arg(i));
    }
    EXPECT_EQ(hook.waiting(), 3u);  // the first one runs
    std::ofstream{go};
    ASSERT_TRUE(waitUntil([&] { return splitLines(readFile(record)).size() == 4; }, 20000));
    EXPECT_EQ(splitLines(readFile(record)),
              (std::vector<std::string>{"cell-high 1 alarm 0", "temperature 33 alarm 97",
                                        "cell-spread 33 alarm 98", "cell-high 32 alarm 96"}));
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join(u'|').toStdString();
}

}  // namespace
}  // namespace cellwatch::logger
