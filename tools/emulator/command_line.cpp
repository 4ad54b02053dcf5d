#include "tools/emulator/command_line.h"
#include "drivers/described_chargers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "protocol/driver_registry.h"
#include "protocol/tkrx_driver.h"
#include "tools/emulator/answering_charger.h"

namespace cellwatch::emulator {
namespace {

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, Number lo, Number hi) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !(value >= lo && value <= hi)) {
        return std::nullopt;
    }
    return value;
}

// "YYYY-MM-DDTHH:MM:SS" as local time, in seconds since 1970-01-01 UTC.
std::optional<std::int64_t> parseLocalTime(const std::string& text) {
    std::tm tm{};
    char rest = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &rest) != 6) {
        return std::nullopt;
    }
    const std::tm given = tm;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // mktime normalises a 31 February: such a date is refused.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != given.tm_mday ||
        tm.tm_mon != given.tm_mon - 1 || given.tm_year < 1970) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(t);
}

// The names of a comma-separated list, or the first unknown name as error.
std::vector<std::string> parseScenarioList(std::string_view text, std::string& unknown) {
    const std::vector<std::string> known = scenarioNames();
    std::vector<std::string> names;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t comma = text.find(',', begin);
        std::string name(text.substr(begin, comma - begin));
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            unknown = name;
            return {};
        }
        names.push_back(std::move(name));
        if (comma == std::string_view::npos) {
            return names;
        }
        begin = comma + 1;
    }
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> args) {
    CommandLine cl;
    auto error = [](std::string message) { return ParsedCommandLine{std::nullopt, message}; };
    bool ptyGiven = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const std::string name(arg);
        auto flag = [&](bool& target) {
            if (inlineValue) {
                return false;
            }
            target = true;
            return true;
        };
        // The option's value: inline or the next argument.
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };

        if (name == "--help" || name == "-h") {
            if (!flag(cl.help)) {
                return error(name + " takes no value");
            }
            continue;
        }
        if (name == "--list-scenarios" || name == "--loop" || name == "--no-pacing" ||
            name == "--pty" || name == "--list-chargers") {
            bool on = false;
            if (!flag(on)) {
                return error(name + " takes no value");
            }
            if (name == "--list-scenarios") {
                cl.listScenarios = true;
            } else if (name == "--list-chargers") {
                cl.listChargers = true;
            } else if (name == "--loop") {
                cl.loop = true;
            } else if (name == "--no-pacing") {
                cl.pacing.paced = false;
            } else {
                ptyGiven = true;
            }
            continue;
        }

        const bool known = name == "--scenario" || name == "--layout" || name == "--cells" ||
                           name == "--capacity" || name == "--current" || name == "--messages" ||
                           name == "--interval-ms" || name == "--sim-seconds" || name == "--seed" ||
                           name == "--output" || name == "--link" || name == "--expect" ||
                           name == "--resistance" || name == "--weak-cell" ||
                           name == "--weak-cell-capacity" || name == "--weak-cell-resistance" ||
                           name == "--capture" || name == "--start" || name == "--charger" ||
                           name == "--model";
        if (!known) {
            return error("unknown option '" + std::string(args[i]) + "'");
        }
        const auto v = value();
        if (!v) {
            return error(name + " needs a value");
        }
        const std::string text(*v);
        if (name == "--charger") {
            if (findDriver(text) == nullptr) {
                return error("no charger " + text + "; the chargers are: " + driverIdsText());
            }
            if (text != kFirstDriverId && !answersRequests(text) && !describedCharger(text)) {
                return error("the emulator does not play the " + text + " chargers");
            }
            cl.charger = text;
            continue;
        }
        if (name == "--model") {
            cl.model = text;
            continue;
        }
        auto bad = [&](const char* expected) {
            return error("bad value '" + text + "' for " + name + " (" + expected + ")");
        };

        if (name == "--scenario") {
            std::string unknown;
            cl.scenario.names = parseScenarioList(*v, unknown);
            if (cl.scenario.names.empty()) {
                return error("unknown scenario '" + unknown + "' (see --list-scenarios)");
            }
        } else if (name == "--layout") {
            if (*v == "76") {
                cl.scenario.layout = FrameLayout::Short76;
            } else if (*v == "112") {
                cl.scenario.layout = FrameLayout::Long112;
            } else {
                return bad("76 or 112");
            }
        } else if (name == "--cells") {
            const auto n = parseNumber<int>(*v, 1, kMaxCells);
            if (!n) {
                return bad("1 to 12");
            }
            cl.scenario.cells = *n;
        } else if (name == "--capacity") {
            const auto n = parseNumber<int>(*v, 100, 100000);
            if (!n) {
                return bad("100 to 100000 mAh");
            }
            cl.scenario.capacityMah = *n;
        } else if (name == "--current") {
            const auto a = Decimal::parse(*v);
            if (!a || *a < Decimal::fromHundredths(1) || *a > Decimal::fromInt(50)) {
                return bad("0.01 to 50 A");
            }
            cl.scenario.current = *a;
        } else if (name == "--messages") {
            const auto n = parseNumber<std::size_t>(*v, 1, 1000000);
            if (!n) {
                return bad("1 to 1000000");
            }
            cl.scenario.messages = *n;
        } else if (name == "--interval-ms") {
            const auto n = parseNumber<std::uint32_t>(*v, 0, 3600000);
            if (!n) {
                return bad("0 to 3600000");
            }
            cl.pacing.intervalMs = *n;
        } else if (name == "--sim-seconds") {
            const auto s = parseNumber<double>(*v, 0.001, 3600.0);
            if (!s) {
                return bad("0.001 to 3600");
            }
            cl.scenario.simSeconds = *s;
        } else if (name == "--resistance") {
            const auto r = parseNumber<double>(*v, 0.001, 10.0);
            if (!r) {
                return bad("0.001 to 10 ohm");
            }
            cl.scenario.resistanceOhm = *r;
        } else if (name == "--weak-cell") {
            const auto n = parseNumber<int>(*v, 1, kMaxCells);
            if (!n) {
                return bad("1 to 12");
            }
            cl.scenario.weakCell = *n;
        } else if (name == "--weak-cell-capacity") {
            const auto n = parseNumber<int>(*v, 10, 100);
            if (!n) {
                return bad("10 to 100 %");
            }
            cl.scenario.weakCapacityPercent = *n;
        } else if (name == "--weak-cell-resistance") {
            const auto n = parseNumber<int>(*v, 100, 1000);
            if (!n) {
                return bad("100 to 1000 %");
            }
            cl.scenario.weakResistancePercent = *n;
        } else if (name == "--seed") {
            const auto n =
                parseNumber<std::uint64_t>(*v, 0, std::numeric_limits<std::uint64_t>::max());
            if (!n) {
                return bad("a whole number");
            }
            cl.scenario.seed = *n;
        } else if (name == "--start") {
            const auto start = parseLocalTime(text);
            if (!start) {
                return bad("a local time YYYY-MM-DDTHH:MM:SS");
            }
            cl.startEpochSeconds = *start;
        } else if (text.empty()) {
            return bad("a path");
        } else if (name == "--capture") {
            cl.capture = text;
        } else if (name == "--output") {
            cl.output = text;
        } else if (name == "--link") {
            cl.link = text;
        } else {
            cl.expect = text;
        }
    }

    const int cells = cl.scenario.cells != 0 ? cl.scenario.cells : 4;
    if (cl.scenario.weakCell > cells) {
        return error("--weak-cell " + std::to_string(cl.scenario.weakCell) + " is not one of the " +
                     std::to_string(cells) + " cells");
    }
    if ((cl.scenario.weakCapacityPercent != 100 || cl.scenario.weakResistancePercent != 100) &&
        cl.scenario.weakCell == 0) {
        return error("--weak-cell-capacity and --weak-cell-resistance need --weak-cell");
    }
    if (cl.capture && (cl.output || ptyGiven || cl.link || cl.loop)) {
        return error(
            "--capture writes a file of its own: not with --output, --pty, --link or --loop");
    }
    if (cl.startEpochSeconds && !cl.capture) {
        return error("--start goes only with --capture");
    }
    if (cl.output && ptyGiven) {
        return error("--output and --pty exclude each other");
    }
    cl.pty = !cl.output && !cl.capture;
    if (cl.link && !cl.pty) {
        return error("--link needs the pseudo-terminal (no --output)");
    }
    if (cl.expect && cl.loop) {
        return error("--expect describes a single pass and cannot be combined with --loop");
    }
    return ParsedCommandLine{cl, {}};
}

