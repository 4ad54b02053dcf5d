#include "app/viewer_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "analysis/recording_analysis.h"
#include "app/alarm_list.h"
#include "app/captions.h"
#include "app/charger_model.h"
#include "app/pack_dialog.h"
#include "app/power_gauge.h"
#include "app/readout_panels.h"
#include "app/summary_view.h"
#include "app/tab_control.h"
#include "app/viewer_status.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "packs/pack_health.h"
#include "packs/pack_history.h"
#include "readout/cell_panel_widget.h"
#include "readout/recording_views.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

// Sizes of the frames, in twips, as the main window has them.
constexpr int kCurveFrameWidth = 2535, kCurveFrameHeight = 1890;
constexpr int kDetailFrameHeight = 4410;
constexpr int kLargeFrameWidth = 4290, kBottomFrameHeight = 2850;
constexpr int kPageMargin = 4;

}  // namespace

ViewerWindow::ViewerWindow(Settings& settings, const WindowHooks& hooks, const TickClock& ticks,
                           const WallClock& wall, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), hooks_(withDefaultDialogs(hooks)) {
    setObjectName(QStringLiteral("viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWidgets();
    recording_ = std::make_unique<Recording>(pane_->rows(), ticks, wall);
    showOn(*recording_, pane_->chart(), *pane_, idleChartTitle);
    recording_->SetUpTable();
    recording_->ResetChart();
    InitPowerGauge(pane_->powerGauge());
    setCaptions();
}

ViewerWindow::~ViewerWindow() {
#if defined(__GLIBC__)
    // A recording's rows, tables and curves are many blocks that the C
    // library would keep for the process once freed: when the window and
    // everything in it are gone, that memory goes back to the system.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app, [] { ::malloc_trim(0); }, Qt::QueuedConnection);
    }
#endif
}

void ViewerWindow::buildWidgets() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const double tppX = screen ? 1440.0 / screen->logicalDotsPerInchX() : 15;
    const double tppY = screen ? 1440.0 / screen->logicalDotsPerInchY() : 15;
    const auto px = [](int twips, double tpp) {
        return static_cast<int>(std::lround(twips / tpp));
    };

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("viewerTools"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("viewerStatus"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pane_ = new RecordingPane(*this, tppX, hooks_.askSaveFile,
                              [this](const QString& text) { tell(text); });
    pane_->tabs().installEventFilter(this);
    pane_->zoom().setEnabled(true);  // a recording read back always zooms
    commands_ = std::make_unique<ChartCommands>(ChartCommands::Parts{
        *this, *pane_, hooks_, [this](const QString& text) { tell(text); },
        [this] { return proposedFile(QStringLiteral(".png")); },
        [this] { return proposedFile(QStringLiteral("-export.csv")); }, [this] { return file_; },
        [this] { return summary_->summary(); }, [this] { return whitePaper(settings_); }});
    // Other recordings over the chart; the cursors read every compared
    // recording at the same elapsed times.
    overlays_ = new ViewerOverlays(pane_->chart(), *this, hooks_.askOpenFiles,
                                   [this](const QString& text) { tell(text); });
    overlays_->attachCells(pane_->cellPane(), pane_->alarmMarkers());
    pane_->keepCellShare(settings_);
    connect(overlays_, &ViewerOverlays::changed, this, [this] {
        std::vector<ComparedRows> compared;
        for (const OverlayRecording& r : overlays_->recordings()) {
            TableRangeRows rows(r.table->store());
            compared.push_back({r.name, r.table, rowSeconds(rows)});
        }
        const RecordingSummaryValues& own = summary_->summary();
        pane_->range().setCompared(overlayLegendText(file_, own.start, own.pack),
                                   std::move(compared));
    });
    addCommands();

    QGroupBox* curves = pane_->frame(1);
    QGroupBox* large = pane_->frame(2);
    QGroupBox* cells = pane_->frame(3);
    QGroupBox* details = pane_->frame(4);
    curves->setFixedSize(px(kCurveFrameWidth, tppX), px(kCurveFrameHeight, tppY));
    details->setFixedSize(px(kCurveFrameWidth, tppX), px(kDetailFrameHeight, tppY));
    cells->setFixedHeight(px(kBottomFrameHeight, tppY));
    large->setFixedSize(px(kLargeFrameWidth, tppX), px(kBottomFrameHeight, tppY));
    auto* cellRow = new QVBoxLayout(cells);
    cellRow->setContentsMargins(2, 2, 2, 2);
    cellRow->addWidget(&pane_->cellPanelWidget());
    summary_ = new SummaryView(this);
    alarmList_ = new AlarmList(this);
    alarmList_->setMinimumSize(px(4000, tppX), px(1500, tppY));
    connect(alarmList_, &AlarmList::alarmChosen, this, &ViewerWindow::showAlarm);

    left_ = new QVBoxLayout;
    left_->addWidget(curves);
    left_->addWidget(details);
    left_->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left_);
    top->addWidget(&pane_->tabs(), 1);
    bottom_ = new QHBoxLayout;
    bottom_->addWidget(cells, 1);
    bottom_->addWidget(large);
    summaryRow_ = new QWidget;
    auto* under = new QHBoxLayout(summaryRow_);
    under->setContentsMargins(0, 0, 0, 0);
    under->addWidget(summary_, 3);
    under->addWidget(alarmList_, 2);
    // In a low window (150 % on a laptop) the readout frames under the
    // chart and the summary take turns on these pages.
    sheets_ = new QTabWidget;
    sheets_->setObjectName(QStringLiteral("viewerSheets"));
    for (QBoxLayout*& page : sheetPages_) {
        auto* holder = new QWidget;
        page = new QHBoxLayout(holder);
        page->setContentsMargins(2, 2, 2, 2);
        page->addStretch(1);
        sheets_->addTab(holder, QString());
    }
    sheets_->hide();
    // What still does not fit scrolls; the tool bar and the status line stay
    // in view. The window itself never needs to be larger than the screen.
    auto* content = new QWidget;
    body_ = new QVBoxLayout(content);
    body_->setContentsMargins(0, 0, 0, 0);
    body_->setSpacing(4);
    body_->addLayout(top, 1);
    body_->addLayout(bottom_);
    body_->addWidget(summaryRow_);
    body_->addWidget(sheets_);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("viewerBody"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(content);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);
    root->addWidget(toolBar_);
    root->addWidget(scroll_, 1);
    root->addWidget(status_);
    designSize_ = QSize(px(13500, tppX), px(11200, tppY));
    fitSize();
}

// The design size, or as high as everything needs at once, but whole on the
// screen with room for the window's frame and title bar.
void ViewerWindow::fitSize() {
    QSize size = designSize_;
    size.setHeight(std::max(size.height(), chromeHeight() + wholeHeight()));
    // As wide as the summary beside the alarm list (on a page: its frame and
    // margins too), and the cell panel beside the large readouts.
    const int pageFrame = 16;
    const int cellRow =
        pane_->frame(3)->minimumSizeHint().width() + body_->spacing() + pane_->frame(2)->width();
    const QMargins margins = layout()->contentsMargins();
    size.setWidth(
        std::max(size.width(), margins.left() + margins.right() +
                                   std::max(cellRow, summaryRowMinimum().width() + pageFrame)));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
}

// The tool bar, the status line and the margins around the body.
int ViewerWindow::chromeHeight() const {
    if (isVisible()) {
        return height() - scroll_->height();
    }
    const QMargins margins = layout()->contentsMargins();
    return margins.top() + margins.bottom() + toolBar_->sizeHint().height() +
           status_->sizeHint().height() + 2 * layout()->spacing();
}

// The summary beside the alarm list (read from them: the row's own layout
// learns of a grown summary only when it is shown).
QSize ViewerWindow::summaryRowMinimum() const {
    const QSize summary = summary_->minimumSizeHint().expandedTo(summary_->minimumSize());
    const QSize alarms = alarmList_->minimumSizeHint().expandedTo(alarmList_->minimumSize());
    return {summary.width() + summaryRow_->layout()->spacing() + alarms.width(),
            std::max(summary.height(), alarms.height())};
}

int ViewerWindow::wholeHeight() const {
    const int column = pane_->frame(1)->height() + left_->spacing() + pane_->frame(4)->height();
    return std::max(column, pane_->tabs().minimumSizeHint().height()) + body_->spacing() +
           pane_->frame(3)->height() + body_->spacing() + summaryRowMinimum().height();
}

// Everything at once when the window is high enough; else the readout frames
// beside and under the chart and the summary share the pages under it.
void ViewerWindow::arrange() {
    const bool low = height() - chromeHeight() < wholeHeight();
    if (arranged_ && low == low_) {
        return;
    }
    arranged_ = true;
    low_ = low;
    QGroupBox* large = pane_->frame(2);
    QGroupBox* cells = pane_->frame(3);
    QGroupBox* details = pane_->frame(4);
    auto& [summaryPage, readoutPage, cellPage] = sheetPages_;
    if (low) {
        left_->removeWidget(details);
        bottom_->removeWidget(cells);
        bottom_->removeWidget(large);
        body_->removeWidget(summaryRow_);
        summaryPage->insertWidget(0, summaryRow_, 1);
        readoutPage->insertWidget(0, details);
        readoutPage->insertWidget(1, large);
        cellPage->insertWidget(0, cells, 1);
        sheets_->show();
    } else {
        sheets_->hide();
        summaryPage->removeWidget(summaryRow_);
        readoutPage->removeWidget(details);
        readoutPage->removeWidget(large);
        cellPage->removeWidget(cells);
        left_->insertWidget(1, details);
        bottom_->addWidget(cells, 1);
        bottom_->addWidget(large);
        body_->insertWidget(2, summaryRow_);
    }
}

void ViewerWindow::placeOver(const QWidget& owner) {
    if (const QScreen* screen = owner.screen()) {
        move(placeCentredOver(owner.frameGeometry(), size(), screen->availableGeometry()));
    }
}

// The tool bar: the main window's commands for a recording, with their keys,
// then Compare with…, the range cursors and Pack….
void ViewerWindow::addCommands() {
    addCommand(Command::CrossLine, [this](bool on) { crossLine(on); });
    addCommand(Command::Save, [this](bool) { commands_->save(); });
    addCommand(Command::Copy, [this](bool) { commands_->copy(); });
    addCommand(Command::Print, [this](bool) { commands_->print(); });
    addCommand(Command::Export, [this](bool) { commands_->exportTable(QString()); });
    toolBar_->addAction(overlays_->command());
    connect(overlays_->command(), &QAction::triggered, this, [this] {
        runCommand([this] { overlays_->compareWith(QFileInfo(file_).absolutePath()); });
    });
    addCommand(Command::RangeCursors, [this](bool on) {
        pane_->setRangeCursors(on);
        command(QStringLiteral("ExportRange"))->setEnabled(on);
    });
    addCommand(Command::ExportRange, [this](bool) {
        commands_->exportRange(QString());
    })->setEnabled(false);
    cellDifference_ = new QAction(this);
    cellDifference_->setObjectName(QStringLiteral("CellDifference"));
    cellDifference_->setCheckable(true);
    toolBar_->addAction(cellDifference_);
    connect(cellDifference_, &QAction::toggled, this, [this](bool on) {
        pane_->setCellMode(on ? CellCurveMode::DifferenceMv : CellCurveMode::Volts);
    });
    toolBar_->addSeparator();
    addCommand(Command::Pack, [this](bool) { editPack(); });
}

QAction* ViewerWindow::addCommand(Command id, const std::function<void(bool)>& run) {
    const CommandEntry& entry = commandEntry(id);
    QAction* action = toolBar_->addAction(QString::fromUtf8(entry.caption));
    action->setObjectName(QString::fromLatin1(entry.tool));
    action->setCheckable(entry.checkable);
    action->setShortcut(commandKey(id));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this,
            [this, run](bool on) { runCommand([&run, on] { run(on); }); });
    commandActions_.emplace_back(id, action);
    return action;
}

