#include "app/recordings_rows.h"

#include "analysis/summary_format.h"
#include "app/analysis_texts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/recording_summary.h"
#include "app/language.h"
#include "app/recordings_dialog.h"
#include "app/summary_view.h"

namespace cellwatch {
namespace {

constexpr int kRowSortRole = Qt::UserRole;
constexpr int kRowTieRole = Qt::UserRole + 2;  // the file name, where numbers are equal

// A cell that sorts by its number when it has one (a cell without sorts
// first), else by its text; equal numbers by file name, as the folder's
// listing has them.
class RecordingItem final : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant mine = data(kRowSortRole);
        const QVariant theirs = other.data(kRowSortRole);
        if (mine.isValid() || theirs.isValid()) {
            const double lowest = std::numeric_limits<double>::lowest();
            const double a = mine.isValid() ? mine.toDouble() : lowest;
            const double b = theirs.isValid() ? theirs.toDouble() : lowest;
            if (a != b) {
                return a < b;
            }
            return data(kRowTieRole).toString() < other.data(kRowTieRole).toString();
        }
        return text().localeAwareCompare(other.text()) < 0;
    }
};

QTableWidgetItem* rowItem(const QString& text, const QString& fileName,
                          Qt::Alignment align = Qt::AlignLeft, QVariant sortKey = {}) {
    auto* it = new RecordingItem(text);
    it->setTextAlignment(align | Qt::AlignVCenter);
    it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    it->setData(kRowTieRole, fileName);
    if (sortKey.isValid()) {
        it->setData(kRowSortRole, sortKey);
    }
    return it;
}

// What a column wants: its header's and its contents' width.
int wantedWidth(const QTableWidget& list, int column) {
    return std::max(list.horizontalHeader()->sectionSizeHint(column),
                    static_cast<const QAbstractItemView&>(list).sizeHintForColumn(column));
}

// The least a column is made: its header's first few letters.
int leastWidth(const QTableWidget& list, int column) {
    const QTableWidgetItem* header = list.horizontalHeaderItem(column);
    const QString text = header ? header->text().left(4) : QString();
    return list.horizontalHeader()->fontMetrics().horizontalAdvance(text + QStringLiteral("…")) +
           12;
}

// The viewport's width once the vertical scroll bar shows (it may come
// later, as rows come in).
int roomForColumns(const QTableWidget& list) {
    return list.width() - 2 * list.frameWidth() - list.verticalScrollBar()->sizeHint().width();
}

}  // namespace

QStringList recordingHeaders() {
    return {RecordingsDialog::tr("Started"),
            RecordingsDialog::tr("Duration"),
            RecordingsDialog::tr("Rows"),
            RecordingsDialog::tr("Battery"),
            RecordingsDialog::tr("Kind"),
            RecordingsDialog::tr("Capacity (mAh)"),
            RecordingsDialog::tr("Charge / discharge"),
            RecordingsDialog::tr("Energy (Wh)"),
            RecordingsDialog::tr("Largest spread (V)"),
            RecordingsDialog::tr("Pack"),
            RecordingsDialog::tr("Cells"),
            RecordingsDialog::tr("Alarms"),
            RecordingsDialog::tr("Size")};
}

double recordingStartKey(const JournalInfo& j) {
    return j.start.isValid() ? static_cast<double>(j.start.toMSecsSinceEpoch())
                             : std::numeric_limits<double>::lowest();
}

ChargeRows::Decision ChargeRows::add(const JournalInfo& journal) {
    const bool copy = journal.publisherStart.isValid();
    const QDateTime charge = copy ? journal.publisherStart : journal.start;
    if (!charge.isValid()) {
        return {};
    }
    const qint64 key = charge.toSecsSinceEpoch();
    const auto [from, to] = listed_.equal_range(key);
    for (auto it = from; it != to; ++it) {
        const JournalInfo& other = it->second;
        if (copy && sameChargeWatched(journal, other)) {
            copies_[other.path] << journal.path;
            return {Place::Hidden, other.path};
        }
        if (!copy && sameChargeWatched(other, journal)) {
            const QString replaced = other.path;
            copies_[journal.path] << replaced;
            listed_.erase(it);
            listed_.emplace(key, journal);
            return {Place::Replaces, replaced};
        }
    }
    listed_.emplace(key, journal);
    return {};
}

QStringList ChargeRows::copiesOf(const QString& ownPath) const {
    const auto found = copies_.find(ownPath);
    return found == copies_.end() ? QStringList() : found->second;
}

