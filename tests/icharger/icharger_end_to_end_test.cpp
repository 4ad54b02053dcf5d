// The iCharger driver end to end, as a user runs it: cellwatch-log polling
// over a pseudo-terminal the built emulator answers on, and the same
// against an independent Modbus slave (pymodbus) serving values the test
// chose, so that the emulator and the driver cannot share a misreading.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <map>
#include <string>
#include <vector>

#include "readout/journal.h"
#include "readout/recording_file.h"
#include "tests/support/tool_run.h"

namespace cellwatch {
namespace {

using testing::ToolRun;

const QString kTools = QStringLiteral(CELLWATCH_TOOLS_DIR);
const QString kEmulator = kTools + QStringLiteral("/cellwatch-emulator");
const QString kLog = kTools + QStringLiteral("/cellwatch-log");
const QString kReport = kTools + QStringLiteral("/cellwatch-report");
constexpr int kWaitMs = 30'000;  // for a positive event only

QStringList args(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* a : list) {
        out << QString::fromUtf8(a);
    }
    return out;
}

// cellwatch-log polling the iCharger on `port`, its rows to standard output.
QStringList logOn(const QString& port, const QStringList& more = {}) {
    return QStringList{QStringLiteral("--port"),    port,
                       QStringLiteral("--charger"), QStringLiteral("icharger"),
                       QStringLiteral("--out"),     QStringLiteral("-")} +
           more;
}

// The log's rows as column name → text, without the header and comments.
std::vector<std::map<std::string, std::string>> rowsOf(const std::vector<std::string>& lines) {
    std::vector<std::map<std::string, std::string>> rows;
    std::vector<std::string> header;
    for (const std::string& line : lines) {
        // Comment lines, also those after a channel's number ("2\t# alarm ...").
        if (line.empty() || line[0] == '#' || line.find("\t#") == 1) {
            continue;
        }
        std::vector<std::string> cells;
        std::size_t from = 0;
        for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
            cells.push_back(line.substr(from, tab - from));
        }
        cells.push_back(line.substr(from));
        if (header.empty()) {
            header = cells;
            continue;
        }
        std::map<std::string, std::string> row;
        for (std::size_t k = 0; k < cells.size() && k < header.size(); ++k) {
            row[header[k]] = cells[k];
        }
        rows.push_back(row);
    }
    return rows;
}

// The first row whose state column reads `state`; empty when none.
std::map<std::string, std::string> rowIn(
    const std::vector<std::map<std::string, std::string>>& rows, const std::string& state) {
    for (const auto& row : rows) {
        if (row.count("+CHG/DIS-") != 0 && row.at("+CHG/DIS-") == state) {
            return row;
        }
    }
    return {};
}

