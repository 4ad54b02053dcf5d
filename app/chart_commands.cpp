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
#include "app/settings_store.h"
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
constexpr BilingualText kCopiedTableRow = {"已将 1 行数据复制到剪贴板",
                                           "Copied 1 row of the table"};
constexpr BilingualText kCopiedTableRows = {"已将 %1 行数据复制到剪贴板",
                                            "Copied %1 rows of the table"};

constexpr BilingualText kCaptionStart = {"开始 %1", "Start %1"};
constexpr BilingualText kCaptionNoStart = {"开始时间未记录", "Start not recorded"};
constexpr BilingualText kCaptionPack = {"电池组 %1", "Pack %1"};
constexpr BilingualText kCaptionBattery = {"电池 %1，%2", "Battery %1, %2"};
constexpr BilingualText kCaptionCapacity = {"容量 %1 mAh    %2 Wh    时长 %3",
                                            "Capacity %1 mAh    %2 Wh    Duration %3"};
constexpr BilingualText kPaperChoice = {"保存和打印时使用白色背景",
                                        "Save and print on white paper"};
const QString kPaperSection = QStringLiteral("Pictures");
const QString kPaperKey = QStringLiteral("WhitePaper");
constexpr BilingualText kCharge = {"充电", "charge"};
constexpr BilingualText kDischarge = {"放电", "discharge"};
constexpr BilingualText kMixed = {"充放电", "mixed"};

}  // namespace

bool whitePaper(const SettingsStore& settings) {
    return settings.read(kSettingsApplication, kPaperSection, kPaperKey, QStringLiteral("1")) !=
           QLatin1String("0");
}

QAction* addPaperChoice(QMenu* view, SettingsStore& settings, bool chinese) {
    auto* choice = view->addAction(kPaperChoice.pick(chinese));
    choice->setObjectName(QStringLiteral("View1.WhitePaper"));
    choice->setCheckable(true);
    choice->setChecked(whitePaper(settings));
    QObject::connect(choice, &QAction::toggled, view, [&settings](bool on) {
        settings.write(kSettingsApplication, kPaperSection, kPaperKey,
                       on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    return choice;
}

void setPaperChoiceLanguage(QAction* choice, bool chinese) {
    if (choice != nullptr) {
        choice->setText(kPaperChoice.pick(chinese));
    }
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
    const bool chinese = parts_.chinese();
    QStringList first{s.start.isValid()
                          ? kCaptionStart.pick(chinese).arg(isoTimeWithOffset(s.start))
                          : kCaptionNoStart.pick(chinese)};
    if (!s.pack.isEmpty()) {
        first << kCaptionPack.pick(chinese).arg(s.pack);
    }
    if (!s.battery.isEmpty()) {
        const BilingualText& kind = s.kind == RecordingKind::Charge      ? kCharge
                                    : s.kind == RecordingKind::Discharge ? kDischarge
                                                                         : kMixed;
        first << kCaptionBattery.pick(chinese).arg(s.battery, kind.pick(chinese));
    }
    look.caption << first.join(QStringLiteral("    "))
                 << kCaptionCapacity.pick(chinese).arg(QString::number(s.capacityMah),
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
        parts_.tell(kSavedChart.pick(parts_.chinese()).arg(QDir::toNativeSeparators(file)));
    }
}

void ChartCommands::copy() {
    if (parts_.pane.tabs().currentPage() == kTablePage) {
        const int rows = parts_.pane.tableView().copyRows();
        parts_.tell((rows == 1 ? kCopiedTableRow : kCopiedTableRows)
                        .pick(parts_.chinese())
                        .arg(groupedCount(rows)));
        return;
    }
    copyChartPicture(parts_.pane.chart());
    parts_.tell(kCopiedChart.pick(parts_.chinese()));
}

void ChartCommands::print() {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (parts_.hooks.askPrint(&parts_.owner, printer)) {
        printChart(parts_.pane.chart(), printer, pictureLook());
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
                          kExportingFile.pick(chinese).arg(QFileInfo(file).fileName()));
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
