#include "packs/recording_scan.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <map>
#include <stdexcept>

#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/record_cursor.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

// What the listing shows of a journal, from its comment lines and its first
// and last rows.
void fillListing(JournalInfo& info, const QFileInfo& file, const QStringList& comments,
                 const QStringList& firstRow, const QStringList& lastRow, std::size_t rows) {
    for (const QString& comment : comments) {
        readJournalComment(comment, info);
    }
    if (!info.start.isValid()) {
        info.start = journalStartFromName(file.fileName());
    }
    info.rowCount = static_cast<qint64>(rows);
    if (!lastRow.isEmpty()) {
        if (const auto seconds =
                ReadingFormat::parseElapsed(lastRow.value(kFieldElapsed).toStdString())) {
            info.durationSeconds = *seconds;
        }
    }
    if (info.batteryType.isEmpty() && !firstRow.isEmpty()) {
        info.batteryType = firstRow.value(kFieldBatteryType);
    }
}

// The journals read while the program runs, kept while each keeps its size
// and time. Shared by every scan's thread.
struct Known {
    qint64 size = 0;
    QDateTime modified;
    JournalInfo journal;
    std::optional<RecordingSummaryValues> summary;
    PhaseTotals phases;
    int alarmCount = 0;
};
std::mutex knownMutex;
std::map<QString, Known>& known() {
    static std::map<QString, Known> map;
    return map;
}

// What a journal's first line tells (its start, charger and publisher's
// start), read from its first few KiB only.
JournalInfo journalHead(const QString& path) {
    JournalInfo info;
    info.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return info;
    }
    QByteArray head = file.read(4096);
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    }
    RecordCursor cursor(head.constData(), head.constData() + head.size());
    if (cursor.next() == RecordCursor::Kind::Comment && cursor.terminated()) {
        const std::string_view comment = cursor.comment();
        readJournalComment(
            QString::fromUtf8(comment.data(), static_cast<qsizetype>(comment.size())).trimmed(),
            info);
    }
    return info;
}

// cellwatch-20261205-143012 of cellwatch-20261205-143012-2.csv.
QString startName(const QString& path) {
    static const QRegularExpression suffix(QStringLiteral("(-\\d+)?\\.csv$"));
    QString name = QFileInfo(path).fileName();
    return name.remove(suffix);
}

}  // namespace

QStringList withoutWatchedCopies(const QStringList& paths) {
    std::map<QString, QStringList> byStart;
    for (const QString& path : paths) {
        byStart[startName(path)] << path;
    }
    QSet<QString> copies;
    for (const auto& [name, group] : byStart) {
        if (group.size() < 2) {
            continue;
        }
        std::vector<JournalInfo> heads;
        for (const QString& path : group) {
            heads.push_back(journalHead(path));
        }
        for (const JournalInfo& copy : heads) {
            for (const JournalInfo& own : heads) {
                if (sameChargeWatched(copy, own)) {
                    copies.insert(copy.path);
                }
            }
        }
    }
    QStringList kept;
    for (const QString& path : paths) {
        if (!copies.contains(path)) {
            kept << path;
        }
    }
    return kept;
}

ScannedRecording scanJournal(const QString& path, const std::atomic<bool>* cancelled) {
    ScannedRecording scanned;
    const QFileInfo file(path);
    const qint64 size = file.size();
    const QDateTime modified = file.lastModified();
    bool cached = false;
    {
        const std::lock_guard lock(knownMutex);
        const auto found = known().find(path);
        if (found != known().end() && found->second.size == size &&
            found->second.modified == modified) {
            scanned.journal = found->second.journal;
            scanned.summary = found->second.summary;
            scanned.phases = found->second.phases;
            scanned.alarmCount = found->second.alarmCount;
            cached = true;
        }
    }
    if (!cached) {
        JournalInfo& info = scanned.journal;
        info.path = file.absoluteFilePath();
        info.sizeBytes = size;
        bool stopped = false;
        struct Cancelled {};
        try {
            // One reading gives the summary and what the listing shows, a
            // few megabytes at a time: what it keeps is the same for a
            // journal of any size.
            RecordingFile recording;
            PhaseCutter cutter;
            std::size_t index = 0;
            QString firstType;
            std::string lastElapsed;
            RecordingSummaryValues values = streamAndSummarize(
                recording, path, [&](const RowFields& row, const RowNumbers& numbers) {
                    if (cancelled != nullptr && index % 4096 == 0 && cancelled->load()) {
                        throw Cancelled{};
                    }
                    if (index == 0) {
                        firstType = QString::fromUtf8(
                            row[kFieldBatteryType].data(),
                            static_cast<qsizetype>(row[kFieldBatteryType].size()));
                    }
                    lastElapsed.assign(row[kFieldElapsed]);
                    cutter.add(index++, rangeNumbers(numbers));
                });
            const std::size_t rows = recording.rowCount();
            // What the listing reads of the first and the last row.
            QStringList first;
            QStringList last;
            if (rows > 0) {
                first = {QString(), firstType};
                last = {QString::fromStdString(lastElapsed)};
            }
            static_assert(kFieldElapsed == 0 && kFieldBatteryType == 1);
            fillListing(info, file, recording.comments(), first, last, rows);
            scanned.summary = std::move(values);
            scanned.phases = cutter.result().totals;
            scanned.alarmCount = static_cast<int>(recording.alarms().size());
        } catch (const Cancelled&) {
            stopped = true;
        } catch (const std::exception&) {
            // No recording: listed with what a look at it tells.
            const RecordingSummary look = RecordingFile::summarize(path);
            fillListing(info, file, look.comments, look.firstRow, look.lastRow, look.rowCount);
        }
        if (!stopped) {
            const std::lock_guard lock(knownMutex);
            known()[path] = {size,           modified,          scanned.journal, scanned.summary,
                             scanned.phases, scanned.alarmCount};
        }
    }
    // Read anew each time: a viewer may have changed it since. One that
    // cannot be read (a FIFO, a device or a directory in its place, one too
    // large) is refused at once, saying why.
    scanned.pack = readPackInfo(path, &scanned.packProblem);
    if (scanned.summary) {
        scanned.summary->pack = scanned.pack.pack;
        scanned.summary->note = scanned.pack.note;
    }
    return scanned;
}

