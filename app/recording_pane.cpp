#include "app/recording_pane.h"

#include <qcustomplot.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>

#include "app/captions.h"
#include "app/power_gauge.h"
#include "app/readout_panels.h"
#include "app/settings.h"
#include "app/tab_control.h"
#include "chart/alarm_markers.h"
#include "chart/cell_pane.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"
#include "chart/data_table.h"
#include "readout/axis_titles.h"
#include "readout/cell_panel_widget.h"
#include "readout/row_readouts.h"
#include "readout/steady_text.h"

namespace cellwatch {

RecordingPane::RecordingPane(QWidget& host, double twipsPerPixelX,
                             RangeTool::AskSaveFile askSaveFile,
                             std::function<void(const QString&)> tell)
    : QObject(&host), host_(host) {
    tabs_ = new TabControl(2, &host);
    chart_ = new ChartView(tabs_->page(0));
    chart_->setObjectName(QStringLiteral("TChart1"));
    connect(chart_, &ChartView::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int) { followMouse(x); });
    zoom_ = new ChartZoom(*chart_);
    table_ = new DataTableModel(this);
    tableView_ = new DataTableView(tabs_->page(1));
    tableView_->setObjectName(QStringLiteral("Grid1"));
    tableView_->setModel(table_);

    // The range panel goes under the plot inside the chart's own area: while
    // it shows, the plot is that much shorter and keeps all its axes in view,
    // and switching the cursors on never makes a window taller.
    rangePanel_ = new RangePanel(chart_);
    rangePanel_->hide();
    chart_->layout()->addWidget(rangePanel_);
    range_ = new RangeTool(*chart_, *table_, *rangePanel_, std::move(askSaveFile), std::move(tell),
                           this);

    cells_ = new CellPane(*chart_);
    alarms_ = new AlarmMarkers(*chart_);
    connect(range_, &RangeTool::statisticsChanged, this, &RecordingPane::showCellSpans);

    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = newPanel(&host);
        frames_[i]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
    }
    frames_[4]->setParent(frames_[1]);  // Frame5 (the gauge) sits inside Frame2
    buildCurvePanel(frames_[0], check1_, label3_, *chart_);
    buildDetailPanel(frames_[3], label3_);
    gauge_ = buildLargeReadoutPanel(frames_[1], frames_[4], label2_, host.font(), twipsPerPixelX);
    cellPanel_ = new CellPanelWidget(frames_[2]);
    cellPanel_->setObjectName(QStringLiteral("cellPanel"));
    fillCellPanelBackground(*cellPanel_);
    watchMouseOverFrames();
}

RecordingPane::~RecordingPane() = default;

// Moving the mouse anywhere over the tab control (but for the chart and the
// table on its pages) or over the frames releases a held readout. A plain
// mouse move stops at the first widget that does not track the mouse, so
// every widget in those areas tracks it and is watched.
void RecordingPane::watchMouseOverFrames() {
    std::vector<QWidget*> watched = {tabs_, frames_[0], frames_[1], frames_[2], frames_[3]};
    for (QWidget* area : std::vector<QWidget*>(watched)) {
        for (QWidget* child : area->findChildren<QWidget*>()) {
            const bool onChartOrTable = child == chart_ || child == tableView_ ||
                                        chart_->isAncestorOf(child) ||
                                        tableView_->isAncestorOf(child);
            if (!onChartOrTable) {
                watched.push_back(child);
            }
        }
    }
    for (QWidget* w : watched) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool RecordingPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        cursorHold_ = false;
    }
    return QObject::eventFilter(watched, event);
}

RowStore& RecordingPane::rows() const {
    return table_->store();
}

RowStore& RecordingPane::shownRows() const {
    return shown_ != nullptr ? *shown_ : table_->store();
}

void RecordingPane::setShownRows(RowStore* shown) {
    shown_ = shown == &table_->store() ? nullptr : shown;
    cursorHold_ = false;
    range_->setRows(&shownRows());
    if (cells_->shown()) {
        cells_->load(std::make_shared<TableRangeRows>(shownRows()));
        showCellSpans();
    }
}

QGroupBox* RecordingPane::frame(int number) const {
    return number >= 1 && number <= 5 ? frames_[static_cast<std::size_t>(number - 1)] : nullptr;
}

