#include "readout/journal.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cstdlib>
#include <limits>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

const QString kProgram = QStringLiteral("cellwatch");
constexpr int kMaxNameAttempts = 1000;

// A value on the comment line: on one line, without the separator.
QString commentValue(QString text) {
    text.replace(u'\r', u' ')
        .replace(u'\n', u' ')
        .replace(QStringLiteral("; "), QStringLiteral(", "));
    return text;
}

// A comment line as one quoted CSV field ("# text"), so that a spreadsheet
// keeps it in one cell whatever commas it holds.
QByteArray commentLine(const QString& text) {
    QString doubled = QStringLiteral("# ") + text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return (u'"' + doubled + QStringLiteral("\"\r\n")).toUtf8();
}

QString headerLine() {
    QStringList headers;
    for (int column = 1; column <= kRowFieldCount; ++column) {
        headers << RowStore::headerText(column);
    }
    return csvLine(headers);
}

}  // namespace

QDateTime journalStartFromName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^cellwatch-(\\d{8}-\\d{6})(-[A-Za-z][A-Za-z0-9_]*-\\d+)?(-\\d+)?\\.csv$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch()) {
        return {};
    }
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
}

void readJournalComment(const QString& comment, JournalInfo& info) {
    const QStringList parts = comment.split(QStringLiteral("; "));
    if (parts.isEmpty() || !parts.front().startsWith(kProgram + u' ')) {
        return;
    }
    QString charger;
    bool watched = false;
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
        } else if (key == QLatin1String("charger")) {
            charger = value;
        } else if (key == QLatin1String("channel")) {
            info.channel = value.toInt();
        } else if (key == QLatin1String("watched")) {
            info.charger = value;
            watched = true;
        } else if (key == QLatin1String("publisher-start")) {
            const QDateTime start = QDateTime::fromString(value, Qt::ISODate);
            if (start.isValid()) {
                info.publisherStart = start.toLocalTime();
            }
        }
    }
    if (charger.isEmpty()) {
        return;
    }
    if (!watched && info.publisherStart.isValid()) {
        info.charger = charger;  // an older watcher's line: charger= was the watched one
    } else {
        info.driver = charger;
    }
}

bool sameChargeWatched(const JournalInfo& watched, const JournalInfo& own) {
    return watched.publisherStart.isValid() && !own.publisherStart.isValid() &&
           own.start.isValid() &&
           watched.publisherStart.toSecsSinceEpoch() == own.start.toSecsSinceEpoch() &&
           (watched.batteryType.isEmpty() || own.batteryType.isEmpty() ||
            watched.batteryType == own.batteryType);
}

