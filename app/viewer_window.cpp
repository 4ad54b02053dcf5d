#include "app/viewer_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include <stdexcept>

#include "app/captions.h"
#include "app/power_gauge.h"
#include "app/range_panel.h"
#include "app/summary_view.h"
#include "app/tab_control.h"
#include "chart/chart_export.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "protocol/sample_text.h"
#include "readout/cell_panel_widget.h"
#include "readout/gauge_settings.h"
#include "readout/steady_text.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

// Sizes of the frames, in twips, as the main window has them.
constexpr int kCurveFrameWidth = 2535, kCurveFrameHeight = 1890;
constexpr int kDetailFrameHeight = 4410;
constexpr int kLargeFrameWidth = 4290, kBottomFrameHeight = 2850;
constexpr int kPageMargin = 4;

struct Command {
    const char* name;
    const char* band;  // where the main window's tool of the same name has its caption
    bool checkable;
};
constexpr const char* kRangeCommands[] = {"RangeCursors", "ExportRange"};
constexpr Command kCommands[] = {
    {"CrossLine", "Tools", true}, {"Save", "View1", false},   {"Copy", "View1", false},
    {"Print", "Tools", false},    {"Export", "Tools", false},
};

}  // namespace

ViewerWindow::ViewerWindow(SettingsStore& settings, const MainWindow::Hooks& hooks,
                           const TickClock& ticks, const WallClock& wall, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), hooks_(hooks) {
    setObjectName(QStringLiteral("viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWidgets();
    recording_ = std::make_unique<Recording>(*chart_, table_->store(), *this, ticks, wall,
                                             [this] { return inChinese(); });
    recording_->SetUpTable();
    recording_->ResetChart();
    InitPowerGauge(*gauge_);
    setCaptions();
}

ViewerWindow::~ViewerWindow() = default;

void ViewerWindow::buildWidgets() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const double tppX = screen ? 1440.0 / screen->logicalDotsPerInchX() : 15;
    const double tppY = screen ? 1440.0 / screen->logicalDotsPerInchY() : 15;
    const auto px = [](int twips, double tpp) {
        return static_cast<int>(std::lround(twips / tpp));
    };

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("viewerTools"));
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
        QAction* action = toolBar_->addAction(QString::fromLatin1(kCommands[i].name));
        action->setObjectName(QString::fromLatin1(kCommands[i].name));
        action->setCheckable(kCommands[i].checkable);
        commands_[i] = action;
    }
    // The main window's keys for the same commands.
    const QKeySequence keys[] = {{},
                                 QKeySequence::Save,
                                 QKeySequence::Copy,
                                 QKeySequence::Print,
                                 QKeySequence(Qt::CTRL | Qt::Key_E)};
    for (std::size_t i = 0; i < commands_.size(); ++i) {
        commands_[i]->setShortcut(keys[i]);
        commands_[i]->setShortcutContext(Qt::WindowShortcut);
    }
    connect(commands_[0], &QAction::triggered, this,
            [this](bool on) { runCommand([this, on] { crossLine(on); }); });
    connect(commands_[1], &QAction::triggered, this,
            [this] { runCommand([this] { saveChart(); }); });
    connect(commands_[2], &QAction::triggered, this,
            [this] { runCommand([this] { copyChart(); }); });
    connect(commands_[3], &QAction::triggered, this,
            [this] { runCommand([this] { printChart(); }); });
    connect(commands_[4], &QAction::triggered, this,
            [this] { runCommand([this] { exportTableTo(QString()); }); });
    addPackCommand();

    tabs_ = new TabControl(2, this);
    tabs_->installEventFilter(this);
    chart_ = new ChartView(tabs_->page(0));
    chart_->setObjectName(QStringLiteral("TChart1"));
    connect(chart_, &ChartView::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int) { OnChartMouseMove(x); });
    (new ChartZoom(*chart_))->setEnabled(true);  // a recording read back always zooms
    // Other recordings over the chart; its command comes after the others.
    overlays_ = new ViewerOverlays(
        *chart_, *this, hooks_.askOpenFiles,
        [this](const QString& text) { status_->setText(text); }, [this] { return inChinese(); });
    toolBar_->addAction(overlays_->command());
    connect(overlays_->command(), &QAction::triggered, this, [this] {
        runCommand([this] { overlays_->compareWith(QFileInfo(file_).absolutePath()); });
    });
    table_ = new DataTableModel(this);
    tableView_ = new DataTableView(tabs_->page(1));
    tableView_->setObjectName(QStringLiteral("Grid1"));
    tableView_->setModel(table_);

    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = newPanel(this);
        frames_[i]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
    }
    frames_[4]->setParent(frames_[1]);
    frames_[0]->setFixedSize(px(kCurveFrameWidth, tppX), px(kCurveFrameHeight, tppY));
    frames_[3]->setFixedSize(px(kCurveFrameWidth, tppX), px(kDetailFrameHeight, tppY));
    frames_[2]->setFixedHeight(px(kBottomFrameHeight, tppY));
    frames_[1]->setFixedSize(px(kLargeFrameWidth, tppX), px(kBottomFrameHeight, tppY));
    buildCurvePanel(frames_[0], check1_, label3_, *chart_);
    buildDetailPanel(frames_[3], label3_);
    gauge_ = buildLargeReadoutPanel(frames_[1], frames_[4], label2_, font(), tppX);
    cellPanel_ = new CellPanelWidget(frames_[2]);
    cellPanel_->setObjectName(QStringLiteral("cellPanel"));
    fillCellPanelBackground(*cellPanel_);
    auto* cells = new QVBoxLayout(frames_[2]);
    cells->setContentsMargins(2, 2, 2, 2);
    cells->addWidget(cellPanel_);

    summary_ = new SummaryView(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("viewerStatus"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The range cursors, their panel under the chart and their two commands.
    rangePanel_ = new RangePanel(chart_);
    range_ = new RangeTool(
        *chart_, *table_, *rangePanel_, hooks_.askSaveFile,
        [this](const QString& text) { status_->setText(text); }, this);
    for (std::size_t i = 0; i < rangeCommands_.size(); ++i) {
        rangeCommands_[i] = toolBar_->addAction(QString::fromLatin1(kRangeCommands[i]));
        rangeCommands_[i]->setObjectName(QString::fromLatin1(kRangeCommands[i]));
    }
    rangeCommands_[0]->setCheckable(true);
    connect(rangeCommands_[0], &QAction::triggered, this, [this](bool on) {
        tabs_->setCurrentPage(0);
        range_->setActive(on);
        rangeCommands_[1]->setEnabled(on);
    });
    rangeCommands_[1]->setEnabled(false);
    // The cursors read every compared recording at the same elapsed times.
    connect(overlays_, &ViewerOverlays::changed, this, [this] {
        std::vector<ComparedRows> compared;
        for (const OverlayRecording& r : overlays_->recordings()) {
            TableRangeRows rows(r.table->store());
            compared.push_back({r.name, r.table, rowSeconds(rows)});
        }
        const RecordingSummaryValues& own = summary_->summary();
        range_->setCompared(overlayLegendText(file_, own.start, own.pack), std::move(compared));
    });
    connect(rangeCommands_[1], &QAction::triggered, this,
            [this] { runCommand([this] { range_->exportRange(QString()); }); });

    auto* left = new QVBoxLayout;
    left->addWidget(frames_[0]);
    left->addWidget(frames_[3]);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(tabs_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(frames_[2], 1);
    bottom->addWidget(frames_[1]);
    // Chart, readouts and summary scroll when the screen is smaller than
    // they need (a laptop at 150 %); the tool bar and the status line stay
    // in view. The window itself never needs to be larger than the screen.
    auto* content = new QWidget;
    auto* body = new QVBoxLayout(content);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(4);
    body->addLayout(top, 1);
    body->addLayout(bottom);
    body->addWidget(summary_);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("viewerBody"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);
    root->addWidget(toolBar_);
    root->addWidget(scroll, 1);
    root->addWidget(status_);
    // The range panel takes its height from the plot, inside the chart's
    // area, so switching the cursors on never makes the window taller.
    chart_->layout()->addWidget(rangePanel_);
    QSize size(px(13500, tppX), px(11200, tppY));
    if (screen != nullptr) {
        // Room for the window's frame and title bar.
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
}

bool ViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabs_ && event->type() == QEvent::Resize) {
        placePages();
    }
    return QWidget::eventFilter(watched, event);
}

void ViewerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitReadouts();
}

