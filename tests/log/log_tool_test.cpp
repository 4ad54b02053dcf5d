// The built cellwatch-log as a user runs it: on a pseudo-terminal that the
// emulator writes, with its output read through a pipe or a file, its exit
// status and its error line; and a capture of a live run played back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "log_test_support.h"
#include "protocol/receive_assembler.h"
#include "readout/journal.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "serial/serial_link.h"
#include "tests/support/journal_text.h"
#include "tools/log/command_line.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;
namespace fs = std::filesystem;

class LogToolTest : public ::testing::Test {
protected:
    std::string port() const { return pty->slavePath(); }
    void send(const emu::ChargerReading& reading) {
        writeAll(pty->masterFd(), emu::encodeStatus(reading, FrameLayout::Long112));
    }

    // A data folder of this test's own, which the logs started from now on
    // inherit; the recordings folder in it.
    QString ownDataFolder() {
        dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/data")));
        return scratch.path() + QStringLiteral("/data/cellwatch/recordings");
    }
    void TearDown() override {
        if (dataHome) {
            qputenv("XDG_DATA_HOME", *dataHome);
        }
    }
    // A capture the emulator wrote of `messages` of a LiPo charge from `startMs` on.
    std::string scenarioCapture(const char* name, int messages, std::int64_t startMs) {
        emu::ScenarioOptions scenario;
        scenario.names = {"lipo-charge"};
        scenario.messages = messages;
        const std::string capture = (dir / name).string();
        emu::writeCaptureOfSteps(emu::buildScenario(scenario), emu::PacingOptions{}, {startMs, 0},
                                 capture);
        return capture;
    }
    // Runs the log with `args` under a file-size limit of `bytes`.
    static std::unique_ptr<ToolRun> limitedTo(rlim_t bytes, const std::vector<std::string>& args) {
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);  // the tool takes it with it
        auto run = std::make_unique<ToolRun>(args);
        ::setrlimit(RLIMIT_FSIZE, &old);
        return run;
    }

    QTemporaryDir scratch;
    fs::path dir = scratch.path().toStdString();
    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
    std::optional<QByteArray> dataHome;
};

// A command line that cannot be carried out: one error line that says why,
// nothing on standard output, status 2 for a misuse and 1 for a file or port
// that cannot be used; an output file from before is left alone. A FIFO
// where a file is meant is refused at once, saying what it is, and not
// waited on until some other program opens its other end.
TEST_F(LogToolTest, WhatCannotBeDoneIsOneLineWithItsStatus) {
    const std::string folder = dir.string();
    const fs::path earlier = dir / "earlier.tsv";
    std::ofstream(earlier) << "a log from before\n";
    std::ofstream(dir / "log.tsv") << kHeaderLine << '\n';
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string isFifo = ": it is a FIFO, not a regular file";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string says;
    } cases[] = {
        {{"--port", port(), "--bogus"}, kExitUsage, "unknown option --bogus"},
        // The port is named: one the serial layer cannot open, and a path that names no device.
        {{"--port", folder + "/ttyUSB0", "--out", earlier.string()},
         kExitFailure,
         folder + "/ttyUSB0: No such file or directory"},
        {{"--port", folder + "/charger"},
         kExitFailure,
         folder + "/charger: No such file or directory"},
        {{"--port", "charger"}, kExitFailure, "\"charger\" does not name a serial port"},
        {{"--port", port(), "--out", folder + "/missing/log.tsv"},
         kExitFailure,
         "cannot write " + folder + "/missing/log.tsv: "},
        {{"--port", port(), "--out", folder}, kExitFailure, "cannot write " + folder + ": "},
        {{"--port", port(), "--capture", folder + "/no/run.cwcap"},
         kExitFailure,
         "cannot write " + folder + "/no/run.cwcap"},
        {{"--replay", folder + "/log.tsv"}, kExitFailure, "log.tsv is not a Cellwatch capture"},
        {{"--replay", fifo, "--speed", "0"}, kExitFailure, "cannot read " + fifo + isFifo},
        {{"--port", port(), "--out", fifo}, kExitFailure, "cannot write " + fifo + isFifo},
        {{"--port", port(), "--capture", fifo}, kExitFailure, "cannot write " + fifo + isFifo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ToolRun run(c.arguments);
        EXPECT_EQ(run.wait(), c.status);
        EXPECT_TRUE(run.out().empty()) << run.out();
        const auto err = splitLines(run.err());
        ASSERT_EQ(err.size(), 1u) << run.err();
        EXPECT_EQ(err[0].rfind("cellwatch-log: ", 0), 0u) << err[0];
        EXPECT_NE(err[0].find(c.says), std::string::npos) << err[0];
    }
    EXPECT_EQ(readFile(earlier), "a log from before\n");
}

