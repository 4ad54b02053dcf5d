#include "readout/pack_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

const QString kPackKey = QStringLiteral("pack");
const QString kNoteKey = QStringLiteral("note");
const QString kChemistryKey = QStringLiteral("chemistry");
const QString kCellsKey = QStringLiteral("cells");
const QString kCapacityKey = QStringLiteral("capacity_mah");
const QString kCellHighKey = QStringLiteral("cell_high_v");
const QString kCellLowKey = QStringLiteral("cell_low_v");
const QString kLeftOutKey = QStringLiteral("left_out");
constexpr double kLargestCapacityMah = 1e6;

const char* const kChemistryNames[kPackChemistryCount] = {"",     "LiPo", "LiHV", "LiIon",
                                                          "LiFe", "NiMH", "NiCd", "Pb"};

// A number of the file within [lo, hi]; 0 (not known) otherwise.
double packNumber(const QJsonValue& value, double lo, double hi) {
    const double n = value.toDouble(0);
    return value.isDouble() && n >= lo && n <= hi ? n : 0;
}

// The traits of `given` as they are kept: out-of-range values as not known.
PackInfo keptTraits(const PackInfo& given) {
    PackInfo kept = given;
    const auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi ? v : 0; };
    kept.cells = given.cells >= 1 && given.cells <= kPackMaxCells ? given.cells : 0;
    kept.capacityMah = within(given.capacityMah, 1, kLargestCapacityMah);
    kept.cellHighV = within(given.cellHighV, kPackLimitLowestV, kPackLimitHighestV);
    kept.cellLowV = within(given.cellLowV, kPackLimitLowestV, kPackLimitHighestV);
    return kept;
}
// A pack file is a few hundred bytes; anything much larger is no pack file.
constexpr std::size_t kLargestFile = 1 << 20;

}  // namespace

QString chemistryName(PackChemistry chemistry) {
    const auto i = static_cast<std::size_t>(chemistry);
    return i < std::size(kChemistryNames) ? QString::fromLatin1(kChemistryNames[i]) : QString();
}

PackChemistry chemistryFromName(const QString& name) {
    for (int i = 1; i < kPackChemistryCount; ++i) {
        if (name.compare(QLatin1String(kChemistryNames[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<PackChemistry>(i);
        }
    }
    return PackChemistry::Unknown;
}

bool cellCountDiffers(const PackInfo& pack, int recordingCells) {
    return pack.cells > 0 && recordingCells > 0 && pack.cells != recordingCells;
}

QString cellCountMismatchText(const PackInfo& pack, int recordingCells) {
    return QStringLiteral("This recording has %1 cells; pack \"%2\" has %3")
        .arg(recordingCells)
        .arg(pack.pack)
        .arg(pack.cells);
}

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
    info.chemistry = chemistryFromName(object.value(kChemistryKey).toString());
    info.cells = static_cast<int>(packNumber(object.value(kCellsKey), 1, kPackMaxCells));
    if (info.cells != object.value(kCellsKey).toDouble(0)) {
        info.cells = 0;  // not a whole number
    }
    info.capacityMah = packNumber(object.value(kCapacityKey), 1, kLargestCapacityMah);
    info.cellHighV = packNumber(object.value(kCellHighKey), kPackLimitLowestV, kPackLimitHighestV);
    info.cellLowV = packNumber(object.value(kCellLowKey), kPackLimitLowestV, kPackLimitHighestV);
    info.leftOut = object.value(kLeftOutKey).toBool(false);
    return info;
}

bool writePackInfo(const QString& journalPath, const PackInfo& given, QString* error) {
    PackInfo info = keptTraits(given);
    info.pack = normalizedPackName(given.pack);
    info.note = cutToLength(given.note, kPackNoteLimit);
    if (info.isEmpty()) {
        const bool removed = removePackInfo(journalPath);
        if (!removed && error) {
            *error = QStringLiteral("cannot remove %1").arg(packFilePath(journalPath));
        }
        return removed;
    }
    QJsonObject object{{kPackKey, info.pack}, {kNoteKey, info.note}};
    if (info.chemistry != PackChemistry::Unknown) {
        object.insert(kChemistryKey, chemistryName(info.chemistry));
    }
    if (info.cells > 0) {
        object.insert(kCellsKey, info.cells);
    }
    if (info.capacityMah > 0) {
        object.insert(kCapacityKey, info.capacityMah);
    }
    if (info.cellHighV > 0) {
        object.insert(kCellHighKey, info.cellHighV);
    }
    if (info.cellLowV > 0) {
        object.insert(kCellLowKey, info.cellLowV);
    }
    if (info.leftOut) {
        object.insert(kLeftOutKey, true);
    }
    QSaveFile file(packFilePath(journalPath));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    // The write goes to a buffer, and a flush that fails (a full disk, a
    // file-size limit) is not one the commit reports: it would put an empty
    // file in place. Flushed here, it says why.
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int failed = errno;
        if (error) {
            *error =
                failed != 0 ? QString::fromLocal8Bit(std::strerror(failed)) : file.errorString();
        }
        file.cancelWriting();
        return false;
    }
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
