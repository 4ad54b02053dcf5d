#include "readout/journal.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "chart/data_table.h"
#include "chart/table_export.h"
#include "protocol/sample_text.h"
#include "protocol/status_sample.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

const QString kProgram = QStringLiteral("cellwatch");
constexpr int kMaxNameAttempts = 1000;

// 2026-12-05T14:30:12+01:00
QString isoTimeWithOffset(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// A value on the comment line: on one line, without the separator.
QString commentValue(QString text) {
    text.replace(u'\r', u' ')
        .replace(u'\n', u' ')
        .replace(QStringLiteral("; "), QStringLiteral(", "));
    return text;
}

QString headerLine() {
    QStringList headers;
    for (int column = 1; column <= kSampleFieldCount; ++column) {
        headers << DataTableModel::headerText(column);
    }
    return csvLine(headers);
}

// The start a file name tells: cellwatch-yyyyMMdd-HHmmss[-n].csv.
QDateTime startFromName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^cellwatch-(\\d{8}-\\d{6})(-\\d+)?\\.csv$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch()) {
        return {};
    }
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
}

// Fills start, port and battery type from a comment line
// "cellwatch 1.10.0; port=...; start=...; battery=...".
void readComment(const QString& comment, JournalInfo& info) {
    const QStringList parts = comment.split(QStringLiteral("; "));
    if (parts.isEmpty() || !parts.front().startsWith(kProgram + u' ')) {
        return;
    }
    for (const QString& part : parts) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals < 0) {
            continue;
        }
        const QString key = part.left(equals);
        const QString value = part.mid(equals + 1);
        if (key == QLatin1String("port")) {
            info.port = value;
        } else if (key == QLatin1String("start")) {
            const QDateTime start = QDateTime::fromString(value, Qt::ISODate);
            if (start.isValid()) {
                info.start = start.toLocalTime();
            }
        } else if (key == QLatin1String("battery")) {
            info.batteryType = value;
        }
    }
}

}  // namespace

QString Journal::defaultFolder() {
    // Beside the settings' folder name: ~/.local/share/cellwatch/recordings
    // (Linux), ~/Library/Application Support/cellwatch/recordings (macOS),
    // %LOCALAPPDATA%/cellwatch/recordings (Windows).
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/cellwatch/recordings");
}

Journal::Journal(QString folder, QString programVersion)
    : folder_(std::move(folder)), programVersion_(std::move(programVersion)) {}

Journal::~Journal() {
    end();
}

void Journal::setFailureHandler(std::function<void(const QString&)> handler) {
    onFailure_ = std::move(handler);
}

void Journal::begin(const QDateTime& start, const QString& port) {
    end();
    start_ = start.isValid() ? start : QDateTime::currentDateTime();
    port_ = port;
    path_.clear();
    rows_ = 0;
    failure_.clear();
    recording_ = true;
}

void Journal::end() {
    recording_ = false;
    if (file_.isOpen()) {
        file_.close();
    }
}

void Journal::appendRow(const QStringList& texts) {
    QStringList row = texts.mid(0, kSampleFieldCount);
    row.resize(kSampleFieldCount);
    write(row[kFieldBatteryType], csvLine(row));
}

void Journal::appendRow(const DataTableModel& table, int row) {
    write(table.gridText(row, kFieldBatteryType + 1), tableCsvLine(table, row));
}

void Journal::write(const QString& batteryType, const QString& line) {
    if (!recording_ || !failure_.isEmpty()) {
        return;
    }
    QByteArray bytes;
    if (!file_.isOpen()) {
        if (!open()) {
            return;
        }
        const QString comment =
            QStringLiteral("# %1 %2; port=%3; start=%4; battery=%5\r\n")
                .arg(kProgram, commentValue(programVersion_), commentValue(port_),
                     isoTimeWithOffset(start_), commentValue(batteryType));
        bytes = QByteArray("\xEF\xBB\xBF") + comment.toUtf8() + headerLine().toUtf8();
    }
    bytes += line.toUtf8();
    // Unbuffered: this is one write to the operating system.
    if (file_.write(bytes) != bytes.size()) {
        fail(QStringLiteral("Cannot write the recording to %1: %2")
                 .arg(QDir::toNativeSeparators(path_), file_.errorString()));
        return;
    }
    ++rows_;
}

bool Journal::open() {
    if (!QDir().mkpath(folder_)) {
        fail(QStringLiteral("Cannot create the folder %1 for the recordings.")
                 .arg(QDir::toNativeSeparators(folder_)));
        return false;
    }
    const QString base = folder_ + QStringLiteral("/cellwatch-") +
                         start_.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name =
            base + (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString()) + ".csv";
        file_.setFileName(name);
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            path_ = name;
            return true;
        }
        if (!QFileInfo::exists(name)) {
            break;
        }
    }
    fail(QStringLiteral("Cannot write the recording to %1: %2")
             .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    return false;
}

void Journal::fail(const QString& message) {
    failure_ = message;
    if (file_.isOpen()) {
        file_.close();
    }
    if (onFailure_) {
        onFailure_(message);
    }
}

std::vector<JournalInfo> listJournals(const QString& folder) {
    std::vector<JournalInfo> journals;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        JournalInfo info;
        info.path = file.absoluteFilePath();
        info.sizeBytes = file.size();
        const RecordingSummary summary = RecordingFile::summarize(info.path);
        for (const QString& comment : summary.comments) {
            readComment(comment, info);
        }
        if (!info.start.isValid()) {
            info.start = startFromName(file.fileName());
        }
        info.rowCount = static_cast<qint64>(summary.rowCount);
        if (!summary.lastRow.isEmpty()) {
            if (const auto seconds =
                    parseElapsedText(summary.lastRow[kFieldElapsed].toStdString())) {
                info.durationSeconds = *seconds;
            }
        }
        if (info.batteryType.isEmpty() && !summary.firstRow.isEmpty()) {
            info.batteryType = summary.firstRow[kFieldBatteryType];
        }
        journals.push_back(std::move(info));
    }
    const auto key = [](const JournalInfo& info) {
        return info.start.isValid() ? info.start.toMSecsSinceEpoch()
                                    : std::numeric_limits<qint64>::min();
    };
    std::stable_sort(
        journals.begin(), journals.end(),
        [&key](const JournalInfo& a, const JournalInfo& b) { return key(a) < key(b); });
    return journals;
}

qint64 folderSize(const QString& folder) {
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        bytes += file.size();
    }
    return bytes;
}

}  // namespace cellwatch