void ViewerWindow::placePages() {
    const QRect page(kPageMargin, tabs_->tabRowHeight() + kPageMargin,
                     std::max(0, tabs_->width() - 2 * kPageMargin),
                     std::max(0, tabs_->height() - tabs_->tabRowHeight() - 2 * kPageMargin));
    chart_->setGeometry(page);
    tableView_->setGeometry(page);
}

void ViewerWindow::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& failure) {
        hooks_.showFailure(this, QString::fromUtf8(failure.what()));
    }
}

bool ViewerWindow::inChinese() const {
    return isChinese(readLanguageCode(settings_));
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
    const RecordingSummaryValues summary =
        readAndSummarize(file, fileName, watch, &table_->store());
    if (cancelled) {
        return false;
    }
    file_ = fileName;
    range_->setRecordingName(fileName);
    recording_->showRecordingChart(file, QFileInfo(fileName).fileName());
    damagedLines_ = file.damagedLineCount();
    cutWhileReading_ = file.cutWhileReading();
    summary_->setSummary(summary);
    showTitle();
    const int last = table_->gridRowCount() - 1;
    if (last >= 1) {
        showRowInReadouts(*table_, last, *this);  // where the recording ended
        showRowInLargeReadouts(last);
    }
    showStatus();
    return true;
}

