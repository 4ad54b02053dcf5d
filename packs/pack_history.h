// A pack's history: its recordings in the order they were made, each with
// what it came to (kind, capacity, energy, largest cell spread), for the
// Recordings dialog's chart and cellwatch-report --pack.
#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "readout/pack_file.h"

namespace cellwatch {

// One recording of a folder with its pack and, when it could be read, its
// summary.
struct PackedRecording {
    QString path;
    QDateTime start;  // from the journal's listing; invalid when unknown
    PackInfo pack;
    bool readable = false;
    RecordingSummaryValues summary;  // when readable
    // Its charge and discharge phases, when the reader cut them (the
    // Recordings list does); without, the summary's figures stand alone.
    std::optional<PhaseTotals> phases;
};

struct PackHistoryEntry {
    QString path;
    QDateTime start;  // invalid when the recording does not tell
    RecordingKind kind = RecordingKind::Mixed;
    double capacityMah = 0;
    double energyWh = 0;
    double cellSpreadMaxV = 0;
    std::optional<PhaseTotals> phases;  // as the recording's
};

// The readable recordings (with rows) of pack `name` (compared as normalizedPackName
// makes it), but those left out of its history (PackInfo::leftOut), by start time, oldest first;
// those without one last, by file name.
std::vector<PackHistoryEntry> packHistory(const std::vector<PackedRecording>& recordings,
                                          const QString& name);

// The same for the journals (*.csv) of a folder: only the pack files are
// read of all, and the journals of the pack.
std::vector<PackHistoryEntry> packHistoryOfFolder(const QString& folder, const QString& name);

// The pack names of a folder's journals, sorted, each once.
QStringList packNamesOfFolder(const QString& folder);

// The journals (*.csv) of a folder, by name, without the watchers' copies of
// charges whose own journals are there (withoutWatchedCopies).
QStringList journalPaths(const QString& folder);
QStringList packNames(const std::vector<PackedRecording>& recordings);

// As a table: date, kind, mAh, Wh, largest spread, one line each, under a
// header line.
QString packHistoryText(const std::vector<PackHistoryEntry>& history);
// As a JSON array of {file, start, kind, capacity_mah, energy_wh,
// cell_spread_max_v}.
QJsonArray packHistoryJson(const std::vector<PackHistoryEntry>& history);

}  // namespace cellwatch