QLabel* RecordingPane::readout(int index) const {
    return index >= 0 && index < 25 ? label3_[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* RecordingPane::largeReadout(int index) const {
    return index >= 0 && index < 3 ? label2_[static_cast<std::size_t>(index)] : nullptr;
}

QCheckBox* RecordingPane::curveSwitch(int index) const {
    return index >= 0 && index < 4 ? check1_[static_cast<std::size_t>(index)] : nullptr;
}

void RecordingPane::fitPagesToTabs(int margin) {
    const QRect page(margin, tabs_->tabRowHeight() + margin,
                     std::max(0, tabs_->width() - 2 * margin),
                     std::max(0, tabs_->height() - tabs_->tabRowHeight() - 2 * margin));
    chart_->setGeometry(page);
    tableView_->setGeometry(page);
}

// --- what it shows ----------------------------------------------------------------------------

void RecordingPane::setCrossLine(bool on) {
    tabs_->setCurrentPage(0);
    crossLine_ = on;
    chart_->setCursorActive(on);
    cells_->setCrossLine(on);
}

void RecordingPane::followMouse(int x) {
    if (!crossLine_) {
        cursorHold_ = false;
        return;
    }
    if (const auto row = rowAtPixel(*chart_, shownRows(), x)) {
        showRowDetails(shownRows(), *row, *this);
        cursorHold_ = true;
    }
}

void RecordingPane::showMoment(int row) {
    if (row < 1 || row >= shownRows().gridRowCount()) {
        return;
    }
    if (!crossLine_) {
        setCrossLine(true);
    }
    tabs_->setCurrentPage(0);
    const auto point = static_cast<std::size_t>(row - 1);
    if (point < chart_->pointCount(kSeriesVoltage)) {
        const double x = chart_->pointX(kSeriesVoltage, point);
        QCPAxis* time = chart_->axis(ChartAxis::Bottom);
        if (!time->range().contains(x)) {
            zoom_->panTime(x - time->range().center());
        }
        // The chart draws its cross where the mouse is (and the cells pane
        // follows it there): the mouse moved to the point.
        QCustomPlot* plot = chart_->plot();
        const QPointF at(time->coordToPixel(x), time->axisRect()->center().y());
        QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(plot, &move);
    }
    // The row itself, whatever row the pixel found.
    showRowDetails(shownRows(), row, *this);
    cursorHold_ = true;
}

void RecordingPane::setRangeCursors(bool on) {
    tabs_->setCurrentPage(0);
    range_->setActive(on);
}

void RecordingPane::showRow(int row) {
    showRowDetails(shownRows(), row, *this);
    showRowMeasurements(shownRows(), row, *this);
}

void RecordingPane::retranslate() {
    for (QGroupBox* f : frames_) {
        setPanelCaptions(*f);
    }
    tabs_->setPageCaption(0, kTabGraph.text());
    tabs_->setPageCaption(1, kTabData.text());
    setChartAxisTitles(*chart_);
    range_->retranslate();
}

// --- the cells pane ---------------------------------------------------------------------------

void RecordingPane::setCellCurves(bool on) {
    if (!on && !cells_->shown()) {
        return;
    }
    cells_->setShown(on);
    if (on) {
        // Read from the start: the rows may have changed while it was off.
        cells_->load(std::make_shared<TableRangeRows>(shownRows()));
    }
    showCellSpans();
}

void RecordingPane::keepCellShare(Settings& settings) {
    if (const std::optional<double> stored = settings.cellShare()) {
        cells_->setShare(*stored);
    }
    connect(cells_, &CellPane::shareChanged, this,
            [&settings](double share) { settings.setCellShare(share); });
}

bool RecordingPane::cellCurves() const {
    return cells_->shown();
}

void RecordingPane::setCellMode(CellCurveMode mode) {
    cells_->setMode(mode);
    cells_->setCrossLine(crossLine_);
    showCellSpans();
}

CellCurveMode RecordingPane::cellMode() const {
    return cells_->mode();
}

void RecordingPane::cellRowAppended(int /*row*/) {
    if (cells_->shown()) {
        cells_->catchUp();
    }
}

void RecordingPane::setAlarms(const std::vector<AlarmNote>& alarms) {
    std::vector<AlarmMark> marks;
    for (const AlarmNote& a : alarms) {
        marks.push_back({a.atSeconds < 0 ? 0.0 : static_cast<double>(a.atSeconds), a.kind, a.text});
    }
    alarms_->setAlarms(std::move(marks));
}

void RecordingPane::showCellSpans() {
    const auto& statistics = range_->statistics();
    std::vector<CellSpanValues> spans;
    if (cells_->shown() && statistics) {
        const CellCurves& curves = cells_->curves();
        for (int cell = 0; cell < curves.cellCount(); ++cell) {
            spans.push_back(curves.span(cell, statistics->rowA, statistics->rowB));
        }
    }
    rangePanel_->setCellSpans(std::move(spans), cells_->mode() == CellCurveMode::DifferenceMv);
}

// --- ReadoutView --------------------------------------------------------------------------------

void RecordingPane::setReadout(int index, const QString& text) {
    if (QLabel* l = readout(index)) {
        setSteadyText(l, text);
    }
}

void RecordingPane::setLargeReadout(int index, const QString& text) {
    if (QLabel* l = largeReadout(index)) {
        setFittedText(l, text);
    }
}

void RecordingPane::fitReadouts() {
    const bool gaugeShown = placeLargeReadouts(frames_[1], frames_[4], label2_);
    if (fitted_) {
        fitted_(gaugeShown);
    }
}

PowerGaugeControl& RecordingPane::gauge() {
    return *gauge_;
}

CellPanelView& RecordingPane::cellPanel() {
    return *cellPanel_;
}

}  // namespace cellwatch