void ViewerWindow::showRowInLargeReadouts(int row) {
    const auto number = [&](int column) {
        return Decimal::parse(table_->gridText(row, column).trimmed().toStdString())
            .value_or(Decimal());
    };
    const QString voltage = QString::fromStdString(number(7).format(kFormat2));
    const QString current = QString::fromStdString(number(8).format(kFormat2));
    const QString capacity = QString::fromStdString(number(9).plainText());
    setReadout(readouts::kLegendVoltage, voltage);
    setReadout(readouts::kLegendCurrent, current);
    setReadout(readouts::kLegendCapacity, capacity);
    setReadout(readouts::kLegendExternal, QString::fromStdString(number(4).plainText()));
    setLargeReadout(readouts::kLargeVoltage, voltage + u'V');
    setLargeReadout(readouts::kLargeCurrent, current + u'A');
    setLargeReadout(readouts::kLargeCapacity, capacity + QStringLiteral("mAh"));
    fitReadouts();
    const Decimal power = (number(7) * number(8)).abs();
    gauge_->setValue(power.toDouble());
    gauge_->setMode(1);
    gauge_->setCaption(QString::fromStdString(power.format(kFormat3Wide)));
}

void ViewerWindow::showStatus() {
    if (file_.isEmpty()) {
        status_->clear();
        return;
    }
    const bool chinese = inChinese();
    QString text = kOpened.pick(chinese) + u' ' + QDir::toNativeSeparators(file_);
    QStringList notes;
    if (damagedLines_ == 1) {
        notes << kDamagedLineSkipped.pick(chinese);
    } else if (damagedLines_ > 1) {
        notes << kDamagedLinesSkipped.pick(chinese).arg(
            groupedCount(static_cast<qint64>(damagedLines_)));
    }
    if (cutWhileReading_) {
        notes << kCutWhileReading.pick(chinese);
    }
    if (!notes.isEmpty()) {
        text += QString::fromUtf8(" — ") + notes.join(QStringLiteral("; "));
    }
    status_->setText(text);
}

QString ViewerWindow::statusText() const {
    return status_->text();
}

// --- the texts of both languages -------------------------------------------------------------

void ViewerWindow::setCaptions() {
    const bool chinese = inChinese();
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
        commands_[i]->setText(
            toolCaption(kCommands[i].band, kCommands[i].name, ToolProperty::Caption, chinese));
        commands_[i]->setToolTip(
            toolCaption(kCommands[i].band, kCommands[i].name, ToolProperty::Tooltip, chinese));
    }
    for (std::size_t i = 0; i < rangeCommands_.size(); ++i) {
        rangeCommands_[i]->setText(
            toolCaption("View1", kRangeCommands[i], ToolProperty::Caption, chinese));
    }
    range_->setLanguage(chinese);
    setPanelCaptions(*this, chinese);
    tabs_->setPageCaption(0, kTabGraph.pick(chinese));
    tabs_->setPageCaption(1, kTabData.pick(chinese));
    setChartAxisTitles(*chart_, chinese);
    summary_->setLanguage(chinese);
    overlays_->setCaptions();
    packCommand_->setText(toolCaption("View1", "Pack", ToolProperty::Caption, chinese));
    packCommand_->setToolTip(kViewerPackTooltip.pick(chinese));
    showTitle();
    showStatus();
}

