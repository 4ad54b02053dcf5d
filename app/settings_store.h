// The per-user settings store: text values addressed by application,
// section and key, names compared without regard to letter case.
//
// FileSettingsStore keeps them in one small text file in the user's
// configuration folder:
//   Linux    ~/.config/cellwatch/settings.ini   (or $XDG_CONFIG_HOME)
//   macOS    ~/Library/Preferences/cellwatch/settings.ini
//   Windows  %LOCALAPPDATA%\cellwatch\settings.ini
// Each entry is read from the file anew; nothing is cached. A missing or
// damaged file reads as "nothing stored"; lines that make no sense are
// skipped. Writes replace the file atomically, so a crash while writing never
// leaves half a file. Neither reads nor writes throw; a value that cannot be
// written still holds until the program ends.
//
// Only a regular file of 1 MiB at most is read, and never waited on. One that
// cannot be read whole (a FIFO, a device or a directory in its place, one
// that is too large, one without permission to read) is kept as it is, since
// writing it again would lose what it holds. The settings then live beside
// it, in the same name with ".new" added (settings.ini.new): read from there,
// and written there. While the file cannot be read, that is where they are
// read from at each start; once it can, the file wins again and the one
// beside it is left alone. When the file is missing, the one beside it is
// read, and the next write moves its settings into the file (and removes
// it). What cannot be written (the one beside also unreadable, a folder
// without permission) holds for this session. problem() says why the file
// could not be read, for the window to show, and savedBeside() where the
// settings go instead; the first write after it also says so on standard
// error.
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
    // Where the settings of `filePath` live while it cannot be read:
    // `filePath` with ".new" added.
    static QString besidePath(const QString& filePath);

    // Why the file could not be read whole the last time it was read, as
    // "cannot read PATH: it is a FIFO, not a regular file"; empty when it
    // could, or there is none. While it is set, the file is never written.
    const QString& problem() const { return problem_; }
    // While problem() is set: besidePath(path()) when the settings are read
    // from and written to it; empty when they last for this session only
    // (that file cannot be read whole either).
    const QString& savedBeside() const { return savedBeside_; }

private:
    QString path_;
    // Values that could not be written to the file (an unwritable folder, a
    // directory in the file's place): they hold for this session.
    struct Unsaved {
        QString application, section, key, value;
    };
    void noteLoaded(const QString& problem, const QString& target) const;

    QList<Unsaved> unsaved_;
    mutable QString problem_;
    mutable QString savedBeside_;
    QString warned_;  // the problem last said on standard error
};

}  // namespace cellwatch
