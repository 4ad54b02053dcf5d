// The per-user settings store: text values addressed by application,
// section and key, names compared without regard to letter case.
//
// FileSettingsStore keeps them in one small text file in the user's
// configuration folder:
//   Linux    ~/.config/cellwatch/settings.ini   (or $XDG_CONFIG_HOME)
//   macOS    ~/Library/Preferences/cellwatch/settings.ini
//   Windows  %LOCALAPPDATA%\cellwatch\settings.ini
// Each entry is read from the file anew; nothing is cached. A missing,
// unreadable or damaged file reads as "nothing stored"; lines that make no
// sense are skipped. Writes replace the file atomically, so a crash while
// writing never leaves half a file. Neither reads nor writes report failures;
// a value that cannot be written still holds until the program ends.
#pragma once

#include <QList>
#include <QString>

namespace cellwatch {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
    virtual void write(const QString& application, const QString& section, const QString& key,
                       const QString& value) = 0;
};

class FileSettingsStore final : public SettingsStore {
public:
    explicit FileSettingsStore(QString filePath);

    // The file in the user's configuration folder.
    static QString defaultPath();

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) override;

    const QString& path() const { return path_; }

private:
    QString path_;
    // Values that could not be written to the file (an unwritable folder, a
    // directory in the file's place): they hold for this session.
    struct Unsaved {
        QString application, section, key, value;
    };
    QList<Unsaved> unsaved_;
};

// The interface language: "CHT" selects the Chinese texts, anything else
// English. Stored under application "Cellwatch    " (four blanks), section
// "Lang", key "Lang"; "CHT" when nothing is stored.
inline const QString kSettingsApplication = QStringLiteral("Cellwatch    ");
inline const QString kLanguageChinese = QStringLiteral("CHT");
inline const QString kLanguageEnglish = QStringLiteral("ENG");

QString readLanguageCode(const SettingsStore& store);
void writeLanguageCode(SettingsStore& store, const QString& code);
// The selection rule every reader uses: exactly "CHT" means Chinese.
inline bool isChinese(const QString& languageCode) {
    return languageCode == kLanguageChinese;
}

}  // namespace cellwatch
