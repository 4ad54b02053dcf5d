// The tools over the charger drivers: captures of every emulator scenario,
// made and read before the drivers came in (tests/data/scenarios), still
// give the same (the log's rows of a replay, the dump's lines and summary of
// the captured bytes); --charger, --list-chargers and --frames as a user
// runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "serial/capture.h"
#include "tests/support/text_file.h"
#include "tests/support/tool_run.h"

namespace driver_tools {

namespace fs = std::filesystem;
using cellwatch::testing::readFile;
using cellwatch::testing::runShell;
using cellwatch::testing::ToolResult;

const std::string kToolsDir = CELLWATCH_TOOLS_DIR;
const fs::path kScenarioDir = fs::path(CELLWATCH_TEST_SOURCE_DIR) / "data" / "scenarios";

// The bytes of every record of a capture, joined, as a raw line file.
void writeRawBytes(const fs::path& capture, const fs::path& raw) {
    cellwatch::CaptureReader reader(capture.string());
    cellwatch::CaptureRecord record;
    std::ofstream out(raw, std::ios::binary);
    while (reader.next(record)) {
        out.write(reinterpret_cast<const char*>(record.bytes.data()),
                  static_cast<std::streamsize>(record.bytes.size()));
    }
}

TEST(ScenarioCaptures, ReplayAndDumpAsBeforeTheDrivers) {
    const fs::path dir =
        fs::temp_directory_path() / ("cellwatch-scenarios-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    int scenarios = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kScenarioDir)) {
        if (entry.path().extension() != ".cwcap") {
            continue;
        }
        ++scenarios;
        const fs::path capture = entry.path();
        const std::string name = capture.stem().string();
        SCOPED_TRACE(name);
        const fs::path out = dir / (name + ".out");
        const ToolResult log =
            runShell("TZ=UTC " + kToolsDir + "/cellwatch-log --replay '" + capture.string() +
                     "' --speed 0 --out '" + out.string() + "'");
        ASSERT_EQ(log.status, 0) << log.err;
        EXPECT_EQ(readFile(out), readFile(fs::path(kScenarioDir) / (name + ".out")));

        const fs::path raw = dir / (name + ".raw");
        writeRawBytes(capture, raw);
        const ToolResult dump = runShell(kToolsDir + "/cellwatch-dump '" + raw.string() + "'");
        ASSERT_EQ(dump.status, 0) << dump.err;
        EXPECT_EQ(dump.out + dump.err, readFile(fs::path(kScenarioDir) / (name + ".dump")));
    }
    EXPECT_EQ(scenarios, 17);
    fs::remove_all(dir);
}

TEST(ChargerOptions, EveryToolListsTheChargersAndRefusesAnUnknownOne) {
    for (const char* tool :
         {"cellwatch-dump", "cellwatch-log", "cellwatch-emulator", "cellwatch-report"}) {
        SCOPED_TRACE(tool);
        const ToolResult list = runShell(kToolsDir + "/" + tool + " --list-chargers");
        EXPECT_EQ(list.status, 0);
        // The built-in drivers first, then the package's described chargers.
        EXPECT_TRUE(list.out.starts_with("tkrx\tDorire\tTK series, RX series\n"
                                         "icharger\tJunsi\t308 DUO, 406 DUO, 4010 DUO, 456 DUO, X6, X8, X12, "
                                         "S6, DX6, DX8, DX12\nskyrc\tSkyRC\t"))
            << list.out;
        EXPECT_NE(list.out.find("\nopenformat\tOpenFormat\t"), std::string::npos) << list.out;
        const std::string operand = std::string(tool) == "cellwatch-log"      ? " --replay x.cwcap"
                                    : std::string(tool) == "cellwatch-report" ? " x.cwcap"
                                                                              : "";
        const ToolResult bad = runShell(kToolsDir + "/" + tool + " --charger nope" + operand);
        EXPECT_EQ(bad.status, 2);
        EXPECT_NE(bad.err.find("no charger nope; the chargers are: tkrx, icharger, skyrc, isdt"),
                  std::string::npos)
            << bad.err;
    }
}

// A capture names its charger's driver: one the program has no driver for
// is not decoded by another.
TEST(ChargerOptions, ACaptureOfAChargerWithoutADriverIsNotReplayed) {
    const fs::path dir =
        fs::temp_directory_path() / ("cellwatch-nodriver-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path capture = dir / "other.cwcap";
    {
        cellwatch::CaptureReader old((kScenarioDir / "lipo-charge.cwcap").string());
        cellwatch::CaptureStart start = old.start();
        start.driver = "nope";
        cellwatch::CaptureWriter writer(capture.string());
        writer.writeStart(start);
        for (cellwatch::CaptureRecord r; old.next(r);) {
            writer.writeRecord(r.wallMs, r.ticks, r.bytes);
        }
        writer.close();
    }
    const ToolResult log = runShell(kToolsDir + "/cellwatch-log --replay '" + capture.string() +
                                    "' --speed 0 --out '" + (dir / "out").string() + "'");
    EXPECT_NE(log.status, 0);
    EXPECT_NE(log.err.find("no driver for the charger nope (the chargers are: tkrx, icharger, skyrc, isdt, "),
              std::string::npos)
        << log.err;
    EXPECT_EQ(readFile(dir / "out").find("LiIo"), std::string::npos);
    fs::remove_all(dir);
}

// A capture's records written as a frames file (with a bad line and lines
// without times) give the dump, the log and the report what the capture
// gives them.
TEST(ChargerOptions, AFramesFileReadsAsTheCaptureOfItsMessages) {
    const fs::path dir =
        fs::temp_directory_path() / ("cellwatch-frames-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path capture = kScenarioDir / "lipo-charge.cwcap";
    const fs::path frames = dir / "lipo-charge.txt";
    {
        cellwatch::CaptureReader reader(capture.string());
        cellwatch::CaptureRecord record;
        std::ofstream out(frames);
        int n = 0;
        while (reader.next(record)) {
            // Every record is a message a second after the one before: the
            // first has a time, the others go without.
            if (n == 0) {
                out << "2025-02-27T12:00:01.000: ";
            }
            if (n == 3) {
                out << "not a frame\n";
            }
            char hex[4];
            for (std::uint8_t b : record.bytes) {
                std::snprintf(hex, sizeof hex, "%02x ", b);
                out << hex;
            }
            out << '\n';
            ++n;
        }
    }
    const ToolResult dump =
        runShell(kToolsDir + "/cellwatch-dump --frames '" + frames.string() + "'");
    EXPECT_EQ(dump.status, 0);
    const std::string expected = readFile(kScenarioDir / "lipo-charge.dump");
    EXPECT_EQ(dump.out, expected.substr(0, expected.rfind("cellwatch-dump:")));
    EXPECT_NE(dump.err.find("1 bad line in " + frames.string() + " (line 4) was skipped"),
              std::string::npos)
        << dump.err;

    const fs::path out = dir / "log.out";
    const ToolResult log = runShell("TZ=UTC " + kToolsDir + "/cellwatch-log --frames '" +
                                    frames.string() + "' --speed 0 --out '" + out.string() + "'");
    EXPECT_EQ(log.status, 0) << log.err;
    EXPECT_EQ(readFile(out), readFile(kScenarioDir / "lipo-charge.out"));

    const ToolResult fromFrames = runShell(
        "TZ=UTC " + kToolsDir + "/cellwatch-report --json --frames '" + frames.string() + "'");
    const ToolResult fromCapture =
        runShell("TZ=UTC " + kToolsDir + "/cellwatch-report --json '" + capture.string() + "'");
    EXPECT_EQ(fromFrames.status, 0) << fromFrames.err;
    EXPECT_EQ(fromCapture.status, 0) << fromCapture.err;
    EXPECT_NE(fromFrames.out.find("\"rows\""), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace driver_tools
