// A recording's pack: the name of the battery pack it was made with and a
// free note, kept in a small file beside the journal.
//
// The file is named from the journal's own file name, its suffix replaced:
//   cellwatch-20261205-143012.csv  ->  cellwatch-20261205-143012.pack.json
// and holds one UTF-8 JSON object, {"pack": "NAME", "note": "TEXT"}, with no
// paths in it, so copying or renaming the folder keeps it with its journal.
// What the pack is may follow, each key only when it is known:
//   "chemistry": "LiPo" | "LiHV" | "LiIon" | "LiFe" | "NiMH" | "NiCd" | "Pb",
//   "cells": 1..12 (in series), "capacity_mah": the nominal capacity
//   (1..1000000), "cell_high_v" and "cell_low_v": the pack's own alarm
//   limits (0.5..5 V; without them the chemistry's, see
//   alarms/chemistry_limits.h), and "left_out": true for a recording that
//   is left out of its pack's history (a one-row recording made at Connect).
// A file without them (as every file was before) reads as it did; a value
// of the wrong kind or out of range reads as not known.
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

enum class PackChemistry { Unknown, LiPo, LiHV, LiIon, LiFe, NiMH, NiCd, Pb };
inline constexpr int kPackChemistryCount = 8;  // Unknown included

// "LiPo", "LiHV", ... as the file and the window show them; "" for Unknown.
QString chemistryName(PackChemistry chemistry);
// The chemistry a name gives (exactly as chemistryName writes it, letter
// case aside); Unknown for any other text.
PackChemistry chemistryFromName(const QString& name);

inline constexpr int kPackMaxCells = 12;
inline constexpr double kPackLimitLowestV = 0.5;
inline constexpr double kPackLimitHighestV = 5.0;

struct PackInfo {
    QString pack;  // trimmed; empty: no pack
    QString note;
    PackChemistry chemistry = PackChemistry::Unknown;
    int cells = 0;           // 0: not known
    double capacityMah = 0;  // nominal; 0: not known
    double cellHighV = 0;    // the pack's own limits; 0: the chemistry's
    double cellLowV = 0;
    bool leftOut = false;  // left out of the pack's history

    bool isEmpty() const {
        return pack.isEmpty() && note.isEmpty() && chemistry == PackChemistry::Unknown &&
               cells == 0 && capacityMah == 0 && cellHighV == 0 && cellLowV == 0 && !leftOut;
    }
    friend bool operator==(const PackInfo&, const PackInfo&) = default;
};

// Whether a recording's cells (the non-zero cells of its rows) differ from
// its pack's count; false when either is not known (0), as for a pack
// without a balance lead.
bool cellCountDiffers(const PackInfo& pack, int recordingCells);
// What the log says of it: "This recording has 6 cells; pack "Race 4S"
// has 4".
QString cellCountMismatchText(const PackInfo& pack, int recordingCells);

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