QAction* ViewerWindow::command(const QString& name) const {
    for (const auto& [id, action] : commandActions_) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

bool ViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &pane_->tabs() && event->type() == QEvent::Resize) {
        pane_->fitPagesToTabs(kPageMargin);
    }
    return QWidget::eventFilter(watched, event);
}

void ViewerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
    pane_->fitReadouts();
}

void ViewerWindow::runCommand(const std::function<void()>& command) {
    cellwatch::runCommand(this, hooks_, command);
}

void ViewerWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        setCaptions();
    }
    QWidget::changeEvent(event);
}

void ViewerWindow::tell(const QString& text) {
    status_->setText(text);
}

// Beside the exports, not among the recordings.
QString ViewerWindow::proposedFile(const QString& suffix) const {
    return QFileInfo(defaultExportPath(QDateTime::currentDateTime())).absolutePath() + u'/' +
           QFileInfo(file_).completeBaseName() + suffix;
}

// --- opening ------------------------------------------------------------------------------

bool ViewerWindow::open(const QString& fileName, const LoadProgress& reading) {
    bool cancelled = false;
    const auto watch = [&](std::size_t done, std::size_t total) {
        if (reading && !reading(done, total)) {
            cancelled = true;
        }
        return !cancelled;
    };
    // One reading of the file gives the rows, the curves and the summary.
    RecordingFile file;
    const RecordingSummaryValues summary = readAndSummarize(file, fileName, watch, &pane_->rows());
    if (cancelled) {
        return false;
    }
    file_ = fileName;
    pane_->range().setRecordingName(fileName);
    recording_->showRecordingChart(file, QFileInfo(fileName).fileName());
    pane_->setCellCurves(true);  // a viewer always shows the cells
    pane_->setAlarms(file.alarms());
    damagedLines_ = file.damagedLineCount();
    missingValues_ = file.missingValueCount();
    cutWhileReading_ = file.cutWhileReading();
    summary_->setSummary(summary);
    // The phases and the resistance, from the rows just read.
    TableRangeRows rows(pane_->rows());
    summary_->setAnalysis(analyzeRows(rows));
    alarmList_->setAlarms(file.alarms());
    showTitle();
    const int last = pane_->table().gridRowCount() - 1;
    if (last >= 1) {
        pane_->showRow(last);  // where the recording ended
    }
    showStatus();
    if (!isVisible()) {
        fitSize();  // the summary may have grown
    }
    arrange();
    return true;
}

