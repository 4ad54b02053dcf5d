#include "import/log_import.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "packs/pack_health.h"
#include "protocol/table_fields.h"
#include "readout/file_text.h"
#include "readout/journal.h"
#include "readout/pack_file.h"
#include "readout/table_export.h"

namespace cellwatch::logimport {
namespace {

const QString kHashKey = QStringLiteral("source-sha256=");
constexpr int kMaxNameAttempts = 1000;
// A file's time from before this is a charger's fixed stamp, not a date.
constexpr int kEarliestYear = 1990;
// A journal's first line is shorter than this.
constexpr qint64 kFirstLineBytes = 4096;

QString commentValue(QString text) {
    text.replace(u'\r', u' ')
        .replace(u'\n', u' ')
        .replace(QStringLiteral("; "), QStringLiteral(", "));
    return text;
}

PackChemistry packChemistry(Chemistry c) {
    switch (c) {
        case Chemistry::LiPo:
            return PackChemistry::LiPo;
        case Chemistry::LiHV:
            return PackChemistry::LiHV;
        case Chemistry::LiIon:
            return PackChemistry::LiIon;
        case Chemistry::LiFe:
            return PackChemistry::LiFe;
        case Chemistry::NiMH:
            return PackChemistry::NiMH;
        case Chemistry::NiCd:
            return PackChemistry::NiCd;
        case Chemistry::Pb:
            return PackChemistry::Pb;
        default:
            return PackChemistry::Unknown;
    }
}

// A result refused for `why`.
ImportResult& refuse(ImportResult& result, Refusal why) {
    result.reason = refusalText(why);
    result.refusal = std::move(why);
    return result;
}

// A driver's id as a journal's file name may hold it.
QString nameSafe(QString id) {
    for (QChar& c : id) {
        if (!c.isLetterOrNumber() || c.unicode() > 127) {
            c = u'_';
        }
    }
    return id.isEmpty() || !id.front().isLetter() ? QStringLiteral("c") + id : id;
}

QByteArray journalBytes(const RowStore& rows, const QString& comment) {
    QString quoted = QStringLiteral("# ") + comment;
    quoted.replace(u'"', QStringLiteral("\"\""));
    QByteArray bytes =
        QByteArray("\xEF\xBB\xBF") + (u'"' + quoted + QStringLiteral("\"\r\n")).toUtf8();
    QStringList headers;
    for (int column = 1; column <= kRowFieldCount; ++column) {
        headers << RowStore::headerText(column);
    }
    bytes += csvLine(headers).toUtf8();
    for (int row = 1; row < rows.gridRowCount(); ++row) {
        bytes += tableCsvLine(rows, row).toUtf8();
    }
    return bytes;
}

// Writes `bytes` as a new journal named from `base` (-2, -3 ... when taken):
// a temporary file renamed into place, never over another file.
QString writeJournal(const QString& folder, const QString& base, const QByteArray& bytes,
                     Refusal& error) {
    QTemporaryFile scratch(folder + QStringLiteral("/.cellwatch-import-XXXXXX"));
    if (!scratch.open() || scratch.write(bytes) != bytes.size() || !scratch.flush()) {
        error = {QT_TRANSLATE_NOOP("ImportReason", "cannot write in %1: %2"),
                 {QDir::toNativeSeparators(folder), scratch.errorString()}};
        return {};
    }
    scratch.close();
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name = folder + u'/' + base +
                             (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString()) +
                             QStringLiteral(".csv");
        if (QFileInfo::exists(name) || QFileInfo::exists(packFilePath(name))) {
            continue;
        }
        if (QFile::rename(scratch.fileName(), name)) {
            scratch.setAutoRemove(false);
            return name;
        }
    }
    error = {QT_TRANSLATE_NOOP("ImportReason", "cannot name a recording %1 in %2"),
             {base, QDir::toNativeSeparators(folder)}};
    return {};
}

}  // namespace

