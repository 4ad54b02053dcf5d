// cellwatch-emulator --charger icharger: a Junsi iCharger answering Modbus
// RTU reads on a pseudo-terminal.
#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/emulator/icharger_model.h"

namespace cellwatch::emulator {

// Whether the arguments ask for the iCharger ("--charger icharger").
bool asksForIcharger(std::span<const std::string_view> args);

struct IchargerCommandLine {
    IchargerPlay play;
    bool help = false;
};

struct ParsedIchargerCommandLine {
    std::optional<IchargerCommandLine> commandLine;  // empty on error
    std::string error;
};

ParsedIchargerCommandLine parseIchargerCommandLine(std::span<const std::string_view> args);
std::string ichargerHelpText();

// Answers on a new pseudo-terminal (its path printed first on standard
// output) until `stop` is set. Returns the exit status.
int serveIcharger(const IchargerPlay& play, const std::atomic<bool>& stop);

}  // namespace cellwatch::emulator
