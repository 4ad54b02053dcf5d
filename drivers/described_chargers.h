// Chargers described in files, found where a user or the package keeps
// them and added to the driver registry at a program's start:
//   $XDG_DATA_HOME/cellwatch/chargers/*.json (~/.local/share/... without it)
//   the package's share/cellwatch/chargers/*.json beside the program's bin/
// and one given directly with "--charger FILE.json".
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/charger_description.h"

namespace cellwatch {

// A folder holds at most this many descriptions; the rest are not read.
inline constexpr std::size_t kMostDescriptionsInFolder = 200;

// The user's folder, then the package's.
std::vector<std::filesystem::path> chargerFolders();

// Adds the descriptions in `folders` (*.json, by name) to the registry. An id
// already known is skipped: the user's description of it wins over the
// package's. Returns what was wrong with each broken one ("FILE:LINE: ...").
std::vector<std::string> addDescribedChargers(const std::vector<std::filesystem::path>& folders);

// Reads one description and adds it; its id, or nullopt and why not.
std::optional<std::string> addChargerFile(const std::filesystem::path& file, std::string& error);

// The description of a described charger's id; null for a built-in driver.
std::shared_ptr<const ChargerDescription> describedCharger(std::string_view id);

// For a program's start, before it reads its arguments: adds a description
// given as "--charger FILE.json" (putting its id in its place in argv), then
// those of the folders, telling the broken ones on stderr as
// "PROGRAM: FILE:LINE: ...". False, after telling why, when the file given
// is broken (the program then ends with status 2).
bool prepareDescribedChargers(int argc, char** argv, std::string_view program);

// The JSON Schema of a description.
std::string_view chargerDescriptionSchema();

}  // namespace cellwatch
