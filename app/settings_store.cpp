#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QtGlobal>
#include <cstddef>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

// File format, one entry per line under a header naming application and
// section:
//   [Cellwatch    |Lang]
//   Lang=ENG
// Names keep their blanks. '\', '|', ']', '=' and line breaks inside names
// and values are escaped with '\'.
// A key that starts with '[', ';' or '#' has a '\' in front, so that its
// line reads as an entry and not as a header or a comment.
// A settings file is tiny; anything larger is not ours.
constexpr std::size_t kMaxFileSize = 1 << 20;

QString escape(const QString& s) {
    QString out;
    for (QChar c : s) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '|':
                out += QLatin1String("\\p");
                break;
            case ']':
                out += QLatin1String("\\b");
                break;
            case '=':
                out += QLatin1String("\\e");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString escapeKey(const QString& key) {
    QString out = escape(key);
    if (out.startsWith(u'[') || out.startsWith(u';') || out.startsWith(u'#')) {
        out.prepend(u'\\');
    }
    return out;
}

QString unescape(QStringView s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i].unicode()) {
            case 'p':
                out += u'|';
                break;
            case 'b':
                out += u']';
                break;
            case 'e':
                out += u'=';
                break;
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            default:
                out += s[i];
        }
    }
    return out;
}

struct Entry {
    QString application;
    QString section;
    QString key;
    QString value;
    bool matches(const QString& a, const QString& s, const QString& k) const {
        return application.compare(a, Qt::CaseInsensitive) == 0 &&
               section.compare(s, Qt::CaseInsensitive) == 0 &&
               key.compare(k, Qt::CaseInsensitive) == 0;
    }
};

// What one file holds: every entry that parses (anything else is skipped),
// or why the file could not be read whole.
struct FileRead {
    QList<Entry> entries;
    bool missing = false;
    QString problem;  // empty when it was read, or there is none

    bool read() const { return !missing && problem.isEmpty(); }
};

FileRead readFile(const QString& path) {
    FileRead read;
    QList<Entry>& entries = read.entries;
    // Only a regular file is read, and only whole: a FIFO or device in its
    // place would block the start-up or never end, and a file cut at a bound
    // would lose what lies past it when written back.
    const FileContents contents =
        readRegularFile(QFile::encodeName(path).toStdString(), kMaxFileSize);
    if (!contents.ok()) {
        read.missing = contents.missing;
        if (!contents.missing) {
            read.problem =
                QStringLiteral("cannot read %1: %2")
                    .arg(QDir::toNativeSeparators(path), QString::fromStdString(contents.why));
        }
        return read;
    }
    const QString text =
        QString::fromUtf8(contents.bytes.data(), static_cast<qsizetype>(contents.bytes.size()));
    QString application;
    QString section;
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            const qsizetype bar = line.indexOf(u'|');
            inSection = close > 0 && bar > 0 && bar < close;
            if (inSection) {
                application = unescape(line.mid(1, bar - 1));
                section = unescape(line.mid(bar + 1, close - bar - 1));
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inSection || eq <= 0) {
            continue;
        }
        entries.append({application, section, unescape(line.left(eq)), unescape(line.mid(eq + 1))});
    }
    return read;
}

// What the settings are now, and where a write goes.
struct Loaded {
    QList<Entry> entries;
    QString problem;          // why the file itself could not be read whole
    QString target;           // the file a write replaces; empty: none, this session only
    bool besideRead = false;  // the entries are those of the file beside it
};

// The file wins when it can be read. When it cannot be read whole, or is
// missing, the file beside it holds the settings (when it can be read); a
// write goes to the file when it is missing (with what stood beside it) and
// beside it when it cannot be read. Neither is ever written without having
// been read whole (or being missing).
Loaded load(const QString& path) {
    FileRead file = readFile(path);
    Loaded loaded;
    if (file.read()) {
        loaded.entries = std::move(file.entries);
        loaded.target = path;
        return loaded;
    }
    loaded.problem = file.problem;
    const QString besidePath = FileSettingsStore::besidePath(path);
    FileRead beside = readFile(besidePath);
    if (beside.read()) {
        loaded.entries = std::move(beside.entries);
        loaded.besideRead = true;
    }
    if (file.missing) {
        loaded.target = path;
    } else if (beside.read() || beside.missing) {
        loaded.target = besidePath;
    }
    return loaded;
}

}  // namespace