QString isoTimeWithOffset(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString Journal::defaultFolder() {
    // Beside the settings' folder name: ~/.local/share/cellwatch/recordings
    // (Linux), ~/Library/Application Support/cellwatch/recordings (macOS),
    // %LOCALAPPDATA%/cellwatch/recordings (Windows). Without a home folder
    // (HOME unset and no XDG_DATA_HOME) the system's answer would be a folder
    // under the root: there is no folder then, and the journal says so.
#ifdef Q_OS_UNIX
    if (qEnvironmentVariableIsEmpty("HOME") && qEnvironmentVariableIsEmpty("XDG_DATA_HOME")) {
        return {};
    }
#endif
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/cellwatch/recordings");
}

Journal::Journal(QString folder, QString programVersion)
    : folder_(std::move(folder)),
      programVersion_(std::move(programVersion)),
      driver_(QLatin1String(ReadingFormat::kDriverId.data(),
                            static_cast<qsizetype>(ReadingFormat::kDriverId.size()))) {}

std::unique_ptr<Journal> Journal::alike() const {
    auto journal = std::make_unique<Journal>(folder_, programVersion_);
    journal->onNotice_ = onNotice_;
    journal->driver_ = driver_;
    journal->channel_ = channel_;
    return journal;
}

void Journal::setCharger(const QString& driver, int channel) {
    driver_ = driver;
    channel_ = channel;
}

Journal::~Journal() {
    // The table the rows are read from may be gone by now: only close the
    // file (whoever owns both calls end() while the table is there).
    recording_ = false;
    table_ = nullptr;
    if (file_.isOpen()) {
        file_.close();
    }
}

void Journal::setNoticeHandler(std::function<void(Notice, const QString&)> handler) {
    onNotice_ = std::move(handler);
}

void Journal::begin(const QDateTime& start, const QString& port, const QString& charger,
                    const QDateTime& publisherStart) {
    end();
    start_ = start.isValid() ? start : QDateTime::currentDateTime();
    port_ = port;
    charger_ = charger;
    publisherStart_ = publisherStart;
    path_.clear();
    table_ = nullptr;
    fileBytes_ = 0;
    shown_ = 0;
    written_ = 0;
    comments_.clear();
    commentsWritten_ = 0;
    failure_.clear();
    lastTry_.invalidate();
    recording_ = true;
}

void Journal::appendComment(const QString& text) {
    if (!recording_ || shown_ == 0) {
        return;
    }
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    comments_.push_back({shown_, commentLine(line)});
    sync(false);
}

void Journal::noteAtStart(const QString& text) {
    if (!recording_) {
        return;
    }
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    comments_.push_back({0, commentLine(line)});
    if (shown_ > 0) {
        sync(false);  // the file is there already: the line goes after the rows so far
    }
}

bool Journal::discard() {
    const QString path = path_;
    recording_ = false;
    table_ = nullptr;
    if (file_.isOpen()) {
        file_.close();
    }
    path_.clear();
    written_ = 0;
    shown_ = 0;
    comments_.clear();
    commentsWritten_ = 0;
    if (path.isEmpty()) {
        return false;
    }
    QFile::remove(packFilePath(path));
    return QFile::remove(path);
}

void Journal::end() {
    if (recording_ && (rowsOwed() > 0 || commentsWritten_ < comments_.size())) {
        sync(true);
    }
    recording_ = false;
    table_ = nullptr;
    if (file_.isOpen()) {
        file_.close();
    }
}

void Journal::appendRow(const RowStore& table, int row) {
    if (!recording_) {
        return;
    }
    table_ = &table;
    shown_ = std::max<qint64>(shown_, row);
    sync(false);
}

void Journal::retry() {
    if (recording_ && (rowsOwed() > 0 || commentsWritten_ < comments_.size())) {
        sync(true);
    }
}

void Journal::sync(bool force) {
    if (table_ == nullptr || shown_ > table_->gridRowCount() - 1) {
        return;  // the table no longer holds the rows (cleared): nothing to write from
    }
    if (file_.isOpen() && fileVanished()) {
        // The file (or its folder, or its drive) is gone: what it held is no
        // longer anyone's. Start again with every row so far.
        file_.close();
        path_.clear();
        fileBytes_ = 0;
        written_ = 0;
        commentsWritten_ = 0;
        if (!open()) {
            return;
        }
        if (writeOwed()) {
            notify(Notice::Recreated, QDir::toNativeSeparators(path_));
        }
        return;
    }
    if (!failure_.isEmpty() && !force && lastTry_.isValid() && !lastTry_.hasExpired(kRetryMs)) {
        return;  // stopped: try again in a while
    }
    if (!file_.isOpen() && !open()) {
        return;
    }
    const bool wasStopped = !failure_.isEmpty();
    if (writeOwed() && wasStopped) {
        notify(Notice::CaughtUp, QDir::toNativeSeparators(path_));
    }
}

bool Journal::fileVanished() const {
#ifdef Q_OS_UNIX
    // One fstat and one stat a row: the open file must still be the file at
    // its name.
    struct stat held {};
    struct stat named {};
    if (::fstat(file_.handle(), &held) != 0 || held.st_nlink == 0) {
        return true;
    }
    const QByteArray name = QFile::encodeName(path_);
    return ::stat(name.constData(), &named) != 0 || named.st_ino != held.st_ino ||
           named.st_dev != held.st_dev;
#else
    return !QFileInfo::exists(path_);
#endif
}

bool Journal::open() {
    lastTry_.start();
    if (folder_.isEmpty()) {
        stop(QStringLiteral("There is no folder for the recordings (no home folder is set)."));
        return false;
    }
    if (!QDir().mkpath(folder_)) {
        stop(QStringLiteral("Cannot create the folder %1 for the recordings.")
                 .arg(QDir::toNativeSeparators(folder_)));
        return false;
    }
    QString base = folder_ + QStringLiteral("/cellwatch-") +
                   start_.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (channel_ > 0) {
        base += QStringLiteral("-%1-%2").arg(driver_).arg(channel_);
    }
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name =
            base + (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString()) + ".csv";
        file_.setFileName(name);
        if (file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::NewOnly |
                       QIODevice::Unbuffered)) {
            path_ = name;
            fileBytes_ = 0;
            written_ = 0;
            commentsWritten_ = 0;
            return true;
        }
        if (!QFileInfo::exists(name)) {
            break;
        }
    }
    stop(QStringLiteral("Cannot write the recording to %1: %2")
             .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    return false;
}

