// The journal: every table row is written to a file at the moment it enters
// the table, so a crash, a pause that starts a new recording or a new
// Connect never loses the recording before it.
//
// One file per recording, in the recordings folder, named by the recording's
// start: cellwatch-20261205-143012.csv (then -2, -3 ... when that is taken).
// A journal of one channel of a charger named in it (setCharger) has the
// charger and the channel in its name, cellwatch-20261205-143012-icharger-2.csv,
// and on its comment line: "...; charger=icharger; channel=2".
// The file is the table's CSV export format (UTF-8 with a byte-order mark,
// CR LF, RFC 4180 quoting, the header row, then the 22 texts of each row)
// with one comment line first, after the byte-order mark:
//   "# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe"
// Every comment line is one quoted field (quotes in it doubled), so that a
// spreadsheet keeps it in one cell; journals written before, with bare
// "# ..." lines, read the same.
// The file is created at the first row, when the battery type is known; a
// recording without rows leaves no file.
//
// Each row goes to the operating system whole, in one write, as it arrives
// (a killed program loses nothing written; a power cut may lose what the
// system had not yet put on disk). The journal mirrors the table: rows 1..n
// of the table are the recording's rows, and the journal reads any row it
// still owes from there. So:
//   - A write that fails (disk full, quota) is taken back, so the file ends
//     on a row boundary; the journal says once that it stopped, tries again
//     at most every few seconds as rows arrive (and at the end), writes the
//     rows it missed, and says that it caught up.
//   - A file deleted under it (the folder removed, the drive gone) is seen at
//     the next row; the journal says so, makes the folder again and starts a
//     new file with every row recorded so far.
// Comment lines may follow a row ("# alarm cell-high: Cell 3 at 4.27 V
// (limit 4.25 V)", quoted as above): each stays after the row that was the
// last one when it was given, also when rows are owed or the file is made
// anew; so does "# resistance mohm=..." at the end of a charge or discharge
// of a charger that reports each cell's resistance (resistance_note.h). A
// line may also stand right after the header (noteAtStart: a recording
// removed as junk, whose row it holds).
// Nothing here throws.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace cellwatch {

class RowStore;

class Journal {
public:
    enum class Notice {
        Stopped,    // detail: why; rows are owed from now on
        CaughtUp,   // detail: the file; it holds every row again
        Recreated,  // detail: the new file, written with every row so far
    };
    // How long a stopped journal waits before it tries again.
    static constexpr qint64 kRetryMs = 3000;

    // The recordings folder in the application's data folder; empty when the
    // system tells none (no home folder).
    static QString defaultFolder();

    // `programVersion` goes into each file's comment line.
    Journal(QString folder, QString programVersion);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Hears of a stop, a catch-up and a new file; each stop is told once.
    void setNoticeHandler(std::function<void(Notice, const QString& detail)> handler);
    // A journal like this one: the same folder, program version and notice
    // handler, and nothing recorded.
    std::unique_ptr<Journal> alike() const;
    // The driver whose rows the files hold (the first family's until told)
    // and, from 1, the channel named in each file's name and comment line;
    // 0 names neither in the name (the first family's one channel). For
    // the files begun from now on.
    void setCharger(const QString& driver, int channel);
    int channel() const { return channel_; }

    // Starts a recording (ending the one before): its rows go to a new file.
    // A watcher's recording names the `charger` watched and the start of the
    // publisher's recording it copies (the comment line's watched= and
    // publisher-start=); every comment line names the rows' driver
    // (charger=tkrx).
    void begin(const QDateTime& start, const QString& port, const QString& charger = {},
               const QDateTime& publisherStart = {});
    // Grid rows 1..`row` of `table` are the recording's rows so far; writes
    // those not yet written. The table must outlive the recording.
    void appendRow(const RowStore& table, int row);
    // A comment line "# `text`" (one quoted field) after the rows so far;
    // nothing before the first row. Line breaks in `text` become spaces.
    void appendComment(const QString& text);
    // A comment line right after the header of the present recording's
    // file, written with its first row (none when no row comes).
    void noteAtStart(const QString& text);
    // Ends the present recording and removes its file and the pack file
    // beside it (a recording not worth keeping); path() is empty after.
    // Returns whether a file was removed.
    bool discard();
    // Rows of the present recording, written or owed.
    qint64 rowsShown() const { return shown_; }
    // Tries once more to write what is owed, whatever the time since the last
    // try (the window calls it on a timer while rowsOwed() > 0).
    void retry();
    // Writes what it can of what is owed, then closes the file.
    void end();