QString resultLine(const ImportResult& r) {
    const QString file = QFileInfo(r.source).fileName();
    QStringList names;
    for (const QString& j : r.journals) {
        names << QFileInfo(j).fileName();
    }
    switch (r.outcome) {
        case ImportOutcome::Imported:
            return QStringLiteral("%1: imported as %2 (%3 rows)")
                .arg(file, names.join(QStringLiteral(", ")))
                .arg(r.rows);
        case ImportOutcome::AlreadyImported:
            return QStringLiteral("%1: already imported as %2")
                .arg(file, names.join(QStringLiteral(", ")));
        case ImportOutcome::Refused:
            break;
    }
    return QStringLiteral("%1: refused: %2").arg(file, r.reason);
}

std::optional<LogKind> kindOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray head = file.read(kFirstLineBytes);
    return kindOfText({head.constData(), static_cast<std::size_t>(head.size())});
}

Importer::Importer(ImportOptions options) : options_(std::move(options)) {
    options_.pack = normalizedPackName(options_.pack);
}

void Importer::indexFolder() {
    indexed_ = true;
    const QDir dir(options_.folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray first = file.read(kFirstLineBytes);
        const QString line = QString::fromUtf8(first.left(first.indexOf('\n')));
        const qsizetype at = line.indexOf(kHashKey);
        if (at >= 0 && line.contains(QLatin1String("# cellwatch "))) {
            imported_[line.mid(at + kHashKey.size(), 64)] << file.fileName();
        }
    }
}

ImportedLog Importer::readLog(const QString& path, const QByteArray& bytes, LogKind kind) {
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    switch (kind) {
        case LogKind::ToolkitRc:
            return readToolkitLog(text, QFileInfo(path).fileName());
        case LogKind::OpenFormat:
            return readOpenFormatLog(text, installedOpenFormatDescriptions());
        case LogKind::OwnCsv:
            break;
    }
    return readOwnCsv(path);
}

QDateTime Importer::startOf(const ImportedLog& log, const QString& path) const {
    if (log.start.isValid()) {
        return log.start;
    }
    if (options_.date.isValid()) {
        const QDateTime midnight = options_.date.startOfDay();
        return nextOnDate_.isValid() && nextOnDate_.date() == options_.date ? nextOnDate_
                                                                            : midnight;
    }
    const QDateTime modified = QFileInfo(path).lastModified();
    if (modified.isValid() && modified.date().year() >= kEarliestYear) {
        return modified.addSecs(-static_cast<qint64>(log.durationSeconds()));
    }
    return {};
}