void ChargeRows::clear() {
    listed_.clear();
    copies_.clear();
}

void showLeftOut(QTableWidgetItem& packItem, const PackInfo& pack) {
    const QString reason = RecordingsDialog::tr("Left out of the pack's history");
    packItem.setForeground(pack.leftOut ? QBrush(QColor(128, 128, 128)) : QBrush());
    packItem.setToolTip(pack.leftOut ? (pack.note.isEmpty() ? reason : reason + u'\n' + pack.note)
                                     : pack.note);
}

QString phaseFiguresText(const PhaseTotals& t) {
    if (t.chargePhases == 0 || t.dischargePhases == 0) {
        return {};
    }
    QString text = QStringLiteral("%1 / %2 mAh")
                       .arg(std::lround(t.chargeMah))
                       .arg(std::lround(t.dischargeMah));
    if (t.efficiencyMah) {
        text += QStringLiteral(", %1 %").arg(std::lround(*t.efficiencyMah * 100));
    }
    return text;
}

void fillRecordingRow(QTableWidget& list, int r, const ScannedRecording& scanned) {
    const QLocale locale;
    const JournalInfo& j = scanned.journal;
    const QString fileName = QFileInfo(j.path).fileName();
    const auto item = [&](const QString& text, Qt::Alignment align = Qt::AlignLeft,
                          QVariant sortKey = {}) {
        return rowItem(text, fileName, align, std::move(sortKey));
    };
    const QString start =
        j.start.isValid() ? j.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : fileName;
    QTableWidgetItem* started = item(start, Qt::AlignLeft, recordingStartKey(j));
    started->setToolTip(QDir::toNativeSeparators(j.path));
    started->setData(kRecordingPathRole, j.path);
    list.setItem(r, kStartedCol, started);
    list.setItem(r, kDurationCol,
                 item(j.durationSeconds < 0 ? QString()  // not known
                                            : durationText(static_cast<double>(j.durationSeconds)),
                      Qt::AlignRight, j.durationSeconds));
    list.setItem(r, kRowsCol, item(QString::number(j.rowCount), Qt::AlignRight, j.rowCount));
    list.setItem(r, kBatteryCol, item(j.batteryType));
    const std::optional<RecordingSummaryValues>& summary = scanned.summary;
    const PackInfo& pack = scanned.pack;
    QTableWidgetItem* packItem =
        item(scanned.packProblem.isEmpty() ? pack.pack : RecordingsDialog::tr("(unreadable)"));
    if (!scanned.packProblem.isEmpty()) {
        packItem->setToolTip(scanned.packProblem);
        packItem->setData(kUnreadablePackRole, true);
    } else {
        showLeftOut(*packItem, pack);
    }
    list.setItem(r, kPackCol, packItem);
    if (summary) {
        QTableWidgetItem* kindItem = item(kindText(summary->kind));
        kindItem->setData(kKindRole, static_cast<int>(summary->kind));
        list.setItem(r, kKindCol, kindItem);
        list.setItem(r, kCapacityCol,
                     item(plain(summary->capacityMah), Qt::AlignRight, summary->capacityMah));
        list.setItem(
            r, kEnergyCol,
            item(QString::number(summary->energyWh, 'f', 3), Qt::AlignRight, summary->energyWh));
        list.setItem(r, kSpreadCol,
                     item(QString::number(summary->cellSpreadMaxV, 'f', 3), Qt::AlignRight,
                          summary->cellSpreadMaxV));
    } else {
        for (int column : {kKindCol, kCapacityCol, kEnergyCol, kSpreadCol}) {
            list.setItem(r, column, item(QString()));
        }
    }
    // A charge and a discharge: what each came to and the efficiency,
    // sorted by the efficiency (those without one first).
    const PhaseTotals& phases = scanned.phases;
    const QString figures = summary ? phaseFiguresText(phases) : QString();
    QTableWidgetItem* phaseItem =
        item(figures, Qt::AlignRight,
             figures.isEmpty() || !phases.efficiencyMah ? QVariant() : *phases.efficiencyMah);
    if (!figures.isEmpty() && phases.efficiencyWh) {
        phaseItem->setToolTip(QStringLiteral("%1 / %2 Wh, %3 %")
                                  .arg(phases.chargeWh, 0, 'f', 2)
                                  .arg(phases.dischargeWh, 0, 'f', 2)
                                  .arg(std::lround(*phases.efficiencyWh * 100)));
    }
    list.setItem(r, kPhasesCol, phaseItem);
    list.setItem(r, kSizeCol,
                 item(locale.formattedDataSize(j.sizeBytes), Qt::AlignRight, j.sizeBytes));
    // The cells, marked when they are not the pack's (a 6S charge filed
    // under a 4S pack), and the alarms the journal kept.
    const int cells = summary ? summary->cells : 0;
    QTableWidgetItem* cellsItem =
        item(cells > 0 ? QString::number(cells) : QString(), Qt::AlignRight, cells);
    if (summary && cellCountDiffers(pack, cells)) {
        cellsItem->setText(QString::number(cells) + QStringLiteral(" ⚠"));
        cellsItem->setToolTip(shown::cellCountMismatchText(pack, cells));
    }
    list.setItem(r, kCellsCol, cellsItem);
    list.setItem(r, kAlarmsCol,
                 item(summary ? QString::number(scanned.alarmCount) : QString(), Qt::AlignRight,
                      scanned.alarmCount));
}