FileSettingsStore::FileSettingsStore(QString filePath) : path_(std::move(filePath)) {}

QString FileSettingsStore::defaultPath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) {
        base = QDir::homePath();
    }
    return base + QStringLiteral("/cellwatch/settings.ini");
}

QString FileSettingsStore::besidePath(const QString& filePath) {
    return filePath + QStringLiteral(".new");
}

void FileSettingsStore::noteLoaded(const QString& problem, const QString& target) const {
    problem_ = problem;
    savedBeside_ = !problem.isEmpty() && target == besidePath(path_) ? target : QString();
}

QString FileSettingsStore::read(const QString& application, const QString& section,
                                const QString& key, const QString& defaultValue) const {
    for (const Unsaved& u : unsaved_) {
        if (Entry{u.application, u.section, u.key, u.value}.matches(application, section, key)) {
            return u.value;
        }
    }
    const Loaded loaded = load(path_);
    noteLoaded(loaded.problem, loaded.target);
    const QList<Entry>& entries = loaded.entries;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {  // the last one wins
        if (it->matches(application, section, key)) {
            return it->value;
        }
    }
    return defaultValue;
}

void FileSettingsStore::write(const QString& application, const QString& section,
                              const QString& key, const QString& value) {
    Loaded loaded = load(path_);
    noteLoaded(loaded.problem, loaded.target);
    // The file is kept as it is when it could not be read: what it holds
    // was not read, so writing it again would lose it.
    if (!problem_.isEmpty() && problem_ != warned_) {
        warned_ = problem_;
        if (savedBeside_.isEmpty()) {
            qWarning("cellwatch: %s; the settings are not saved", qUtf8Printable(problem_));
        } else {
            qWarning("cellwatch: %s; the settings are saved in %s instead",
                     qUtf8Printable(problem_),
                     qUtf8Printable(QDir::toNativeSeparators(savedBeside_)));
        }
    }
    const auto forget = [&] {
        unsaved_.removeIf([&](const Unsaved& u) {
            return Entry{u.application, u.section, u.key, u.value}.matches(application, section,
                                                                           key);
        });
    };
    if (loaded.target.isEmpty()) {
        // Neither the file nor the one beside it can be written: the value
        // holds for this session.
        forget();
        unsaved_.append({application, section, key, value});
        return;
    }
    QList<Entry>& entries = loaded.entries;
    bool replaced = false;
    for (Entry& e : entries) {
        if (e.matches(application, section, key)) {
            e.value = value;
            replaced = true;
        }
    }
    if (!replaced) {
        entries.append({application, section, key, value});
    }
    // Group by application and section, keeping the order of first appearance.
    QString text = QStringLiteral("; Cellwatch settings\n");
    QList<std::pair<QString, QString>> written;
    for (const Entry& head : entries) {
        bool seen = false;
        for (const auto& [a, s] : written) {
            seen = seen || (a.compare(head.application, Qt::CaseInsensitive) == 0 &&
                            s.compare(head.section, Qt::CaseInsensitive) == 0);
        }
        if (seen) {
            continue;
        }
        written.append({head.application, head.section});
        text +=
            u'[' + escape(head.application) + u'|' + escape(head.section) + QStringLiteral("]\n");
        for (const Entry& e : entries) {
            if (e.application.compare(head.application, Qt::CaseInsensitive) == 0 &&
                e.section.compare(head.section, Qt::CaseInsensitive) == 0) {
                text += escapeKey(e.key) + u'=' + escape(e.value) + u'\n';
            }
        }
    }
    // A new file replaces the old one when it is whole: a write that fails
    // (a full disk, a folder without permission) leaves the old one.
    QDir().mkpath(QFileInfo(loaded.target).absolutePath());
    QSaveFile file(loaded.target);
    const QByteArray bytes = text.toUtf8();
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                       file.flush() && file.commit();
    // Whatever the file says, this session keeps what was written last.
    forget();
    if (!saved) {
        unsaved_.append({application, section, key, value});
    } else if (loaded.besideRead && loaded.target == path_) {
        // What stood beside the missing file is in the file now.
        QFile::remove(besidePath(path_));
    }
}

}  // namespace cellwatch