TEST(IchargerEndToEnd, TheLogRecordsWhatTheEmulatedChargerSays) {
    struct Case {
        const char* what;
        QStringList emulator;
        std::size_t rows;
        std::map<std::string, std::map<std::string, std::string>> want;  // state → columns
        std::vector<std::string> absent;                                 // states never seen
    };
    const Case cases[] = {
        {"4010 DUO: both channels",
         args({"--charger", "icharger", "--model", "4010 DUO"}),
         6,
         {{"charge", {{"Curr(A)", "5.00"}, {"C4", "3.64"}, {"C6", "3.7"}, {"C7", "0"}}},
          {"discharge", {{"Curr(A)", "-2.00"}, {"C4", "3.95"}, {"C5", "0"}, {"Ext.Temp(℃)", ""}}}},
         {}},
        {"X6: one channel",
         args({"--charger", "icharger", "--model", "X6"}),
         4,
         {{"charge", {{"Curr(A)", "5.00"}, {"In.Volt(V)", "24.00"}}}},
         {"discharge"}},
        {"an error on channel 1",
         args({"--charger", "icharger", "--scenario", "error", "--error-after", "0"}),
         4,
         {{"temperature over", {{"Curr(A)", "0.00"}}}, {"discharge", {{"Curr(A)", "-2.00"}}}},
         {"charge"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ToolRun emulator(kEmulator, c.emulator);
        ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
        const QString pty = QString::fromStdString(emulator.outLines().at(0));
        ToolRun log(kLog, logOn(pty));
        ASSERT_TRUE(log.waitForLines(1 + c.rows, kWaitMs)) << log.err();
        log.signal(SIGTERM);
        EXPECT_EQ(log.wait(kWaitMs), 0) << log.err();
        const auto rows = rowsOf(log.outLines());
        for (const auto& [state, columns] : c.want) {
            const auto row = rowIn(rows, state);
            ASSERT_FALSE(row.empty()) << state << "\n" << log.out();
            for (const auto& [column, text] : columns) {
                EXPECT_EQ(row.at(column), text) << state << " " << column;
            }
        }
        for (const std::string& state : c.absent) {
            EXPECT_TRUE(rowIn(rows, state).empty()) << state << "\n" << log.out();
        }
    }
}

// The cells' resistance the charger reports goes into the journal at the
// charge's end (here the log's), and the pack's health shows it beside the
// estimated one.
TEST(IchargerEndToEnd, TheJournalKeepsTheReportedCellResistanceForThePacksHealth) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", dataHome); });
    const QString folder = dir.filePath(QStringLiteral("data/cellwatch/recordings"));

    ToolRun emulator(kEmulator, args({"--charger", "icharger", "--model", "X6"}));
    ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
    const QString pty = QString::fromStdString(emulator.outLines().at(0));
    ToolRun log(kLog, {QStringLiteral("--port"), pty, QStringLiteral("--charger"),
                       QStringLiteral("icharger"), QStringLiteral("--pack"),
                       QStringLiteral("Bench 6S"), QStringLiteral("--out"), QStringLiteral("-")});
    ASSERT_TRUE(log.waitForLines(1 + 3, kWaitMs)) << log.err();
    log.signal(SIGTERM);
    ASSERT_EQ(log.wait(kWaitMs), 0) << log.err();

    const std::vector<JournalInfo> journals = listJournals(folder);
    ASSERT_EQ(journals.size(), 1u);
    RecordingFile file;
    ASSERT_TRUE(file.read(journals[0].path));
    // Six cells at 3.0 mΩ but the weak fourth at 9.5, after the last row.
    const std::vector<double> cells{3, 3, 3, 9.5, 3, 3};
    ASSERT_EQ(file.resistanceNotes().size(), 1u);
    EXPECT_EQ(file.resistanceNotes()[0].cellMilliohms, cells);
    EXPECT_EQ(file.resistanceNotes()[0].afterRows, file.rowCount());

    ToolRun text(kReport, {QStringLiteral("--pack"), QStringLiteral("Bench 6S"), folder});
    ASSERT_EQ(text.wait(kWaitMs), 0) << text.err();
    EXPECT_NE(text.out().find("  reported by the charger 3.0 3.0 3.0 9.5 3.0 3.0\n"),
              std::string::npos)
        << text.out();
}

TEST(IchargerEndToEnd, AChargerThatStopsAnsweringIsALostLink) {
    ToolRun emulator(kEmulator, args({"--charger", "icharger", "--stop-after", "1"}));
    ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
    const QString pty = QString::fromStdString(emulator.outLines().at(0));
    ToolRun log(kLog, logOn(pty));
    EXPECT_EQ(log.wait(kWaitMs), 2);  // lost
    EXPECT_NE(log.err().find("the charger stopped answering"), std::string::npos) << log.err();
    const std::vector<std::string> lines = log.outLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "# lost");
    EXPECT_FALSE(rowIn(rowsOf(lines), "charge").empty()) << log.out();
}