void ViewerWindow::showStatus() {
    status_->setText(viewerStatusText(file_, damagedLines_, missingValues_, cutWhileReading_));
}

QString ViewerWindow::statusText() const {
    return status_->text();
}

void ViewerWindow::setCaptions() {
    for (const auto& [id, action] : commandActions_) {
        action->setText(commandCaption(id));
        action->setToolTip(commandTooltip(id));
    }
    packCommand()->setToolTip(tr("Change this recording's pack and note"));
    cellDifference_->setText(tr("Cells Δ mV"));
    cellDifference_->setToolTip(tr("Cell curves as the difference from the mean, in mV"));
    pane_->retranslate();
    sheets_->setTabText(0, tr("Summary"));
    sheets_->setTabText(1, tr("Readouts"));
    sheets_->setTabText(2, tr("Cells"));
    overlays_->setCaptions();
    showTitle();
    showStatus();
}

void ViewerWindow::crossLine(bool on) {
    command(QStringLiteral("CrossLine"))->setChecked(on);
    pane_->setCrossLine(on);
}

void ViewerWindow::showAlarm(int index) {
    const std::vector<AlarmNote>& alarms = alarmList_->alarms();
    if (index < 0 || static_cast<std::size_t>(index) >= alarms.size()) {
        return;
    }
    command(QStringLiteral("CrossLine"))->setChecked(true);
    pane_->showMoment(AlarmList::rowOfAlarm(alarms[static_cast<std::size_t>(index)]));
}