// --- the commands ----------------------------------------------------------------------------

QAction* ViewerWindow::command(const QString& name) const {
    for (QAction* action : commands_) {
        if (action->objectName() == name) {
            return action;
        }
    }
    for (QAction* action : rangeCommands_) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

void ViewerWindow::crossLine(bool on) {
    tabs_->setCurrentPage(0);
    commands_[0]->setChecked(on);
    chart_->setCursorActive(on);
}

void ViewerWindow::OnChartMouseMove(int x) {
    if (!commands_[0]->isChecked()) {
        cursorHold_ = false;
        return;
    }
    if (const auto row = rowAtPixel(*chart_, *table_, x)) {
        showRowInReadouts(*table_, *row, *this);
        cursorHold_ = true;
    }
}

void ViewerWindow::saveChart() {
    // Beside the exports, not among the recordings.
    const QString proposed =
        QFileInfo(defaultExportPath(QDateTime::currentDateTime())).absolutePath() + u'/' +
        QFileInfo(file_).completeBaseName() + QStringLiteral(".png");
    const QString file =
        hooks_.askSaveFile(this, QStringLiteral("Save"), proposed, chartPictureFilters());
    if (!file.isEmpty()) {
        saveChartPicture(*chart_, file);
        status_->setText(kSavedChart.pick(inChinese()).arg(QDir::toNativeSeparators(file)));
    }
}

void ViewerWindow::copyChart() {
    copyChartPicture(*chart_);
    status_->setText(kCopiedChart.pick(inChinese()));
}

void ViewerWindow::printChart() {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (hooks_.askPrint(this, printer)) {
        cellwatch::printChart(*chart_, printer);
        status_->setText(kPrintedChart.pick(inChinese()));
    }
}

void ViewerWindow::exportTableTo(const QString& given) {
    QString file = given;
    if (file.isEmpty()) {
        const QFileInfo source(file_);
        const QString proposed =
            QFileInfo(defaultExportPath(QDateTime::currentDateTime())).absolutePath() + u'/' +
            source.completeBaseName() + QStringLiteral("-export.csv");
        file = hooks_.askSaveFile(this, QStringLiteral("Export"), proposed,
                                  {QStringLiteral("CSV file (*.csv)")});
        if (file.isEmpty()) {
            return;
        }
    }
    if (QFileInfo(file).absoluteFilePath() == QFileInfo(file_).absoluteFilePath()) {
        throw std::runtime_error("The recording cannot be exported over its own file: " +
                                 QDir::toNativeSeparators(file).toStdString());
    }
    QProgressDialog progress(kExportingFile.pick(inChinese()).arg(QFileInfo(file).fileName()),
                             kCancelButton.pick(inChinese()), 0, 100, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const bool written =
        exportTableCsv(table_->store(), file, [&progress](std::size_t done, std::size_t total) {
            progress.setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    if (written) {
        const int rows = table_->gridRowCount() - 1;
        status_->setText((rows == 1 ? kExportedRow : kExportedRows)
                             .pick(inChinese())
                             .arg(groupedCount(rows), QDir::toNativeSeparators(file)));
    }
}

// --- what the recording shows ----------------------------------------------------------------

void ViewerWindow::setReadout(int index, const QString& text) {
    if (QLabel* l = readout(index)) {
        setSteadyText(l, text);
    }
}

void ViewerWindow::setLargeReadout(int index, const QString& text) {
    if (QLabel* l = largeReadout(index)) {
        setFittedText(l, text);
    }
}

void ViewerWindow::fitReadouts() {
    placeLargeReadouts(frames_[1], frames_[4], label2_);
}

PowerGaugeControl& ViewerWindow::gauge() {
    return *gauge_;
}

CellPanelView& ViewerWindow::cellPanel() {
    return *cellPanel_;
}

QLabel* ViewerWindow::readout(int index) const {
    return index >= 0 && index < 25 ? label3_[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* ViewerWindow::largeReadout(int index) const {
    return index >= 0 && index < 3 ? label2_[static_cast<std::size_t>(index)] : nullptr;
}

QCheckBox* ViewerWindow::curveSwitch(int index) const {
    return index >= 0 && index < 4 ? check1_[static_cast<std::size_t>(index)] : nullptr;
}

}  // namespace cellwatch
