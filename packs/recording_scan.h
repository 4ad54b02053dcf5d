// Reading a recordings folder for the Recordings list: each journal with
// what its listing shows (start, rows, duration, battery, size), its summary
// and its pack, newest first.
//
// A folder may hold tens of thousands of journals, so the reading goes on in
// a thread of its own while the list is shown and used: readNewest() reads
// the newest few here and now (so that a list of a few recordings is whole
// at once), start() reads the rest in the thread, and arrived() says, in the
// thread that made the scan, when there is more to take(). Nothing here
// touches a widget. cancel() (or destroying the scan) stops the reading
// within the file being read.
//
// A journal that keeps its size and time is not read again while the
// program runs (its summary is kept); its pack file is read anew each time,
// since a viewer may have changed it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "readout/journal.h"
#include "readout/pack_file.h"

class QThread;

namespace cellwatch {

struct ScannedRecording {
    JournalInfo journal;
    // What the journal came to; none when it is no recording.
    std::optional<RecordingSummaryValues> summary;
    // Its charge and discharge phases' totals (efficiency among them) and
    // how many '# alarm' lines it holds; with the summary.
    PhaseTotals phases;
    int alarmCount = 0;
    PackInfo pack;
    // Why its pack file could not be read ("cannot read PATH: it is a FIFO,
    // not a regular file"); empty when it could, or there is none.
    QString packProblem;
};

// One journal, read now (as the scan reads each one). `cancelled`, when
// given and set, stops the reading: the journal then has no summary.
ScannedRecording scanJournal(const QString& path, const std::atomic<bool>* cancelled = nullptr);

// `paths` (journals) less the watchers' copies of charges whose publisher's
// own journal is among them (sameChargeWatched), so that a pack's history
// counts each charge once. A copy starts when its charge did, so its name
// is its charge's with "-2" or so added: only journals whose names share a
// start are looked at (their first lines).
QStringList withoutWatchedCopies(const QStringList& paths);

class RecordingScan final : public QObject {
    Q_OBJECT
public:
    explicit RecordingScan(QString folder, QObject* parent = nullptr);
    ~RecordingScan() override;
    RecordingScan(const RecordingScan&) = delete;
    RecordingScan& operator=(const RecordingScan&) = delete;

    // Lists the folder's journals (*.csv) and reads the newest of them here
    // and now, as long as they come to `bytes` at most together and number
    // `count` at most. Once only.
    std::vector<ScannedRecording> readNewest(qint64 bytes, int count);
    // Reads the others in a thread of its own (after readNewest, which it
    // calls with no bounds when that has not been called).
    void start();
    // Stops the reading as soon as the file being read allows; what was
    // read is still there to take.
    void cancel();

    // What has been read since the last take, in the order it was read.
    std::vector<ScannedRecording> take();

    // The journals in the folder (once listed), and how many are read.
    int total() const { return total_; }
    int readCount() const { return readCount_.load(); }
    // Every journal is read (or the reading was cancelled) and taken.
    bool isFinished() const;
    // The bytes of all files in the folder, once finished.
    qint64 folderBytes() const { return folderBytes_.load(); }

signals:
    // There is more to take(); said once until it is taken.
    void arrived();
    // The last journal is read (or the reading cancelled): after take(),
    // isFinished() holds.
    void finished();

private:
    void run();
    void push(ScannedRecording recording);
    void notify();

    QString folder_;
    QStringList paths_;      // newest first
    std::size_t first_ = 0;  // those read by readNewest
    bool listed_ = false;
    int total_ = 0;
    std::atomic<int> readCount_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};  // the thread has read its last
    std::atomic<qint64> folderBytes_{0};

    mutable std::mutex mutex_;  // guards the three below
    std::vector<ScannedRecording> pending_;
    bool notified_ = false;
    bool finishSaid_ = false;

    std::unique_ptr<QThread> thread_;
};

}  // namespace cellwatch
