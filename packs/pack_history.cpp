#include "packs/pack_history.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <algorithm>
#include <set>

#include "analysis/summary_format.h"
#include "packs/recording_scan.h"
#include "readout/journal.h"
#include "readout/recording_file.h"

namespace cellwatch {
namespace {

bool earlier(const PackHistoryEntry& a, const PackHistoryEntry& b) {
    if (a.start.isValid() != b.start.isValid()) {
        return a.start.isValid();
    }
    if (a.start.isValid() && a.start != b.start) {
        return a.start < b.start;
    }
    return QFileInfo(a.path).fileName() < QFileInfo(b.path).fileName();
}

}  // namespace

QStringList journalPaths(const QString& folder) {
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name :
         dir.entryList({QStringLiteral("*.csv")}, QDir::Files | QDir::Readable, QDir::Name)) {
        paths << dir.filePath(name);
    }
    return withoutWatchedCopies(paths);  // each charge once
}

std::vector<PackHistoryEntry> packHistory(const std::vector<PackedRecording>& recordings,
                                          const QString& name) {
    const QString wanted = normalizedPackName(name);
    std::vector<PackHistoryEntry> history;
    if (wanted.isEmpty()) {
        return history;
    }
    for (const PackedRecording& r : recordings) {
        if (!r.readable || r.summary.rows <= 0 || r.pack.leftOut ||
            normalizedPackName(r.pack.pack) != wanted) {
            continue;
        }
        const RecordingSummaryValues& s = r.summary;
        history.push_back({r.path, s.start.isValid() ? s.start : r.start, s.kind, s.capacityMah,
                           s.energyWh, s.cellSpreadMaxV, r.phases});
    }
    std::stable_sort(history.begin(), history.end(), earlier);
    return history;
}

std::vector<PackHistoryEntry> packHistoryOfFolder(const QString& folder, const QString& name) {
    const QString wanted = normalizedPackName(name);
    std::vector<PackedRecording> recordings;
    for (const QString& path : journalPaths(folder)) {
        PackedRecording r{path, {}, readPackInfo(path), false, {}, std::nullopt};
        if (wanted.isEmpty() || r.pack.pack != wanted || r.pack.leftOut) {
            continue;
        }
        try {
            r.summary = streamAndSummarize(path);
            r.readable = true;
        } catch (const std::exception&) {
            r.readable = false;  // a damaged journal has no place in the history
        }
        recordings.push_back(std::move(r));
    }
    return packHistory(recordings, wanted);
}

QStringList packNames(const std::vector<PackedRecording>& recordings) {
    std::set<QString> names;
    for (const PackedRecording& r : recordings) {
        const QString name = normalizedPackName(r.pack.pack);
        if (!name.isEmpty()) {
            names.insert(name);
        }
    }
    return QStringList(names.begin(), names.end());
}

QStringList packNamesOfFolder(const QString& folder) {
    std::vector<PackedRecording> recordings;
    for (const QString& path : journalPaths(folder)) {
        recordings.push_back({path, {}, readPackInfo(path), false, {}, std::nullopt});
    }
    return packNames(recordings);
}

QString packHistoryText(const std::vector<PackHistoryEntry>& history) {
    QString text = QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(QStringLiteral("date"), -25)
                       .arg(QStringLiteral("kind"), -9)
                       .arg(QStringLiteral("mAh"), 9)
                       .arg(QStringLiteral("Wh"), 9)
                       .arg(QStringLiteral("spread V"), 8);
    for (const PackHistoryEntry& e : history) {
        const QString date =
            e.start.isValid() ? isoTimeWithOffset(e.start) : QFileInfo(e.path).fileName();
        text += QStringLiteral("%1  %2  %3  %4  %5\n")
                    .arg(date, -25)
                    .arg(kindName(e.kind), -9)
                    .arg(plain(e.capacityMah), 9)
                    .arg(fixed(e.energyWh, 4), 9)
                    .arg(fixed(e.cellSpreadMaxV, 3), 8);
    }
    return text;
}

QJsonArray packHistoryJson(const std::vector<PackHistoryEntry>& history) {
    QJsonArray array;
    for (const PackHistoryEntry& e : history) {
        array.append(QJsonObject{
            {QStringLiteral("file"), e.path},
            {QStringLiteral("start"),
             e.start.isValid() ? QJsonValue(isoTimeWithOffset(e.start)) : QJsonValue()},
            {QStringLiteral("kind"), kindName(e.kind)},
            {QStringLiteral("capacity_mah"), round4(e.capacityMah)},
            {QStringLiteral("energy_wh"), round4(e.energyWh)},
            {QStringLiteral("cell_spread_max_v"), round4(e.cellSpreadMaxV)},
        });
    }
    return array;
}

}  // namespace cellwatch