ImportResult Importer::importFile(const QString& path) {
    ImportResult result;
    result.source = path;
    QByteArray bytes;
    try {
        const FileBytes file(path);
        if (static_cast<std::size_t>(file.end() - file.begin()) > kMostLogBytes) {
            throw LogFault(0, 0, QT_TRANSLATE_NOOP("ImportReason", "it is larger than %1 MiB"),
                           kMostLogBytes >> 20);
        }
        bytes = QByteArray(file.begin(), file.end() - file.begin());
    } catch (const LogFault& fault) {
        return refuse(result, fault.refusal());
    } catch (const std::runtime_error& e) {
        return refuse(result, {nullptr, {QString::fromStdString(e.what())}});
    }
    // Spreadsheets saved by a spreadsheet program are no logs.
    if (bytes.startsWith("\xD0\xCF\x11\xE0") || bytes.startsWith("PK\x03\x04")) {
        return refuse(result, {QT_TRANSLATE_NOOP("ImportReason",
                                                 "it is a spreadsheet workbook (binary), not a "
                                                 "log: import the charger's own file, or a CSV "
                                                 "table")});
    }
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    result.kind = kindOfText(text.substr(0, kFirstLineBytes));
    if (!result.kind) {
        return refuse(result,
                      {bytes.isEmpty() ? QT_TRANSLATE_NOOP("ImportReason", "the file is empty")
                                       : QT_TRANSLATE_NOOP("ImportReason",
                                                           "it is no ToolkitRC log, no OpenFormat "
                                                           "lines and no table of this program")});
    }
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (!indexed_) {
        indexFolder();
    }
    const QFileInfo source(path);
    if (source.absolutePath() == QFileInfo(options_.folder).absoluteFilePath() &&
        *result.kind == LogKind::OwnCsv) {
        result.outcome = ImportOutcome::AlreadyImported;  // a recording of the folder itself
        result.journals << source.absoluteFilePath();
        return result;
    }
    if (const auto found = imported_.find(hash); found != imported_.end()) {
        result.outcome = ImportOutcome::AlreadyImported;
        result.journals = found->second;
        return result;
    }
    ImportedLog log;
    try {
        log = readLog(path, bytes, *result.kind);
    } catch (const LogFault& fault) {
        Refusal why = fault.refusal();
        why.as = result.kind;
        return refuse(result, std::move(why));
    } catch (const std::runtime_error& e) {
        return refuse(result, {nullptr, {QString::fromUtf8(e.what())}});
    }
    const QDateTime start = startOf(log, path);
    if (!start.isValid()) {
        return refuse(result, {QT_TRANSLATE_NOOP("ImportReason",
                                                 "the file does not tell its date (the charger "
                                                 "has no clock): give the date it was recorded "
                                                 "on")});
    }
    if (options_.folder.isEmpty() || !QDir().mkpath(options_.folder)) {
        return refuse(result, {QT_TRANSLATE_NOOP("ImportReason",
                                                 "there is no recordings folder to import into")});
    }
    PackInfo pack;
    if (!options_.pack.isEmpty()) {
        pack = packDefinitionOfFolder(options_.folder, options_.pack).value_or(PackInfo{});
        pack.pack = options_.pack;
        pack.note.clear();
        pack.leftOut = false;
        if (pack.chemistry == PackChemistry::Unknown) {
            pack.chemistry = packChemistry(log.chemistry);
        }
        if (pack.cells == 0 && log.cells > 0 && log.cells <= kPackMaxCells) {
            pack.cells = log.cells;
        }
    }
    const QString fileName = QFileInfo(path).fileName();
    Refusal error;
    for (const ImportedChannel& channel : log.channels) {
        const RowStore& rows = *channel.rows;
        QString comment = QStringLiteral("cellwatch %1; port=; start=%2; battery=%3; charger=%4")
                              .arg(commentValue(options_.programVersion), isoTimeWithOffset(start),
                                   commentValue(rows.gridText(1, kFieldBatteryType + 1)),
                                   commentValue(log.charger));
        if (channel.channel > 0) {
            comment += QStringLiteral("; channel=%1").arg(channel.channel);
        }
        comment +=
            QStringLiteral("; imported=%1; %2%3").arg(commentValue(fileName), kHashKey, hash);
        QString base =
            QStringLiteral("cellwatch-") + start.toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (channel.channel > 0) {
            base += QStringLiteral("-%1-%2").arg(nameSafe(log.charger)).arg(channel.channel);
        }
        const QString journal =
            writeJournal(options_.folder, base, journalBytes(rows, comment), error);
        QString packError;
        if (!journal.isEmpty() && !pack.isEmpty() && !writePackInfo(journal, pack, &packError)) {
            QFile::remove(journal);
            error = {QT_TRANSLATE_NOOP("ImportReason", "cannot write its pack file: %1"),
                     {packError}};
        } else if (!journal.isEmpty()) {
            result.journals << journal;
            result.rows += rows.dataRowCount();
            continue;
        }
        // Nothing of the file stays: the channels written before go too.
        for (const QString& written : std::as_const(result.journals)) {
            removePackInfo(written);
            QFile::remove(written);
        }
        result.journals.clear();
        result.rows = 0;
        return refuse(result, std::move(error));
    }
    imported_[hash] = result.journals;
    if (!log.start.isValid() && options_.date.isValid()) {
        nextOnDate_ = start.addSecs(static_cast<qint64>(log.durationSeconds()) + 1);
    }
    result.outcome = ImportOutcome::Imported;
    return result;
}

}  // namespace cellwatch::logimport
