// Importing other tools' logs as recordings: each file is read by its
// reader (log_reader.h) and written as a journal into the recordings
// folder, filed under a pack as a live recording is, so that it shows in
// the Recordings list, Compare, a pack's history and cellwatch-report.
//
// A journal is written to a temporary file in the folder and renamed into
// place, its pack file beside it: nothing is ever half imported. Its comment
// line carries the SHA-256 of the file it came from ("source-sha256=..."),
// so a file imported again is found and not written twice. A file of
// several charger channels gives one journal per channel.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>

#include "import/log_reader.h"

namespace cellwatch::logimport {

struct ImportOptions {
    QString folder;          // the recordings folder
    QString pack;            // the pack the journals are filed under; empty: none
    QDate date;              // for a file that does not tell its own date
    QString programVersion;  // for the journals' comment line
};

enum class ImportOutcome { Imported, AlreadyImported, Refused };

struct ImportResult {
    QString source;  // the file given
    ImportOutcome outcome = ImportOutcome::Refused;
    QStringList journals;  // written, or those it was imported as before
    std::size_t rows = 0;  // written
    // Refused: why, with line and column, in English ("line 12, column 7:
    // \"4x\" is no number (as OpenFormat lines)"), and as its kind and data
    // for a window to word.
    QString reason;
    Refusal refusal;
    std::optional<LogKind> kind;
};

// One line for a person: "FILE: imported as NAME (N rows)", "FILE: already
// imported as NAME", "FILE: refused: REASON".
QString resultLine(const ImportResult& result);

// The kind of a file from its first bytes; none for any other file.
std::optional<LogKind> kindOfFile(const QString& path);

class Importer {
public:
    explicit Importer(ImportOptions options);

    // Imports one file; never throws.
    ImportResult importFile(const QString& path);

private:
    ImportedLog readLog(const QString& path, const QByteArray& bytes, LogKind kind);
    QDateTime startOf(const ImportedLog& log, const QString& path) const;
    void indexFolder();

    ImportOptions options_;
    bool indexed_ = false;
    std::map<QString, QStringList> imported_;  // source hash -> journals
    QDateTime nextOnDate_;                     // files dated by options_.date follow one another
};

}  // namespace cellwatch::logimport
