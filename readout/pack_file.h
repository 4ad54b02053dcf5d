// A recording's pack: the name of the battery pack it was made with and a
// free note, kept in a small file beside the journal.
//
// The file is named from the journal's own file name, its suffix replaced:
//   cellwatch-20261205-143012.csv  ->  cellwatch-20261205-143012.pack.json
// and holds one UTF-8 JSON object, {"pack": "NAME", "note": "TEXT"}, with no
// paths in it, so copying or renaming the folder keeps it with its journal.
// It is written whole or not at all (a temporary file renamed into place).
// A missing, unreadable or damaged file, or one whose values are no texts,
// reads as no pack (a reader that shows packs can ask why); nothing here
// throws.
//
// Pack names are trimmed when read and written and then compare exactly
// (letter case counts: "Pack A" and "pack a" are two packs).
//
// A name holds at most kPackNameLimit characters and a note kPackNoteLimit
// (UTF-16 code units, never cutting a character in two): longer ones are cut
// there when read from a file, when written and in the pack dialog, so a
// file made by hand cannot bring a megabyte of note into a window.
#pragma once

#include <QString>

namespace cellwatch {

inline constexpr qsizetype kPackNameLimit = 80;
inline constexpr qsizetype kPackNoteLimit = 2000;

// `text` cut to `limit` UTF-16 code units at most, a surrogate pair never
// split (the cut then comes before it).
QString cutToLength(const QString& text, qsizetype limit);

struct PackInfo {
    QString pack;  // trimmed; empty: no pack
    QString note;

    bool isEmpty() const { return pack.isEmpty() && note.isEmpty(); }
    friend bool operator==(const PackInfo&, const PackInfo&) = default;
};

// A pack name as it is kept and compared: with its outer blanks removed,
// line breaks and tabs inside as single blanks, and cut to kPackNameLimit.
QString normalizedPackName(const QString& name);

// The pack file of a journal (beside it; the same name, ".pack.json" in
// place of the journal's last suffix).
QString packFilePath(const QString& journalPath);

// What the pack file of a journal says; {} when there is none or it is
// damaged. Only a regular file of 1 MiB at most is read (never waiting: a
// FIFO, a device, also behind a symbolic link, or a directory in its place is
// refused at once). When the file is there but cannot be used, `problem`
// (when given) says why, as "cannot read PATH: it is a FIFO, not a regular
// file" or "PATH is no pack file"; it is emptied otherwise.
PackInfo readPackInfo(const QString& journalPath, QString* problem = nullptr);

// Writes the pack file of a journal; an empty PackInfo removes it. False
// (with the reason in `error` when given) when it cannot be written.
bool writePackInfo(const QString& journalPath, const PackInfo& info, QString* error = nullptr);

// Removes the pack file of a journal, if any (when the journal is deleted).
bool removePackInfo(const QString& journalPath);

}  // namespace cellwatch