void retranslateRecordingRow(QTableWidget& list, int r, const PackInfo& pack) {
    if (QTableWidgetItem* kind = list.item(r, kKindCol); kind && kind->data(kKindRole).isValid()) {
        kind->setText(kindText(static_cast<RecordingKind>(kind->data(kKindRole).toInt())));
    }
    if (QTableWidgetItem* packItem = list.item(r, kPackCol)) {
        if (packItem->data(kUnreadablePackRole).toBool()) {
            packItem->setText(RecordingsDialog::tr("(unreadable)"));
        } else {
            showLeftOut(*packItem, pack);
        }
    }
    if (QTableWidgetItem* cells = list.item(r, kCellsCol); cells && !cells->toolTip().isEmpty()) {
        cells->setToolTip(shown::cellCountMismatchText(pack, cells->data(kRowSortRole).toInt()));
    }
}

int recordingListWidth(const QTableWidget& list) {
    // The widest figures a column may come to: the rows read later (a
    // longer recording, a larger file) then fit as well.
    static const char* const widest[kRecordingColumnCount] = {"",
                                                              "100:00:00",
                                                              "1000000",
                                                              "",
                                                              "",
                                                              "100000",
                                                              "10000 / 10000 mAh, 100 %",
                                                              "1000.000",
                                                              "0.000",
                                                              "",
                                                              "12 ⚠",
                                                              "1000",
                                                              "1000.00 KiB"};
    const QFontMetrics metrics = list.fontMetrics();
    int sum = 0;
    for (int c = 0; c < list.columnCount(); ++c) {
        int figure = c < kRecordingColumnCount && *widest[c] != '\0'
                         ? metrics.horizontalAdvance(QString::fromUtf8(widest[c])) + 16
                         : 0;
        if (c == kKindCol) {
            for (const RecordingKind kind :
                 {RecordingKind::Charge, RecordingKind::Discharge, RecordingKind::Mixed}) {
                figure = std::max(figure, metrics.horizontalAdvance(kindText(kind)) + 16);
            }
        }
        sum += std::max(wantedWidth(list, c), figure);
    }
    return sum + 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width();
}

void fitRecordingColumns(QTableWidget& list) {
    QHeaderView* header = list.horizontalHeader();
    // The last column is given what is left here (a stretched one would not
    // give up width).
    header->setStretchLastSection(false);
    const int count = list.columnCount();
    std::vector<int> want(static_cast<std::size_t>(count));
    std::vector<int> least(static_cast<std::size_t>(count));
    int total = 0;
    int giving = 0;  // what the columns could give up together
    for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        want[i] = wantedWidth(list, c);
        least[i] = std::min(want[i], leastWidth(list, c));
        total += want[i];
        giving += want[i] - least[i];
    }
    const int room = roomForColumns(list);
    const int excess = total - room;
    int used = 0;
    for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        int width = want[i];
        if (excess > 0 && giving > 0) {
            // Each gives up in proportion to what it can give.
            const double share =
                std::min(1.0, static_cast<double>(excess) / static_cast<double>(giving));
            width = want[i] - static_cast<int>(std::ceil((want[i] - least[i]) * share));
        }
        if (c == count - 1 && used + width < room) {
            width = room - used;  // the rest of the row
        }
        header->resizeSection(c, width);
        used += width;
    }
}

}  // namespace cellwatch