// --- the recording's pack ---------------------------------------------------------------------

PackInfo ViewerWindow::pack() const {
    // Everything the pack file tells, with the name and note shown.
    PackInfo info = file_.isEmpty() ? PackInfo{} : readPackInfo(file_);
    const RecordingSummaryValues& s = summary_->summary();
    info.pack = s.pack;
    info.note = s.note;
    return info;
}

void ViewerWindow::showTitle() {
    QString title = file_.isEmpty() ? QString() : QFileInfo(file_).fileName();
    const QString name = summary_->summary().pack;
    if (!name.isEmpty()) {
        title += tr(" — pack %1").arg(name);
    }
    setWindowTitle(title);
}

void ViewerWindow::editPack() {
    if (file_.isEmpty()) {
        return;
    }
    const QString folder = QFileInfo(file_).absolutePath();
    PackDialog dialog(pack(), packNamesOfFolder(folder), true, this, [folder](const QString& name) {
        return packDefinitionOfFolder(folder, name);
    });
    hooks_.showDialog(dialog);
    if (dialog.result() == QDialog::Accepted) {
        setPack(dialog.info());
    }
}

void ViewerWindow::setPack(const PackInfo& given) {
    if (file_.isEmpty()) {
        return;
    }
    PackInfo info = given;  // every field the dialog holds
    info.pack = normalizedPackName(given.pack);
    QString error;
    if (!writePackInfo(file_, info, &error)) {
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(tr("The pack could not be kept"), error).toStdString());
    }
    RecordingSummaryValues summary = summary_->summary();
    summary.pack = info.pack;
    summary.note = info.note;
    summary_->setSummary(summary);
    showTitle();
}

}  // namespace cellwatch
