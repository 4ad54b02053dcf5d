// The program's settings by name, each with its type and its default, over
// the per-user settings store. Where each one is kept (its section and key)
// and what it reads as when nothing is stored is written once, in the table
// in settings.cpp; nothing else names a section or a key.
//
// One Settings object serves the whole program (the main window and every
// window it opens): it reads the interface language once and keeps it,
// reading it again only when it is written through it. Every other setting
// is read from the store at each call, as before.
#pragma once

#include <QString>
#include <optional>

#include "app/language.h"
#include "app/settings_store.h"

namespace cellwatch {

enum class Command;

// The application name every setting is stored under (four blanks).
inline const QString kSettingsApplication = QStringLiteral("Cellwatch    ");
// The interface language: "CHT" Chinese, "DEU" German, anything else English;
// "CHT" when nothing is stored.
inline const QString kLanguageChinese = QStringLiteral("CHT");
inline const QString kLanguageEnglish = QStringLiteral("ENG");

// Switches, stored "1" and "0".
enum class Flag {
    ZoomPan,           // View > zoom and pan the live chart; off
    CellCurves,        // View > cell curves; off
    Reconnect,         // reconnect to an adapter that comes back; on
    WhitePaper,        // save and print on white paper; on
    AllChannels,       // every channel's card at once; off
    AlarmSound,        // alarms sound; on
    PublishOn,         // publishing to a broker; off
    PublishDiscovery,  // discovery messages while publishing; off
    ShareOn,           // the phone page shared; off
    DatabaseOn,        // rows sent to a time-series database; off
};

// Texts, stored as they are; the reader makes sense of them.
enum class Text {
    Language,  // the language code; kept by the object, see above
    PublishAddress,
    PublishPasswordFile,
    PublishCaFile,
    PublishKeyFile,
    ShareScope,  // "network" (the default), "all", "named" or "local"
    ShareAddress,
    SharePort,  // "8080" by default
    WatchAddress,
    WatchKeyFile,
    Broker,  // the broker the network list asks
    PackName,
    PackNote,
    PackChemistry,  // "-" until the user chose the pack's values
    PackCells,
    PackCapacity,
    PackCellHigh,
    PackCellLow,
    CellShare,         // the part of the chart the cell curves take, 0 to 1
    DatabaseAddress,   // the database's write address
    DatabaseAuthFile,  // the file its sign-in is read from
};

// Texts kept per name.
enum class Keyed {
    Charger,      // the charger last connected on a port, by the port's entry
    AlarmOn,      // an alarm switched on ("1", the default) or off, by kind name
    AlarmLimit,   // an alarm's limit, by kind name
    AlarmSecond,  // its second limit, by kind name
};

class Settings;

// One switch of the settings, to read and to write: what a checkable command
// is tied to (Settings::commandSetting).
class BoolSetting {
public:
    BoolSetting(Settings& settings, Flag flag) : settings_(&settings), flag_(flag) {}
    bool get() const;
    void set(bool on) const;
    Flag flag() const { return flag_; }

private:
    Settings* settings_;
    Flag flag_;
};

class Settings {
public:
    // Reads the language from `store` now; `store` outlives this object.
    explicit Settings(SettingsStore& store);
    // One object, one language: a copy would keep a language of its own.
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    SettingsStore& store() const { return store_; }

    // The language code as read at the start or last written here.
    const QString& languageCode() const { return language_; }
    Language language() const { return languageOf(language_); }
    void setLanguageCode(const QString& code);

    bool on(Flag flag) const;
    void setOn(Flag flag, bool on);
    BoolSetting handle(Flag flag) { return BoolSetting(*this, flag); }
    // The switch a checkable command's checked state is kept in; nothing for
    // commands whose state is not kept.
    std::optional<BoolSetting> commandSetting(Command command);

    QString text(Text text) const;
    void setText(Text text, const QString& value);

    // A channel's own copy of a text (each channel's pack): channel 1's is
    // the text itself, channel N's is kept in the section's name followed by N
    // ("Pack2").
    QString text(Text text, int channel) const;
    void setText(Text text, int channel, const QString& value);
    QString text(Keyed keyed, const QString& name) const;
    void setText(Keyed keyed, const QString& name, const QString& value);

    // The part of the chart the cell curves take; nothing when none is kept.
    std::optional<double> cellShare() const;
    void setCellShare(double share);

private:
    SettingsStore& store_;
    QString language_;
};

// The language stored in `store`, read and written without a Settings
// object (for a store no window uses yet).
QString readLanguageCode(const SettingsStore& store);
void writeLanguageCode(SettingsStore& store, const QString& code);

// The selection rule every reader uses: exactly "CHT" means Chinese.
inline bool isChinese(const QString& languageCode) {
    return languageCode == kLanguageChinese;
}
// The one test every window, dialog and message makes of the language.
inline bool chineseChosen(const Settings& settings) {
    return isChinese(settings.languageCode());
}
// The link text's own reading of it (the connection handlers have always
// read it so): any letter case of "CHT" is Chinese.
inline bool chineseChosenAnyCase(const Settings& settings) {
    return settings.languageCode().toUpper() == kLanguageChinese;
}

}  // namespace cellwatch
