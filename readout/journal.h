// The journal: every table row is written to a file at the moment it enters
// the table, so a crash, a pause that starts a new recording or a new
// Connect never loses the recording before it.
//
// One file per recording, in the recordings folder, named by the recording's
// start: cellwatch-20261205-143012.csv (then -2, -3 ... when that is taken).
// The file is the table's CSV export format (UTF-8 with a byte-order mark,
// CR LF, RFC 4180 quoting, the header row, then the 22 texts of each row)
// with one comment line first, after the byte-order mark:
//   # cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; battery=LiIo/Po/Fe
// The file is created at the first row, when the battery type is known; a
// recording without rows leaves no file.
//
// Each row goes to the operating system whole, in one write, as it arrives
// (a killed program loses nothing written; a power cut may lose what the
// system had not yet put on disk). A write that fails (disk full, folder
// gone) never throws: the journal keeps the failure's text, writes nothing
// more for this recording and reports the failure once to its handler.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace cellwatch {

class DataTableModel;

class Journal {
public:
    // The recordings folder in the application's data folder.
    static QString defaultFolder();

    // `programVersion` goes into each file's comment line.
    Journal(QString folder, QString programVersion);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Called once per recording with the text of a write failure.
    void setFailureHandler(std::function<void(const QString& message)> handler);

    // Starts a recording (ending the one before): its rows go to a new file.
    void begin(const QDateTime& start, const QString& port);
    // One row: texts of columns 1 to 22 (missing ones are written empty,
    // extra ones dropped).
    void appendRow(const QStringList& texts);
    // Grid row `row` of the table (1 = the first data row).
    void appendRow(const DataTableModel& table, int row);
    // Closes the file.
    void end();

    QString folder() const { return folder_; }
    // The file of the present or last recording; empty until its first row.
    QString path() const { return path_; }
    // Rows written for the present or last recording.
    qint64 rowCount() const { return rows_; }
    // Why the present or last recording's journal stopped; empty while well.
    QString failure() const { return failure_; }

private:
    void write(const QString& batteryType, const QString& line);
    bool open();
    void fail(const QString& message);

    QString folder_;
    QString programVersion_;
    std::function<void(const QString&)> onFailure_;
    QDateTime start_;
    QString port_;
    bool recording_ = false;
    QFile file_;
    QString path_;
    qint64 rows_ = 0;
    QString failure_;
};

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
};

// The recordings (*.csv) in a folder, oldest first. Each file is read
// quickly: its first lines, its line breaks counted, its last row.
std::vector<JournalInfo> listJournals(const QString& folder);
// The bytes of all files in a folder (not its subfolders).
qint64 folderSize(const QString& folder);

}  // namespace cellwatch
