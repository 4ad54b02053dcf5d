#include "app/chart_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <exception>
#include <stdexcept>

#include "app/captions.h"
#include "app/recording_pane.h"
#include "app/work_progress.h"
#include "chart/chart_export.h"
#include "chart/data_table.h"
#include "readout/table_export.h"

namespace cellwatch {

void runCommand(QWidget* owner, const WindowHooks& hooks, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& failure) {
        hooks.showFailure(owner, QString::fromUtf8(failure.what()));
    }
}

ChartCommands::ChartCommands(Parts parts) : parts_(std::move(parts)) {}

void ChartCommands::save() {
    const QString file = parts_.hooks.askSaveFile(&parts_.owner, QStringLiteral("Save"),
                                                  parts_.proposedPicture(), chartPictureFilters());
    if (!file.isEmpty()) {
        saveChartPicture(parts_.pane.chart(), file);
        parts_.tell(kSavedChart.pick(parts_.chinese()).arg(QDir::toNativeSeparators(file)));
    }
}

void ChartCommands::copy() {
    copyChartPicture(parts_.pane.chart());
    parts_.tell(kCopiedChart.pick(parts_.chinese()));
}

void ChartCommands::print() {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (parts_.hooks.askPrint(&parts_.owner, printer)) {
        printChart(parts_.pane.chart(), printer);
        parts_.tell(kPrintedChart.pick(parts_.chinese()));
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
    const bool chinese = parts_.chinese();
    // Until the file is written (or the export fails), the window knows it
    // runs the event loop itself.
    const BusyFlag busy(busy_);
    WorkProgress progress(&parts_.owner,
                          kExportingFile.pick(chinese).arg(QFileInfo(file).fileName()), chinese);
    const bool written = exportTableCsv(parts_.pane.rows(), file, progress.steps());
    progress.finish();
    if (written) {
        const int rows = parts_.pane.table().gridRowCount() - 1;
        parts_.tell((rows == 1 ? kExportedRow : kExportedRows)
                        .pick(chinese)
                        .arg(groupedCount(rows), QDir::toNativeSeparators(file)));
    }
}

void ChartCommands::exportRange(const QString& file) {
    parts_.pane.range().exportRange(file);
}

}  // namespace cellwatch
