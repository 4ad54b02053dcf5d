// The rows of the Recordings list: one journal's cells as the list shows
// and sorts them, and the columns' widths so that every column shows.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

#include "packs/recording_scan.h"

class QTableWidget;
class QTableWidgetItem;

namespace cellwatch {

// The columns of the list, left to right.
enum RecordingColumn {
    kStartedCol,
    kDurationCol,
    kRowsCol,
    kBatteryCol,
    kKindCol,
    kCapacityCol,
    kPhasesCol,  // "2180 / 1920 mAh, 88 %": charge / discharge, efficiency
    kEnergyCol,
    kSpreadCol,
    kPackCol,
    kCellsCol,
    kAlarmsCol,
    kSizeCol,
    kRecordingColumnCount
};

// The headers, translated.
QStringList recordingHeaders();

// The item role that holds a row's journal (on its start column).
inline constexpr int kRecordingPathRole = Qt::UserRole + 1;
// The item roles of a row's kind (its RecordingKind) and of a pack file that
// could not be read: the texts made of them follow the language.
inline constexpr int kKindRole = Qt::UserRole + 3;
inline constexpr int kUnreadablePackRole = Qt::UserRole + 4;

// "2180 / 1920 mAh, 88 %" for a recording with a charge and a discharge
// (the efficiency by mAh when there is one); "" otherwise.
// The Pack cell of a recording left out of its pack's history: greyed, with
// the reason as tooltip (or as it was, when counted again).
void showLeftOut(QTableWidgetItem& packItem, const PackInfo& pack);

QString phaseFiguresText(const PhaseTotals& totals);

// Puts one journal's cells on row `row` (which exists) of `list`; every
// cell sorts, numbers by their number, equal ones by file name.
void fillRecordingRow(QTableWidget& list, int row, const ScannedRecording& scanned);
// Writes the texts of row `row` again in the installed language; `pack` is
// its recording's.
void retranslateRecordingRow(QTableWidget& list, int row, const PackInfo& pack);

// Columns as wide as their contents where the list's viewport has room for
// all of them; where it has not, the wider ones give up width (their texts
// elided) so that every column shows, none narrower than its header's
// first few letters.
void fitRecordingColumns(QTableWidget& list);
// The width the list wants to show every column at its contents' width,
// and at the widest figures and kinds (translated) that rows
// read later may bring.
int recordingListWidth(const QTableWidget& list);

// A journal's place in the order the recordings were made: by start.
double recordingStartKey(const JournalInfo& journal);

// One row per charge: a watcher's journal of a charge whose publisher's own
// journal is in the list too (a watcher on the same computer) takes no row
// of its own; the publisher's row stands for both, with its pack. Journals
// come in any order.
class ChargeRows {
public:
    enum class Place {
        NewRow,    // a row of its own
        Hidden,    // a watcher's copy of a charge listed: `other` is the own journal
        Replaces,  // the own journal of a charge listed by its copy: `other` is the copy's
    };
    struct Decision {
        Place place = Place::NewRow;
        QString other;
    };
    Decision add(const JournalInfo& journal);
    // The watchers' copies of the charge of `ownPath` that take no row.
    QStringList copiesOf(const QString& ownPath) const;
    void clear();

private:
    std::multimap<qint64, JournalInfo> listed_;  // by the charge's start, in seconds
    std::map<QString, QStringList> copies_;
};

}  // namespace cellwatch