TEST(IchargerEndToEnd, TheLogReadsAnIndependentModbusSlaveAsTheTestChoseIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString charger = dir.filePath(QStringLiteral("charger"));
    const QString host = dir.filePath(QStringLiteral("host"));
    ToolRun socat(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + charger,
                                            QStringLiteral("pty,raw,echo=0,link=") + host});
    const QDeadlineTimer deadline(kWaitMs);
    while (!(QFile::exists(charger) && QFile::exists(host)) && !deadline.hasExpired()) {
        QThread::msleep(10);
    }
    ASSERT_TRUE(QFile::exists(charger) && QFile::exists(host));

    // Channel 1 discharging 4 cells; channel 2 stopped by an error.
    const char* values = R"({"serial": "PYMB0001", "firmware": 123, "channels": [
        {"status": 1, "powerMw": 70001, "current10mA": -321, "inputMv": 12345,
         "packMv": 16789, "capacityMah": -1234, "intTemp": 301, "extTemp": -52,
         "cellsMv": [4197, 4198, 4199, 4195], "cellIr": [21, 22, 0, 35], "packIr": 80,
         "runStatus": 2},
        {"status": 2, "powerMw": 0, "current10mA": 0, "inputMv": 12345, "packMv": 8400,
         "capacityMah": 0, "intTemp": 310, "extTemp": 32767, "cellsMv": [4200, 4350],
         "runStatus": 7, "errorCode": 23}]})";
    ToolRun slave(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(CELLWATCH_TEST_SOURCE_DIR "/icharger/pymodbus_charger.py"),
                   charger, QString::fromUtf8(values)});
    ASSERT_TRUE(slave.waitForLines(1, kWaitMs)) << slave.err();

    ToolRun log(kLog, logOn(host));
    ASSERT_TRUE(log.waitForLines(1 + 4, kWaitMs)) << log.err() << slave.err();
    log.signal(SIGTERM);
    EXPECT_EQ(log.wait(kWaitMs), 0) << log.err();
    const auto rows = rowsOf(log.outLines());

    const std::map<std::string, std::map<std::string, std::string>> want = {
        {"discharge",
         {{"Curr(A)", "-3.21"},
          {"Bat.Volt(V)", "16.79"},
          {"In.Volt(V)", "12.35"},
          {"Cap(mAh)", "1234"},
          {"Power(W)", "70.00"},
          {"In.Temp(℃)", "30.1"},
          {"Ext.Temp(℃)", "-5.2"},
          {"C1", "4.197"},
          {"C4", "4.195"},
          {"C5", "0"}}},
        {"cell voltage over",
         {{"Curr(A)", "0.00"}, {"Bat.Volt(V)", "8.40"}, {"Ext.Temp(℃)", ""}, {"C2", "4.35"}}},
    };
    for (const auto& [state, columns] : want) {
        const auto row = rowIn(rows, state);
        ASSERT_FALSE(row.empty()) << state << "\n" << log.out();
        for (const auto& [column, text] : columns) {
            EXPECT_EQ(row.at(column), text) << state << " " << column;
        }
    }
}

// A capture of a polled charger (its answers, and the requests kept as
// sent) replays to the rows the live log wrote.
TEST(IchargerEndToEnd, ACaptureReplaysToTheSameRows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString capture = dir.filePath(QStringLiteral("duo.cwcap"));
    ToolRun emulator(kEmulator, args({"--charger", "icharger"}));
    ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
    ToolRun live(kLog, logOn(QString::fromStdString(emulator.outLines().at(0)),
                             {QStringLiteral("--capture"), capture}));
    ASSERT_TRUE(live.waitForLines(1 + 6, kWaitMs)) << live.err();
    live.signal(SIGTERM);
    ASSERT_EQ(live.wait(kWaitMs), 0) << live.err();
    const testing::ToolResult replay =
        testing::runTool(kLog, {QStringLiteral("--replay"), capture, QStringLiteral("--speed"),
                                QStringLiteral("0"), QStringLiteral("--out"), QStringLiteral("-")});
    EXPECT_EQ(replay.status, 0) << replay.err;
    // The same rows; their seconds may differ by one. The capture stamps the
    // answers as they are read and the live log takes its time a few
    // milliseconds apart, and a charger polled twice a second answers on the
    // half second, where the seconds shown round one way or the other.
    const auto withoutTime = [](const QString& out) {
        QStringList lines = out.split(u'\n');
        for (QString& line : lines) {
            QStringList fields = line.split(u'\t');
            if (fields.size() > 1) {
                fields[1].clear();  // Channel, Time, ...
            }
            line = fields.join(u'\t');
        }
        return lines;
    };
    EXPECT_EQ(withoutTime(QString::fromStdString(replay.out)),
              withoutTime(QString::fromStdString(live.out())));
}

}  // namespace
}  // namespace cellwatch
