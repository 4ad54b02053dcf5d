#include "app/settings.h"

#include <array>
#include <cstddef>

#include "app/commands.h"

namespace cellwatch {
namespace {

// Where a setting is kept and what it reads as when nothing is.
struct Place {
    const char* section;
    const char* key;  // for a keyed setting, %1 stands for the name
    const char* fallback;
};

struct FlagEntry {
    Flag flag;
    Place place;
    std::optional<Command> command;  // the checkable command it keeps
};

struct TextEntry {
    Text text;
    Place place;
};

struct KeyedEntry {
    Keyed keyed;
    Place place;
};

// The table: every setting the program keeps.
constexpr std::array kFlags{
    FlagEntry{Flag::ZoomPan, {"ZoomPan", "ZoomPan", "0"}, Command::ZoomPan},
    FlagEntry{Flag::CellCurves, {"CellCurves", "CellCurves", "0"}, Command::CellCurves},
    FlagEntry{Flag::Reconnect, {"Reconnect", "Reconnect", "1"}, Command::Reconnect},
    FlagEntry{Flag::WhitePaper, {"Pictures", "WhitePaper", "1"}, std::nullopt},
    FlagEntry{Flag::AllChannels, {"AllChannels", "AllChannels", "0"}, std::nullopt},
    FlagEntry{Flag::AlarmSound, {"Alarms", "sound", "1"}, std::nullopt},
    FlagEntry{Flag::PublishOn, {"Publish", "On", "0"}, std::nullopt},
    FlagEntry{Flag::PublishDiscovery, {"Publish", "Discovery", "0"}, std::nullopt},
    FlagEntry{Flag::ShareOn, {"Share", "On", "0"}, std::nullopt},
    FlagEntry{Flag::DatabaseOn, {"Database", "On", "0"}, std::nullopt},
};

constexpr std::array kTexts{
    TextEntry{Text::Language, {"Lang", "Lang", "CHT"}},
    TextEntry{Text::PublishAddress, {"Publish", "Address", ""}},
    TextEntry{Text::PublishPasswordFile, {"Publish", "PasswordFile", ""}},
    TextEntry{Text::PublishCaFile, {"Publish", "CaFile", ""}},
    TextEntry{Text::PublishKeyFile, {"Publish", "KeyFile", ""}},
    TextEntry{Text::ShareScope, {"Share", "Scope", "network"}},
    TextEntry{Text::ShareAddress, {"Share", "Address", ""}},
    TextEntry{Text::SharePort, {"Share", "Port", "8080"}},
    TextEntry{Text::WatchAddress, {"Network", "WatchAddress", ""}},
    TextEntry{Text::WatchKeyFile, {"Network", "WatchKeyFile", ""}},
    TextEntry{Text::Broker, {"Network", "Broker", ""}},
    TextEntry{Text::PackName, {"Pack", "Name", ""}},
    TextEntry{Text::PackNote, {"Pack", "Note", ""}},
    TextEntry{Text::PackChemistry, {"Pack", "Chemistry", "-"}},
    TextEntry{Text::PackCells, {"Pack", "Cells", ""}},
    TextEntry{Text::PackCapacity, {"Pack", "CapacityMah", ""}},
    TextEntry{Text::PackCellHigh, {"Pack", "CellHighV", ""}},
    TextEntry{Text::PackCellLow, {"Pack", "CellLowV", ""}},
    TextEntry{Text::CellShare, {"CellCurves", "Share", ""}},
    TextEntry{Text::DatabaseAddress, {"Database", "Address", ""}},
    TextEntry{Text::DatabaseAuthFile, {"Database", "AuthFile", ""}},
};

constexpr std::array kKeyed{
    KeyedEntry{Keyed::Charger, {"Chargers", "%1", ""}},
    KeyedEntry{Keyed::AlarmOn, {"Alarms", "%1.on", "1"}},
    KeyedEntry{Keyed::AlarmLimit, {"Alarms", "%1.limit", ""}},
    KeyedEntry{Keyed::AlarmSecond, {"Alarms", "%1.second", ""}},
};

// The entries are listed in the order of their enumerations.
template <typename Table>
constexpr bool inOrder(const Table& table, auto id) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (static_cast<std::size_t>(id(table[i])) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inOrder(kFlags, [](const FlagEntry& e) { return e.flag; }));
static_assert(inOrder(kTexts, [](const TextEntry& e) { return e.text; }));
static_assert(inOrder(kKeyed, [](const KeyedEntry& e) { return e.keyed; }));

const Place& placeOf(Flag flag) {
    return kFlags[static_cast<std::size_t>(flag)].place;
}
const Place& placeOf(Text text) {
    return kTexts[static_cast<std::size_t>(text)].place;
}
const Place& placeOf(Keyed keyed) {
    return kKeyed[static_cast<std::size_t>(keyed)].place;
}

QString read(const SettingsStore& store, const Place& place, const QString& key) {
    return store.read(kSettingsApplication, QLatin1String(place.section), key,
                      QLatin1String(place.fallback));
}

void write(SettingsStore& store, const Place& place, const QString& key, const QString& value) {
    store.write(kSettingsApplication, QLatin1String(place.section), key, value);
}

QString keyOf(const Place& place) {
    return QLatin1String(place.key);
}

QString keyOf(const Place& place, const QString& name) {
    return QString(QLatin1String(place.key)).arg(name);
}

}  // namespace

bool BoolSetting::get() const {
    return settings_->on(flag_);
}

void BoolSetting::set(bool on) const {
    settings_->setOn(flag_, on);
}

Settings::Settings(SettingsStore& store) : store_(store), language_(readLanguageCode(store)) {}

void Settings::setLanguageCode(const QString& code) {
    writeLanguageCode(store_, code);
    language_ = code;
}

// A switch is on when it reads "1", or, when it is on by default, anything
// but "0".
bool Settings::on(Flag flag) const {
    const Place& place = placeOf(flag);
    const QString value = read(store_, place, keyOf(place));
    return place.fallback[0] == '1' ? value != QLatin1String("0") : value == QLatin1String("1");
}

void Settings::setOn(Flag flag, bool on) {
    const Place& place = placeOf(flag);
    write(store_, place, keyOf(place), on ? QStringLiteral("1") : QStringLiteral("0"));
}

std::optional<BoolSetting> Settings::commandSetting(Command command) {
    for (const FlagEntry& e : kFlags) {
        if (e.command == command) {
            return handle(e.flag);
        }
    }
    return std::nullopt;
}

QString Settings::text(Text text) const {
    if (text == Text::Language) {
        return language_;
    }
    const Place& place = placeOf(text);
    return read(store_, place, keyOf(place));
}

void Settings::setText(Text text, const QString& value) {
    if (text == Text::Language) {
        setLanguageCode(value);
        return;
    }
    const Place& place = placeOf(text);
    write(store_, place, keyOf(place), value);
}

QString Settings::text(Text text, int channel) const {
    if (channel <= 1) {
        return this->text(text);
    }
    const Place& place = placeOf(text);
    return store_.read(kSettingsApplication,
                       QLatin1String(place.section) + QString::number(channel), keyOf(place),
                       QLatin1String(place.fallback));
}

void Settings::setText(Text text, int channel, const QString& value) {
    if (channel <= 1) {
        setText(text, value);
        return;
    }
    const Place& place = placeOf(text);
    store_.write(kSettingsApplication, QLatin1String(place.section) + QString::number(channel),
                 keyOf(place), value);
}

QString Settings::text(Keyed keyed, const QString& name) const {
    const Place& place = placeOf(keyed);
    return read(store_, place, keyOf(place, name));
}

void Settings::setText(Keyed keyed, const QString& name, const QString& value) {
    const Place& place = placeOf(keyed);
    write(store_, place, keyOf(place, name), value);
}

std::optional<double> Settings::cellShare() const {
    bool ok = false;
    const double share = text(Text::CellShare).toDouble(&ok);
    return ok ? std::optional<double>(share) : std::nullopt;
}

void Settings::setCellShare(double share) {
    setText(Text::CellShare, QString::number(share, 'f', 3));
}

QString readLanguageCode(const SettingsStore& store) {
    const Place& place = placeOf(Text::Language);
    return read(store, place, keyOf(place));
}

void writeLanguageCode(SettingsStore& store, const QString& code) {
    const Place& place = placeOf(Text::Language);
    write(store, place, keyOf(place), code);
}

}  // namespace cellwatch