    QString folder() const { return folder_; }
    // The file of the present or last recording; empty until its first row.
    QString path() const { return path_; }
    // Rows in the file of the present or last recording.
    qint64 rowCount() const { return written_; }
    // Rows shown but not (yet) in the file.
    qint64 rowsOwed() const { return shown_ - written_; }
    // Why the present recording's journal is stopped; empty while well.
    QString failure() const { return failure_; }

private:
    void sync(bool force);
    bool fileVanished() const;
    bool open();
    bool writeOwed();
    void stop(const QString& message);
    void notify(Notice notice, const QString& detail);

    QString folder_;
    QString programVersion_;
    QString driver_;
    int channel_ = 0;
    std::function<void(Notice, const QString&)> onNotice_;
    QDateTime start_;
    QString port_;
    QString charger_;
    QDateTime publisherStart_;
    bool recording_ = false;
    const RowStore* table_ = nullptr;
    QFile file_;
    QString path_;
    qint64 fileBytes_ = 0;  // what the file holds, ending on a row boundary
    qint64 shown_ = 0;      // rows of the table that belong in the file
    qint64 written_ = 0;    // rows in the file
    struct Comment {
        qint64 afterRow;
        QByteArray line;
    };
    std::vector<Comment> comments_;  // of this recording
    std::size_t commentsWritten_ = 0;
    QString failure_;
    QElapsedTimer lastTry_;
};

// A time with its UTC offset, to the second: 2026-12-05T14:30:12+01:00.
QString isoTimeWithOffset(const QDateTime& t);

// A journal file as the folder's listing shows it.
struct JournalInfo {
    QString path;
    // From the comment line, else from the file name (invalid when neither
    // tells).
    QDateTime start;
    QString port;  // from the comment line
    // The elapsed time of the last row in seconds; -1 without rows.
    qint64 durationSeconds = -1;
    qint64 rowCount = 0;
    // From the comment line, else the first row's.
    QString batteryType;
    qint64 sizeBytes = 0;
    // A watcher's journal: the charger it watched on a broker and the start
    // of the publisher's recording it is a copy of (from the comment line;
    // empty and invalid for the journal of a charger on this computer's
    // own port).
    QString charger;
    QDateTime publisherStart;
    // The driver whose rows the journal holds ("charger=tkrx"); a journal
    // that does not say holds the first family's.
    QString driver = QStringLiteral("tkrx");
    // The charger's channel (channel=); 0 when the journal names none.
    int channel = 0;
};

// Whether `watched` is a watcher's copy of the charge `own` recorded on its
// own port (the publisher's recording: the same start, to the second).
bool sameChargeWatched(const JournalInfo& watched, const JournalInfo& own);

// The start a journal's file name tells:
// cellwatch-yyyyMMdd-HHmmss[-DRIVER-CHANNEL][-n].csv (invalid for any other
// name).
QDateTime journalStartFromName(const QString& fileName);
// Fills start, port, battery type, driver, charger and publisher start from
// a journal's comment line "cellwatch 1.10.0; port=...; start=...;
// battery=...; charger=DRIVER[; watched=CHARGER; publisher-start=...]"; a
// line without watched= but with publisher-start= is an older watcher's,
// whose charger= names the charger watched. Any other line changes nothing.
void readJournalComment(const QString& comment, JournalInfo& info);

// The recordings (*.csv) in a folder, oldest first. Each file is read
// quickly: its first lines, its line breaks counted, its last row.
std::vector<JournalInfo> listJournals(const QString& folder);
// The bytes of all files in a folder (not its subfolders).
qint64 folderSize(const QString& folder);

}  // namespace cellwatch
