#include "packs/pack_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace cellwatch {
namespace {

const QString kPackKey = QStringLiteral("pack");
const QString kNoteKey = QStringLiteral("note");
// A pack file is a few hundred bytes; anything much larger is no pack file.
constexpr qint64 kLargestFile = 1 << 20;

}  // namespace

QString normalizedPackName(const QString& name) {
    return name.simplified();
}

QString packFilePath(const QString& journalPath) {
    const QFileInfo info(journalPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(stem + QStringLiteral(".pack.json"));
}

PackInfo readPackInfo(const QString& journalPath) {
    QFile file(packFilePath(journalPath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestFile) {
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    const QJsonObject object = document.object();
    PackInfo info;
    info.pack = normalizedPackName(object.value(kPackKey).toString());
    info.note = object.value(kNoteKey).toString();
    return info;
}

bool writePackInfo(const QString& journalPath, const PackInfo& given, QString* error) {
    PackInfo info{normalizedPackName(given.pack), given.note};
    if (info.isEmpty()) {
        const bool removed = removePackInfo(journalPath);
        if (!removed && error) {
            *error = QStringLiteral("cannot remove %1").arg(packFilePath(journalPath));
        }
        return removed;
    }
    const QJsonObject object{{kPackKey, info.pack}, {kNoteKey, info.note}};
    QSaveFile file(packFilePath(journalPath));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

bool removePackInfo(const QString& journalPath) {
    const QString path = packFilePath(journalPath);
    return !QFile::exists(path) || QFile::remove(path);
}

}  // namespace cellwatch