// Rows go to a pipe or a file, each flushed at once, until the adapter is
// pulled ("# lost", its own status and one error line) or a signal ends the
// log (status 0, nothing said).
TEST_F(LogToolTest, RowsFollowTheSamplesUntilThePortIsLostOrASignalEndsTheLog) {
    constexpr int kPulled = 0;
    for (const int ending : {kPulled, SIGTERM, SIGINT}) {
        SCOPED_TRACE(ending);
        const bool toFile = ending != kPulled;
        const fs::path out = dir / ("log-" + std::to_string(ending) + ".tsv");
        ToolRun run(toFile ? std::vector<std::string>{"--port", port(), "--out", out.string()}
                           : std::vector<std::string>{"--port", port()});
        const auto lines = [&] { return toFile ? splitLines(readFile(out)) : run.outLines(); };
        const auto holds = [&](std::size_t count) {
            for (int tries = 0; lines().size() < count && tries < 500; ++tries) {
                run.waitForLines(count, 10);
            }
            return lines().size() == count;
        };
        std::vector<std::string> meant{kHeaderLine};
        for (int n = 1; n <= 3; ++n) {
            ASSERT_TRUE(holds(meant.size())) << run.err();
            send(charging(n));
            meant.push_back(expectedRow(charging(n), FrameLayout::Long112, ""));
        }
        ASSERT_TRUE(holds(meant.size())) << run.err();
        if (toFile) {
            run.signal(ending);
            EXPECT_EQ(run.wait(), kExitOk);
            EXPECT_TRUE(run.err().empty()) << run.err();
            EXPECT_TRUE(run.out().empty());
        } else {
            const std::string lostPort = port();
            pty.reset();  // the adapter is pulled
            EXPECT_EQ(run.wait(), kExitLost);
            const std::vector<std::string> all = run.outLines();
            ASSERT_GE(all.size(), 2u);
            EXPECT_EQ(all.back(), "# lost");
            // The rows make a charge: its loss is an alarm too.
            EXPECT_TRUE(all[all.size() - 2].starts_with(
                "# alarm lost: Link lost during the charge, last row at "))
                << all[all.size() - 2];
            meant.push_back(all[all.size() - 2]);
            meant.push_back("# lost");
            const auto err = splitLines(run.err());
            ASSERT_EQ(err.size(), 1u) << run.err();
            EXPECT_EQ(err[0],
                      "cellwatch-log: lost the port " + lostPort + ": the device went away");
            pty = std::make_unique<emu::PseudoTerminal>();
        }
        const std::string text = toFile ? readFile(out) : run.out();
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        const auto got = splitLines(text);
        ASSERT_EQ(got.size(), meant.size()) << text;
        EXPECT_EQ(got[0], kHeaderLine);
        EXPECT_EQ(got[1].substr(0, 8), "0:00:01\t");
        for (std::size_t i = 1; i < meant.size(); ++i) {
            EXPECT_EQ(withoutTime(got[i]), withoutTime(meant[i])) << "line " << i;
        }
    }
}

