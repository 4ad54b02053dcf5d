// The options of cellwatch-emulator.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/emulator/paced_writer.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {

struct CommandLine {
    ScenarioOptions scenario;
    PacingOptions pacing;
    bool loop = false;
    std::optional<std::string> output;              // a file, or "-" for standard output
    bool pty = false;                               // true unless --output is given
    std::optional<std::string> link;                // symbolic link to the pty slave
    std::optional<std::string> expect;              // where to write the expected dump lines
    std::optional<std::string> capture;             // write a capture there instead of playing
    std::optional<std::int64_t> startEpochSeconds;  // the capture's start; now without
    bool listScenarios = false;
    bool listChargers = false;
    std::string charger = "tkrx";  // the charger family played (--charger)
    std::string model;             // an answering charger's model (--model)
    bool help = false;
};

struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;  // empty on error
    std::string error;                       // one line, without the program name
};

// Parses the arguments after the program name. Accepts "--name value" and
// "--name=value".
ParsedCommandLine parseCommandLine(std::span<const std::string_view> args);

std::string helpText();

}  // namespace cellwatch::emulator
