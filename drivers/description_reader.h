// Reads a charger description (JSON) into a ChargerDescription, checked
// against the limits a description may ask for. What is wrong is told with
// the line it stands on: "12: unknown key \"bauds\"".
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/charger_description.h"

namespace cellwatch {

// A description file is never read past this size.
inline constexpr std::size_t kDescriptionMostBytes = 256 * 1024;

struct DescriptionRead {
    std::shared_ptr<const ChargerDescription> description;  // null when refused
    std::string error;                                      // "LINE: what is wrong"
};

DescriptionRead readChargerDescription(std::string_view json);
// The same from a file; its error names it: "FILE:LINE: what is wrong".
DescriptionRead readChargerDescriptionFile(const std::filesystem::path& file);

}  // namespace cellwatch