// Each recording also goes to the recordings folder the window lists, with
// its rows and its alarms, `lost` included; --no-journal leaves it out.
TEST_F(LogToolTest, EachRecordingIsKeptWhereTheWindowListsRecordings) {
    const QString folder = ownDataFolder();
    const auto journals = [&] {
        std::vector<std::string> paths;
        for (const JournalInfo& info : listJournals(folder)) {
            paths.push_back(info.path.toStdString());
        }
        return paths;
    };
    for (const bool kept : {true, false}) {
        SCOPED_TRACE(kept ? "kept" : "--no-journal");
        const std::vector<std::string> before = journals();
        std::vector<std::string> args{"--port", port()};
        if (!kept) {
            args.push_back("--no-journal");
        }
        const std::string logged = port();
        ToolRun run(args);
        ASSERT_TRUE(run.waitForLines(1)) << run.err();
        for (int n = 1; n <= 3; ++n) {
            send(charging(n));
            ASSERT_TRUE(run.waitForLines(static_cast<std::size_t>(n) + 1)) << run.err();
        }
        pty.reset();  // the adapter is pulled
        EXPECT_EQ(run.wait(), kExitLost);
        pty = std::make_unique<emu::PseudoTerminal>();

        std::vector<std::string> added;
        for (const std::string& path : journals()) {
            if (std::find(before.begin(), before.end(), path) == before.end()) {
                added.push_back(path);
            }
        }
        if (!kept) {
            EXPECT_TRUE(added.empty());
            continue;
        }
        ASSERT_EQ(added.size(), 1u) << run.err();
        const std::vector<JournalInfo> infos = listJournals(folder);
        const auto info = std::find_if(infos.begin(), infos.end(), [&](const JournalInfo& i) {
            return i.path.toStdString() == added[0];
        });
        ASSERT_NE(info, infos.end());
        EXPECT_EQ(info->rowCount, 3);
        EXPECT_EQ(info->port.toStdString(), logged);
        RecordingFile file;
        ASSERT_TRUE(file.read(QString::fromStdString(added[0])));
        ASSERT_EQ(file.alarms().size(), 1u);
        EXPECT_EQ(file.alarms()[0].kind, QStringLiteral("lost"));
        EXPECT_EQ(file.alarms()[0].afterRows, 3u);
    }
}

