#include "settings_harness.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdlib>

#include "app/settings.h"
#include "fuzz_temp_file.h"

namespace cellwatch {
namespace {

struct Probe {
    QString application, section, key;
};

constexpr qsizetype kMostProbes = 24;

// A name with every '\' dropped and the character after it kept: close to
// what the file means by many escaped names, and a probe like any other.
QString withoutBackslashes(QStringView name) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'\\' && i + 1 < name.size()) {
            ++i;
        }
        out += name[i];
    }
    return out;
}

// Names to look up: the program's own, and the names the file's lines show,
// as they stand and without backslashes (neither need be what the store
// makes of them: a probe that finds nothing has a value to keep as well).
QList<Probe> probesOf(const QString& text) {
    QList<Probe> probes{{kSettingsApplication, QStringLiteral("Lang"), QStringLiteral("Lang")},
                        {kSettingsApplication, QStringLiteral("Network"), QStringLiteral("Broker")},
                        {kSettingsApplication, QStringLiteral("Pack"), QStringLiteral("Name")}};
    QString application = kSettingsApplication;
    QString section = QStringLiteral("Lang");
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (probes.size() + 2 > kMostProbes) {
            break;
        }
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        const qsizetype bar = line.indexOf(u'|');
        const qsizetype close = line.lastIndexOf(u']');
        if (line.startsWith(u'[') && bar > 0 && close > bar) {
            application = line.mid(1, bar - 1).toString();
            section = line.mid(bar + 1, close - bar - 1).toString();
        } else if (const qsizetype eq = line.indexOf(u'='); eq > 0) {
            probes.append({application, section, line.left(eq).toString()});
            probes.append({withoutBackslashes(application), withoutBackslashes(section),
                           withoutBackslashes(line.left(eq))});
        }
    }
    return probes;
}

}  // namespace

void runSettingsHarness(const std::uint8_t* data, std::size_t size) {
    static const FuzzTempFile input("settings.ini");
    input.write(data, size);
    const QString path = QString::fromStdString(input.path().string());
    const QList<Probe> probes = probesOf(
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    FileSettingsStore store(path);
    const QString absent = QStringLiteral("\x01absent");
    QStringList before;
    for (const Probe& p : probes) {
        before.append(store.read(p.application, p.section, p.key, absent));
    }
    // A value with every character the file escapes, under a name of its own.
    const QString value = QStringLiteral("a\\b|c]d=e\nf\rg");
    store.write(kSettingsApplication, QStringLiteral("Fuzz"), QStringLiteral("Value"), value);
    FileSettingsStore again(path);  // reads only what the file says
    if (again.read(kSettingsApplication, QStringLiteral("Fuzz"), QStringLiteral("Value"), absent) !=
        value) {
        std::abort();
    }
    for (qsizetype i = 0; i < probes.size(); ++i) {
        const Probe& p = probes[i];
        const bool written =
            p.application.compare(kSettingsApplication, Qt::CaseInsensitive) == 0 &&
            p.section.compare(QStringLiteral("Fuzz"), Qt::CaseInsensitive) == 0 &&
            p.key.compare(QStringLiteral("Value"), Qt::CaseInsensitive) == 0;
        if (!written && again.read(p.application, p.section, p.key, absent) != before[i]) {
            std::abort();  // storing one value lost or changed another
        }
    }
}

}  // namespace cellwatch
