#include "drivers/described_chargers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <system_error>

#include "drivers/description_reader.h"
#include "protocol/described_driver.h"
#include "protocol/driver_registry.h"

namespace cellwatch {

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::shared_ptr<const ChargerDescription>, std::less<>>& describedById() {
    static std::map<std::string, std::shared_ptr<const ChargerDescription>, std::less<>> map;
    return map;
}

bool add(std::shared_ptr<const ChargerDescription> description) {
    if (!addDriver(describedDriverEntry(description))) {
        return false;
    }
    describedById()[description->id] = std::move(description);
    return true;
}

bool isJsonFile(std::string_view arg) {
    return arg.size() > 5 && arg.substr(arg.size() - 5) == ".json";
}

}  // namespace

std::vector<fs::path> chargerFolders() {
    std::vector<fs::path> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && *dataHome == '/') {
        folders.push_back(fs::path(dataHome) / "cellwatch" / "chargers");
    } else if (home != nullptr && *home != '\0') {
        folders.push_back(fs::path(home) / ".local" / "share" / "cellwatch" / "chargers");
    }
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        // bin/PROGRAM installed; the build tree's window and tools one or
        // two folders below its share/.
        const fs::path bin = program.parent_path();
        for (const fs::path& top : {bin.parent_path(), bin}) {
            const fs::path folder = top / "share" / "cellwatch" / "chargers";
            if (std::find(folders.begin(), folders.end(), folder) == folders.end() &&
                fs::is_directory(folder, error)) {
                folders.push_back(folder);
            }
        }
    }
    return folders;
}

std::vector<std::string> addDescribedChargers(const std::vector<fs::path>& folders) {
    std::vector<std::string> problems;
    for (const fs::path& folder : folders) {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (isJsonFile(it->path().filename().string()) && it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        if (files.size() > kMostDescriptionsInFolder) {
            problems.push_back(folder.string() + ": only the first " +
                               std::to_string(kMostDescriptionsInFolder) +
                               " descriptions are read");
            files.resize(kMostDescriptionsInFolder);
        }
        for (const fs::path& file : files) {
            DescriptionRead read = readChargerDescriptionFile(file);
            if (!read.description) {
                problems.push_back(read.error);
            } else if (findDriver(read.description->id) == nullptr) {
                add(read.description);
            } else if (!describedCharger(read.description->id)) {
                problems.push_back(file.string() + ":1: the id " +
                                   std::string(read.description->id) + " is a built-in driver's");
            }
        }
    }
    return problems;
}

std::optional<std::string> addChargerFile(const fs::path& file, std::string& error) {
    DescriptionRead read = readChargerDescriptionFile(file);
    if (!read.description) {
        error = read.error;
        return std::nullopt;
    }
    std::string id = read.description->id;
    if (!add(read.description)) {
        error = file.string() + ":1: the id " + id + " is already a driver's";
        return std::nullopt;
    }
    return id;
}

std::shared_ptr<const ChargerDescription> describedCharger(std::string_view id) {
    const auto it = describedById().find(id);
    return it == describedById().end() ? nullptr : it->second;
}

bool prepareDescribedChargers(int argc, char** argv, std::string_view program) {
    static std::deque<std::string> ids;  // what argv points to from now on
    constexpr std::string_view kJoined = "--charger=";
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        const bool joined = arg.starts_with(kJoined);
        const std::string_view file = joined ? arg.substr(kJoined.size())
                                      : arg == "--charger" && k + 1 < argc ? argv[k + 1]
                                                                           : "";
        if (!isJsonFile(file)) {
            continue;
        }
        std::string error;
        const std::optional<std::string> id = addChargerFile(std::string(file), error);
        if (!id) {
            std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(program.size()), program.data(),
                         error.c_str());
            return false;
        }
        if (joined) {
            argv[k] = ids.emplace_back(std::string(kJoined) + *id).data();
        } else {
            argv[++k] = ids.emplace_back(*id).data();
        }
    }
    for (const std::string& problem : addDescribedChargers(chargerFolders())) {
        std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(program.size()), program.data(),
                     problem.c_str());
    }
    return true;
}

}  // namespace cellwatch