// A port behind a udev alias or the emulator's --link (a name without
// digits) is logged; standard output by name, and the null device, are
// outputs as good as a file.
TEST_F(LogToolTest, AnAliasedPortAndTheStandardOutputsTakeTheLog) {
    const fs::path alias = dir / "charger";
    fs::create_symlink(port(), alias);
    const struct {
        std::vector<std::string> arguments;
        bool rowOnStandardOutput;
    } cases[] = {
        {{"--port", alias.string()}, true},
        {{"--port", port(), "--out", "/dev/stdout"}, true},
        {{"--port", port(), "--out", "/dev/null"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        ToolRun run(c.arguments);
        if (c.rowOnStandardOutput) {
            ASSERT_TRUE(run.waitForLines(1)) << run.err();  // the port is open
        }
        send(charging(1));
        if (c.rowOnStandardOutput) {
            ASSERT_TRUE(run.waitForLines(2)) << run.err();
            EXPECT_EQ(run.outLines()[0], kHeaderLine);
            EXPECT_EQ(withoutTime(run.outLines()[1]),
                      withoutTime(expectedRow(charging(1), FrameLayout::Long112, "")));
        } else {
            for (int tries = 0; !pty->listenerPresent() && tries < 500; ++tries) {
                run.waitForLines(1, 10);
            }
        }
        run.signal(SIGTERM);
        EXPECT_EQ(run.wait(), kExitOk);
        EXPECT_TRUE(run.err().empty()) << run.err();
    }
}

// Ctrl-C and SIGTERM end the log even while its output takes nothing (a
// reader that does not read): status 0, as for any log ended so.
TEST_F(LogToolTest, SignalEndsTheLogWhileItsOutputTakesNothing) {
    // A FIFO filled up, that nobody reads, as standard output: the header line has to wait.
    const std::string fifo = (dir / "out").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int filler = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ASSERT_GE(filler, 0);
    const std::vector<char> bytes(4096, 'x');
    while (::write(filler, bytes.data(), bytes.size()) > 0) {
    }
    while (::write(filler, bytes.data(), 1) > 0) {
    }
    for (const int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        ToolRun run({"--port", port()}, fifo);
        // The port is open once the signals are caught; the header waits then.
        for (int tries = 0; !pty->listenerPresent() && tries < 2000; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        run.signal(sig);
        EXPECT_EQ(run.wait(10'000), kExitOk) << "the log did not end";
        EXPECT_TRUE(run.err().empty()) << run.err();
    }
    ::close(filler);
    ::close(reader);
}

// The eventful run: its idle and restart events come back alike.
TEST_F(LogToolTest, ReplayedCaptureGivesExactlyTheLinesOfTheLiveRun) {
    const std::string capture = (dir / "run.cwcap").string();
    ToolRun live({"--port", port(), "--capture", capture});
    ASSERT_TRUE(live.waitForLines(1)) << live.err();

    ASSERT_TRUE(playEventfulRun(pty->masterFd(), 4));
    live.waitForLines(1000, 400);  // the last bytes are worked off
    live.signal(SIGTERM);
    ASSERT_EQ(live.wait(), kExitOk) << live.err();
    const auto lines = live.outLines();
    for (const char* event : {"# idle", "# restart"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), event), lines.end()) << live.out();
    }
    ASSERT_GE(lines.size(), 10u) << live.out();

    ToolRun replay({"--replay", capture, "--speed", "0"});
    EXPECT_EQ(replay.wait(), kExitOk);
    EXPECT_EQ(replay.out(), live.out());
    EXPECT_TRUE(replay.err().empty()) << replay.err();

    // Killed while writing: the replay stops before the cut-off record.
    fs::resize_file(capture, fs::file_size(capture) - 3);
    ToolRun cut({"--replay", capture, "--speed=0"});
    EXPECT_EQ(cut.wait(), kExitOk);
    const auto cutLines = cut.outLines();
    ASSERT_FALSE(cutLines.empty());
    EXPECT_LE(cutLines.size(), lines.size());
    EXPECT_TRUE(std::equal(cutLines.begin(), cutLines.end(), lines.begin()));
    EXPECT_NE(cut.err().find("cut off"), std::string::npos) << cut.err();
}

// A capture the emulator wrote for a run of an hour, replayed as fast as it
// goes with --journal, is kept among the recordings on its own clocks: the
// journal is named by the capture's start and its rows span the hour.
TEST_F(LogToolTest, AReplayWithJournalIsKeptOnTheCapturesClocks) {
    const QString folder = ownDataFolder();
    const QDateTime start(QDate(2026, 11, 20), QTime(18, 0), Qt::UTC);
    // One message a second: the run lasts an hour.
    const std::string capture = scenarioCapture("hour.cwcap", 3601, start.toMSecsSinceEpoch());

    ToolRun plain({"--replay", capture, "--speed", "0"});
    EXPECT_EQ(plain.wait(), kExitOk) << plain.err();
    EXPECT_TRUE(listJournals(folder).empty());

    ToolRun kept({"--replay", capture, "--speed", "0", "--journal"});
    EXPECT_EQ(kept.wait(), kExitOk) << kept.err();
    const std::vector<JournalInfo> journals = listJournals(folder);
    ASSERT_EQ(journals.size(), 1u) << kept.err();
    // The last 76-byte message is framed only by a next one, which never comes.
    EXPECT_EQ(journals[0].rowCount, 3600);
    EXPECT_EQ(journals[0].start.toUTC(), start);
    EXPECT_EQ(journals[0].durationSeconds, 3600);  // the rows' elapsed time counts from 1
    EXPECT_EQ(kept.out(), plain.out());

    // Filed under a pack the folder knows (a LiFe 6S from an older pack
    // file): the journal gets its pack file, the 4-cell charge is said at
    // once not to be the pack's, and the LiFe limit (3.70 V) rules cell-high.
    PackInfo known{QStringLiteral("Race 6S"), QStringLiteral("old note"), PackChemistry::LiFe, 6};
    const QString older = folder + QStringLiteral("/cellwatch-20261101-090000.csv");
    testing::writeFile(older, "");
    ASSERT_TRUE(writePackInfo(older, known));
    ToolRun packed({"--replay", capture, "--speed", "0", "--journal", "--pack", "Race 6S"});
    EXPECT_EQ(packed.wait(), kExitOk) << packed.err();
    EXPECT_NE(packed.err().find("This recording has 4 cells; pack \"Race 6S\" has 6"),
              std::string::npos)
        << packed.err();
    EXPECT_NE(packed.out().find("# alarm cell-high: "), std::string::npos);
    EXPECT_EQ(plain.out().find("# alarm cell-high: "), std::string::npos);
    std::vector<JournalInfo> after = listJournals(folder);
    std::erase_if(after, [&](const JournalInfo& j) {
        return j.path == older ||
               std::any_of(journals.begin(), journals.end(),
                           [&](const JournalInfo& k) { return k.path == j.path; });
    });
    ASSERT_EQ(after.size(), 1u);
    PackInfo expected = known;
    expected.note.clear();  // the note is a recording's own
    EXPECT_EQ(readPackInfo(after[0].path), expected);
}

// Under a file-size limit (ulimit -f) a write fails as on a full disk: the
// log is not killed, says so once for the journal and once for its output,
// and both end on a whole row; what it could not write it says at the end.
TEST_F(LogToolTest, AFileSizeLimitIsAFullDiskNotADeath) {
    const QString folder = ownDataFolder();
    const std::string capture =
        scenarioCapture("run.cwcap", 2000,
                        QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch());
    const std::string out = (dir / "out.tsv").string();
    const auto limited =
        limitedTo(64 * 1024, {"--replay", capture, "--speed", "0", "--journal", "--out", out});
    ToolRun& run = *limited;
    EXPECT_EQ(run.wait(30000), kExitFailure) << run.err();
    const std::vector<std::string> errors = splitLines(run.err());
    ASSERT_EQ(errors.size(), 3u) << run.err();
    EXPECT_NE(errors[0].find("the journal stopped: "), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("File too large"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1],
              "cellwatch-log: cannot write the log: File too large; its lines wait and "
              "are written when there is room");
    EXPECT_TRUE(
        errors[2].ends_with("lines of the log could not be written to " + out + ": File too large"))
        << errors[2];
    const std::string written = readFile(out);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\n');
    const std::vector<JournalInfo> journals = listJournals(folder);
    ASSERT_EQ(journals.size(), 1u);
    const std::string journal = readFile(journals[0].path.toStdString());
    EXPECT_TRUE(journal.ends_with("\r\n") || journal.ends_with("\n"));
    EXPECT_GT(journals[0].rowCount, 100);
}

// A write that fails names its cause: standard output on a full device, and
// a pack file under a file-size limit of nothing (it once left an empty pack
// file behind without a word).
TEST_F(LogToolTest, AFailedWriteNamesItsCause) {
    const QDir folder(ownDataFolder());
    const std::string capture = scenarioCapture("short.cwcap", 20, 0);

    ToolRun full({"--replay", capture, "--speed", "0"}, "/dev/full");
    EXPECT_EQ(full.wait(), kExitFailure) << full.err();
    EXPECT_NE(full.err().find("could not be written to standard output: No space left on device"),
              std::string::npos)
        << full.err();

    const auto limited =
        limitedTo(0, {"--replay", capture, "--speed", "0", "--journal", "--pack", "P1"});
    ToolRun& packed = *limited;
    EXPECT_EQ(packed.wait(), kExitOk) << packed.err();
    EXPECT_NE(packed.err().find("the pack file could not be written: File too large"),
              std::string::npos)
        << packed.err();
    EXPECT_TRUE(folder.entryList({QStringLiteral("*.pack.json")}, QDir::Files).isEmpty());
}

// The signals reach the event loop: SIGUSR1 gives the page a new address,
// SIGTERM ends the log cleanly.
TEST(LogSignals, RenewThenStop) {
    emu::PseudoTerminal pty;
    ToolRun run({"--port", pty.slavePath(), "--no-journal", "--serve", "0"});
    ASSERT_TRUE(run.waitForError("page at ")) << run.err();
    ASSERT_TRUE(run.waitForLines(1)) << run.err();
    run.signal(SIGUSR1);
    const auto pages = [&] {
        run.waitForError("\x01", 20);  // collects what came meanwhile
        std::vector<std::string> lines = splitLines(run.err());
        std::erase_if(lines, [](const std::string& l) { return l.find("page at ") == l.npos; });
        return lines;
    };
    ASSERT_TRUE(waitUntil([&] { return pages().size() == 2; })) << run.err();
    EXPECT_NE(pages()[0], pages()[1]);
    run.signal(SIGTERM);
    EXPECT_EQ(run.wait(), kExitOk) << run.err();
}

}  // namespace
}  // namespace cellwatch::logger