bool Journal::writeOwed() {
    lastTry_.start();
    // Rows go in batches of whole rows, each batch one write; a live row is a
    // batch of one.
    constexpr qsizetype kBatchBytes = 256 * 1024;
    while (written_ < shown_ || commentsWritten_ < comments_.size()) {
        QByteArray bytes;
        if (fileBytes_ == 0) {
            const QString battery = table_->gridText(1, kFieldBatteryType + 1);
            QString comment =
                QStringLiteral("%1 %2; port=%3; start=%4; battery=%5; charger=%6")
                    .arg(kProgram, commentValue(programVersion_), commentValue(port_),
                         isoTimeWithOffset(start_), commentValue(battery), commentValue(driver_));
            if (channel_ > 0) {
                comment += QStringLiteral("; channel=%1").arg(channel_);
            }
            if (publisherStart_.isValid()) {
                comment += QStringLiteral("; watched=%1; publisher-start=%2")
                               .arg(commentValue(charger_), isoTimeWithOffset(publisherStart_));
            }
            bytes = QByteArray("\xEF\xBB\xBF") + commentLine(comment) + headerLine().toUtf8();
        }
        qint64 rows = 0;
        std::size_t comments = commentsWritten_;
        const auto addComments = [&] {
            while (comments < comments_.size() && comments_[comments].afterRow <= written_ + rows) {
                bytes += comments_[comments++].line;
            }
        };
        addComments();
        while (written_ + rows < shown_ && bytes.size() < kBatchBytes) {
            bytes += tableCsvLine(*table_, static_cast<int>(written_ + rows + 1)).toUtf8();
            ++rows;
            addComments();
        }
        if (const qint64 n = file_.write(bytes); n != bytes.size()) {
            // A short write says nothing; the rest, tried again, says why
            // (a full disk, a file-size limit).
            if (n >= 0) {
                file_.write(bytes.constData() + n, bytes.size() - n);
            }
            // (A rest that went in after all leaves no error: "Unknown error".)
            const QString why = file_.error() != QFileDevice::NoError
                                    ? file_.errorString()
                                    : QStringLiteral("only part of it could be written");
            // Take the part of a row back: the file ends on a row boundary.
            file_.resize(fileBytes_);
            stop(QStringLiteral("Cannot write the recording to %1: %2")
                     .arg(QDir::toNativeSeparators(path_), why));
            return false;
        }
        fileBytes_ += bytes.size();
        written_ += rows;
        commentsWritten_ = comments;
    }
    failure_.clear();
    return true;
}

void Journal::stop(const QString& message) {
    const bool first = failure_.isEmpty();
    failure_ = message;
    if (first) {
        notify(Notice::Stopped, message);
    }
}

void Journal::notify(Notice notice, const QString& detail) {
    if (onNotice_) {
        onNotice_(notice, detail);
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
            readJournalComment(comment, info);
        }
        if (!info.start.isValid()) {
            info.start = journalStartFromName(file.fileName());
        }
        info.rowCount = static_cast<qint64>(summary.rowCount);
        if (!summary.lastRow.isEmpty()) {
            if (const auto seconds =
                    ReadingFormat::parseElapsed(summary.lastRow[kFieldElapsed].toStdString())) {
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
