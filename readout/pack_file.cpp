#include "readout/pack_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cstddef>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

const QString kPackKey = QStringLiteral("pack");
const QString kNoteKey = QStringLiteral("note");
// A pack file is a few hundred bytes; anything much larger is no pack file.
constexpr std::size_t kLargestFile = 1 << 20;

}  // namespace

QString cutToLength(const QString& text, qsizetype limit) {
    if (text.size() <= limit) {
        return text;
    }
    qsizetype end = std::max<qsizetype>(limit, 0);
    if (end > 0 && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate()) {
        --end;
    }
    return text.left(end);
}

QString normalizedPackName(const QString& name) {
    // Trimmed again: the cut may end on a blank.
    return cutToLength(name.simplified(), kPackNameLimit).trimmed();
}

QString packFilePath(const QString& journalPath) {
    const QFileInfo info(journalPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(stem + QStringLiteral(".pack.json"));
}

PackInfo readPackInfo(const QString& journalPath, QString* problem) {
    const QString path = packFilePath(journalPath);
    const auto fail = [problem](const QString& why) {
        if (problem != nullptr) {
            *problem = why;
        }
        return PackInfo{};
    };
    fail(QString());
    const FileContents contents =
        readRegularFile(QFile::encodeName(path).toStdString(), kLargestFile);
    if (contents.missing) {
        return {};
    }
    if (!contents.ok()) {
        return fail(QStringLiteral("cannot read %1: %2")
                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(contents.why)));
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(contents.bytes), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return fail(QStringLiteral("%1 is no pack file").arg(QDir::toNativeSeparators(path)));
    }
    const QJsonObject object = document.object();
    PackInfo info;
    info.pack = normalizedPackName(object.value(kPackKey).toString());
    info.note = cutToLength(object.value(kNoteKey).toString(), kPackNoteLimit);
    return info;
}

bool writePackInfo(const QString& journalPath, const PackInfo& given, QString* error) {
    PackInfo info{normalizedPackName(given.pack), cutToLength(given.note, kPackNoteLimit)};
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