RecordingScan::RecordingScan(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

RecordingScan::~RecordingScan() {
    cancel();
    if (thread_) {
        thread_->wait();
    }
}

std::vector<ScannedRecording> RecordingScan::readNewest(qint64 bytes, int count) {
    std::vector<ScannedRecording> read;
    if (listed_) {
        return read;
    }
    listed_ = true;
    // The names only (no look at each file yet): journals are named by
    // their start, so the last names are the newest.
    const QDir dir(folder_);
    const QStringList names =
        dir.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name | QDir::Reversed);
    paths_.reserve(names.size());
    for (const QString& name : names) {
        paths_ << dir.absoluteFilePath(name);
    }
    total_ = static_cast<int>(paths_.size());
    qint64 taken = 0;
    while (first_ < static_cast<std::size_t>(paths_.size()) && static_cast<int>(first_) < count &&
           !cancelled_.load()) {
        const QString& path = paths_[static_cast<qsizetype>(first_)];
        taken += QFileInfo(path).size();
        if (taken > bytes) {
            break;
        }
        read.push_back(scanJournal(path, &cancelled_));
        ++first_;
        ++readCount_;
    }
    if (first_ == static_cast<std::size_t>(paths_.size())) {
        folderBytes_ = folderSize(folder_);
        done_ = true;
        const std::lock_guard lock(mutex_);
        finishSaid_ = true;  // nothing is left to say
    }
    return read;
}

void RecordingScan::start() {
    if (thread_ || done_.load()) {
        return;
    }
    if (!listed_) {
        readNewest(0, 0);
        if (done_.load()) {
            return;
        }
    }
    thread_.reset(QThread::create([this] { run(); }));
    thread_->setObjectName(QStringLiteral("recordings"));
    thread_->start(QThread::LowPriority);
}

void RecordingScan::cancel() {
    cancelled_ = true;
}

void RecordingScan::run() {
    for (auto i = static_cast<qsizetype>(first_); i < paths_.size() && !cancelled_.load(); ++i) {
        ScannedRecording scanned = scanJournal(paths_[i], &cancelled_);
        if (cancelled_.load()) {
            break;  // cut short: its summary would be wrong
        }
        push(std::move(scanned));
    }
    if (!cancelled_.load()) {
        folderBytes_ = folderSize(folder_);
    }
    done_ = true;
    notify();
}

void RecordingScan::push(ScannedRecording recording) {
    {
        const std::lock_guard lock(mutex_);
        pending_.push_back(std::move(recording));
        ++readCount_;
    }
    notify();
}

void RecordingScan::notify() {
    {
        const std::lock_guard lock(mutex_);
        if (notified_) {
            return;  // the owner has yet to take what is there
        }
        notified_ = true;
    }
    // Said in the thread of the scan's owner. Destroying the scan waits for
    // this thread first, so the scan is there when the call is made.
    QMetaObject::invokeMethod(
        this,
        [this] {
            bool more = false;
            bool last = false;
            {
                const std::lock_guard lock(mutex_);
                notified_ = false;
                more = !pending_.empty();
                last = done_.load() && !finishSaid_;
            }
            if (more) {
                emit arrived();
            }
            if (last) {
                {
                    const std::lock_guard lock(mutex_);
                    finishSaid_ = true;
                }
                emit finished();
            }
        },
        Qt::QueuedConnection);
}

std::vector<ScannedRecording> RecordingScan::take() {
    const std::lock_guard lock(mutex_);
    std::vector<ScannedRecording> taken;
    taken.swap(pending_);
    return taken;
}

bool RecordingScan::isFinished() const {
    const std::lock_guard lock(mutex_);
    return done_.load() && pending_.empty();
}

}  // namespace cellwatch