std::string helpText() {
    std::string text =
        "Usage: cellwatch-emulator [OPTION]...\n"
        "Plays the charger's side of the serial line: status messages of the 76- or\n"
        "112-byte layout, on a pseudo-terminal, a file or standard output.\n"
        "\n"
        "With --charger skyrc or isdt it answers requests instead: every line of\n"
        "standard input is one request in hex (a HID report or a BLE write),\n"
        "optionally preceded by '@' and the BLE characteristic's UUID and a space;\n"
        "every reply goes to standard output as one line of hex (a HID report or a\n"
        "BLE notification), flushed at once. Each channel plays a charge of its own\n"
        "on a clock started with the program.\n"
        "\n"
        "Options:\n"
        "  --scenario LIST    comma-separated scenarios, played in order (default demo)\n"
        "  --layout 76|112    message layout (default 76)\n"
        "  --cells N          cells in series, 1 to 12 (default 4 lithium, 6 NiMH)\n"
        "  --capacity MAH     nominal pack capacity, 100 to 100000 mAh (default 2200)\n"
        "  --current A        charge and discharge current, 0.01 to 50 A (default 2)\n"
        "  --resistance OHM   the lithium pack's internal resistance, 0.001 to 10 ohm,\n"
        "                     shared by its cells (default: 0.088 ohm per cell for\n"
        "                     1 Ah, less for a larger pack)\n"
        "  --weak-cell N      cell N of the lithium pack is weak: with the two options\n"
        "                     below, its capacity and resistance differ from the others'\n"
        "  --weak-cell-capacity PERCENT\n"
        "                     the weak cell's capacity, 10 to 100 % (default 100)\n"
        "  --weak-cell-resistance PERCENT\n"
        "                     the weak cell's resistance, 100 to 1000 % (default 100)\n"
        "  --messages N       at most N messages from each scenario of the list\n"
        "                     (default: until each ends)\n"
        "  --interval-ms MS   time from one message to the next (default 1000); the\n"
        "                     line never goes faster than 9600 baud, 960 bytes/s\n"
        "  --sim-seconds S    simulated seconds per message (default 1; demo 30)\n"
        "  --seed N           seed of the random parts (default 1); equal seeds give\n"
        "                     equal streams\n"
        "  --loop             play the list again and again until interrupted\n"
        "  --no-pacing        write everything at once, without sleeps or stalls\n"
        "  --output FILE|-    write to FILE, or to standard output for -\n"
        "  --capture FILE     write one pass as a capture (as cellwatch-log --capture\n"
        "                     makes) at once, each message stamped with the moment it\n"
        "                     would arrive at the pacing above; cellwatch-log --replay\n"
        "                     plays it back on those clocks\n"
        "  --start TIME       the capture's start, local time YYYY-MM-DDTHH:MM:SS\n"
        "                     (default: now)\n"
        "  --pty              create a pseudo-terminal and print its path as the first\n"
        "                     line on standard output (default without --output);\n"
        "                     messages are dropped while no program has it open\n"
        "  --link PATH        make PATH a symbolic link to the pseudo-terminal,\n"
        "                     removed on exit\n"
        "  --expect FILE      write the lines cellwatch-dump should print for one pass,\n"
        "                     one per line; '*' stands for exactly one line of any\n"
        "                     content (not with --loop)\n"
        "  --list-scenarios   print the scenario names, one per line, and exit\n"
        "  --charger NAME     the charger family played (default tkrx; icharger: see\n"
        "                     --charger icharger --help; skyrc and isdt answer\n"
        "                     requests: see below)\n"
        "  --model NAME       the model an answering charger plays: T1000 (default)\n"
        "                     or Q200neo for skyrc, \"C4 Air\" (default) or\n"
        "                     \"A8 Air\" for isdt\n"
        "  --list-chargers    print the chargers' drivers (id, maker, models), one a\n"
        "                     line, and exit\n"
        "  -h, --help         print this help and exit\n"
        "\n"
        "Scenarios:\n";
    for (const std::string& name : scenarioNames()) {
        std::string padded = "  " + name;
        padded.resize(20, ' ');
        text += padded + scenarioDescription(name) + "\n";
    }
    text +=
        "\n"
        "Exit status: 0 when done, interrupted or the reader went away; 1 on an\n"
        "error; 2 on bad options.\n";
    return text;
}

}  // namespace cellwatch::emulator
