#include "app/chart_commands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <algorithm>
#include <exception>
#include <stdexcept>

#include "analysis/summary_format.h"
#include "app/captions.h"
#include "app/recording_pane.h"
#include "app/settings.h"
#include "app/tab_control.h"
#include "app/work_progress.h"
#include "chart/cell_pane.h"
#include "chart/chart_export.h"
#include "chart/data_table.h"
#include "readout/journal.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

constexpr int kTablePage = 1;  // the tab control's "Real-time data" page
constexpr Phrase kCopiedTableRow = {QT_TRANSLATE_NOOP("Captions", "Copied 1 row of the table")};
constexpr Phrase kCopiedTableRows = {QT_TRANSLATE_NOOP("Captions", "Copied %1 rows of the table")};

constexpr Phrase kCaptionStart = {QT_TRANSLATE_NOOP("Captions", "Start %1")};
constexpr Phrase kCaptionNoStart = {QT_TRANSLATE_NOOP("Captions", "Start not recorded")};
constexpr Phrase kCaptionPack = {QT_TRANSLATE_NOOP("Captions", "Pack %1")};
constexpr Phrase kCaptionBattery = {QT_TRANSLATE_NOOP("Captions", "Battery %1, %2")};
constexpr Phrase kCaptionCapacity = {
    QT_TRANSLATE_NOOP("Captions", "Capacity %1 mAh    %2 Wh    Duration %3")};
constexpr Phrase kCharge = {QT_TRANSLATE_NOOP("Captions", "charge")};
constexpr Phrase kDischarge = {QT_TRANSLATE_NOOP("Captions", "discharge")};
constexpr Phrase kMixed = {QT_TRANSLATE_NOOP("Captions", "mixed")};

}  // namespace

bool whitePaper(const Settings& settings) {
    return settings.on(Flag::WhitePaper);
}

void usePaperChoice(QAction* choice, Settings& settings) {
    choice->setChecked(whitePaper(settings));
    QObject::connect(choice, &QAction::toggled, choice,
                     [&settings](bool on) { settings.setOn(Flag::WhitePaper, on); });
}

void runCommand(QWidget* owner, const WindowHooks& hooks, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& failure) {
        hooks.showFailure(owner, QString::fromUtf8(failure.what()));
    }
}

ChartCommands::ChartCommands(Parts parts) : parts_(std::move(parts)) {}

PictureLook ChartCommands::pictureLook() const {
    PictureLook look;
    look.light = !parts_.whitePaper || parts_.whitePaper();
    if (!parts_.summary) {
        return look;
    }
    const RecordingSummaryValues s = parts_.summary();
    QStringList first{s.start.isValid() ? kCaptionStart.text().arg(isoTimeWithOffset(s.start))
                                        : kCaptionNoStart.text()};
    if (!s.pack.isEmpty()) {
        first << kCaptionPack.text().arg(s.pack);
    }
    if (!s.battery.isEmpty()) {
        const Phrase& kind = s.kind == RecordingKind::Charge      ? kCharge
                             : s.kind == RecordingKind::Discharge ? kDischarge
                                                                  : kMixed;
        first << kCaptionBattery.text().arg(s.battery, kind.text());
    }
    look.caption << first.join(QStringLiteral("    "))
                 << kCaptionCapacity.text().arg(QString::number(s.capacityMah),
                                                QString::number(s.energyWh, 'f', 2),
                                                durationText(s.durationS));
    if (parts_.pane.cellCurves()) {
        const int cells = parts_.pane.cellPane().curves().cellCount();
        for (int cell = 0; cell < std::min(cells, CellPane::kCells); ++cell) {
            look.key.emplace_back(QStringLiteral("C%1").arg(cell + 1),
                                  CellPane::cellColour(cell, look.light));
        }
    }
    return look;
}

void ChartCommands::save() {
    const QString file = parts_.hooks.askSaveFile(&parts_.owner, QStringLiteral("Save"),
                                                  parts_.proposedPicture(), chartPictureFilters());
    if (!file.isEmpty()) {
        saveChartPicture(parts_.pane.chart(), file, pictureLook());
        parts_.tell(kSavedChart.text().arg(QDir::toNativeSeparators(file)));
    }
}

void ChartCommands::copy() {
    if (parts_.pane.tabs().currentPage() == kTablePage) {
        const int rows = parts_.pane.tableView().copyRows();
        parts_.tell(
            (rows == 1 ? kCopiedTableRow : kCopiedTableRows).text().arg(groupedCount(rows)));
        return;
    }
    copyChartPicture(parts_.pane.chart());
    parts_.tell(kCopiedChart.text());
}

void ChartCommands::print() {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (parts_.hooks.askPrint(&parts_.owner, printer)) {
        printChart(parts_.pane.chart(), printer, pictureLook());
        parts_.tell(kPrintedChart.text());
    }
}

void ChartCommands::exportTable(const QString& given) {
    QString file = given;
    if (file.isEmpty()) {
        file =
            parts_.hooks.askSaveFile(&parts_.owner, QStringLiteral("Export"),
                                     parts_.proposedTable(), {QStringLiteral("CSV file (*.csv)")});
        if (file.isEmpty()) {
            return;
        }
    }
    const QString own = parts_.ownFile ? parts_.ownFile() : QString();
    if (!own.isEmpty() && QFileInfo(file).absoluteFilePath() == QFileInfo(own).absoluteFilePath()) {
        throw std::runtime_error("The recording cannot be exported over its own file: " +
                                 QDir::toNativeSeparators(file).toStdString());
    }
    // Until the file is written (or the export fails), the window knows it
    // runs the event loop itself.
    const BusyFlag busy(busy_);
    WorkProgress progress(&parts_.owner, kExportingFile.text().arg(QFileInfo(file).fileName()));
    const bool written = exportTableCsv(parts_.pane.shownRows(), file, progress.steps());
    progress.finish();
    if (written) {
        const int rows = parts_.pane.shownRows().gridRowCount() - 1;
        parts_.tell((rows == 1 ? kExportedRow : kExportedRows)
                        .text()
                        .arg(groupedCount(rows), QDir::toNativeSeparators(file)));
    }
}

void ChartCommands::exportRange(const QString& file) {
    parts_.pane.range().exportRange(file);
}

}  // namespace cellwatch
