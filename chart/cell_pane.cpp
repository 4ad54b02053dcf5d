#include "chart/cell_pane.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "analysis/range_stats.h"
#include "chart/cell_graph.h"
#include "chart/cell_key.h"
#include "chart/cell_splitter.h"
#include "chart/chart_axes.h"
#include "chart/chart_overlays.h"
#include "chart/chart_view.h"

namespace cellwatch {
namespace {

const QColor kCellPaneSilver(192, 192, 192);
// Compared recordings' cells are drawn here, under the pane's own.
const QString kCellOverlayLayer = QStringLiteral("cellOverlays");
// The gap between the plot and the pane, where a drag moves the split.
constexpr int kSplitterGap = 8;
// The pane keeps room for a few lines of its labels.
constexpr int kMinPaneLines = 4;

// On the dark panel RGB(0, 20, 50) and on white paper: any two of a set are
// at least 30 apart in CIE L*a*b* (a colour difference the eye tells at a
// glance on a thin line), and each at least 40 from its background.
const std::array<QColor, CellCurves::kCells> kCellColours = {
    QColor(255, 85, 85),   QColor(255, 170, 30),  QColor(250, 240, 80),  QColor(110, 230, 90),
    QColor(40, 220, 230),  QColor(100, 150, 255), QColor(200, 130, 255), QColor(255, 120, 200),
    QColor(245, 245, 245), QColor(200, 160, 110), QColor(150, 255, 200), QColor(150, 150, 160),
    QColor(105, 150, 60),  QColor(240, 195, 255), QColor(195, 105, 120), QColor(255, 255, 180),
};
const std::array<QColor, CellCurves::kCells> kLightCellColours = {
    QColor(210, 20, 30),  QColor(235, 120, 0), QColor(150, 130, 0),  QColor(20, 150, 40),
    QColor(0, 160, 180),  QColor(20, 60, 210), QColor(160, 40, 200), QColor(230, 70, 170),
    QColor(20, 20, 20),   QColor(130, 70, 30), QColor(100, 0, 70),   QColor(140, 140, 150),
    QColor(15, 120, 210), QColor(0, 60, 0),    QColor(0, 0, 255),    QColor(0, 0, 90),
};

QString cellAxisTitle(CellCurveMode mode) {
    return mode == CellCurveMode::DifferenceMv ? CellPane::tr("Cell - mean(mV)")
                                               : CellPane::tr("Cells(V)");
}

}  // namespace

CellPane::CellPane(ChartView& chart)
    : QObject(&chart), chart_(chart), curves_(std::make_unique<CellCurves>()) {
    connect(&chart_, &ChartView::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int) { followMouse(x); });
    splitter_ = new CellSplitter(chart_, *this);
    connect(splitter_, &CellSplitter::dragged, this, &CellPane::shareChanged);
    chart_.installEventFilter(this);
}

CellPane::~CellPane() = default;

QColor CellPane::cellColour(int cell, bool light) {
    const auto index = static_cast<std::size_t>(std::clamp(cell, 0, kCells - 1));
    return light ? kLightCellColours[index] : kCellColours[index];
}

void CellPane::setLightTheme(bool light) {
    light_ = light;
    if (shown()) {
        repaintCells();
        key_->restyle();
        chart_.requestFullReplot();
    }
}

void CellPane::repaintCells() {
    for (int cell = 0; cell < kCells; ++cell) {
        if (CellGraph* g = graphs_[static_cast<std::size_t>(cell)]) {
            g->setPen(QPen(cellColour(cell, light_), 1));
            g->setVisible(!cellHidden(cell));
        }
        for (Overlay& overlay : overlays_) {
            if (CellGraph* g = overlay.graphs[static_cast<std::size_t>(cell)]) {
                QPen pen = g->pen();
                QColor colour = cellColour(cell, light_);
                colour.setAlpha(ChartOverlays::kOverlayAlpha);
                pen.setColor(colour);
                g->setPen(pen);
                g->setVisible(!cellHidden(cell));
            }
        }
    }
}

void CellPane::setCellHidden(int cell, bool hidden) {
    if (cell < 0 || cell >= kCells || cellHidden(cell) == hidden) {
        return;
    }
    hidden_[static_cast<std::size_t>(cell)] = hidden;
    if (shown()) {
        repaintCells();
        fitValueAxis();
        chart_.requestFullReplot();
    }
    emit cellHiddenChanged(cell, hidden);
}

bool CellPane::cellHidden(int cell) const {
    return cell >= 0 && cell < kCells && hidden_[static_cast<std::size_t>(cell)];
}

void CellPane::setShare(double share) {
    share_ = std::clamp(std::isfinite(share) ? share : kDefaultShare, kMinShare, kMaxShare);
    if (shown()) {
        applyShare();
        chart_.requestFullReplot();
    }
}

void CellPane::applyShare() {
    QCPLayoutGrid* layout = chart_.plot()->plotLayout();
    layout->setRowStretchFactor(cellRow_ - 1, 1.0 - share_);
    layout->setRowStretchFactor(cellRow_, share_);
}

bool CellPane::onSplitter(double y) const {
    if (!shown()) {
        return false;
    }
    const int top = chart_.axis(ChartAxis::Bottom)->axisRect()->outerRect().bottom();
    const int bottom = rect_->rect().top();
    return y >= top - 2 && y <= std::max(bottom, top + kSplitterGap) + 2;
}

void CellPane::updateKey() {
    if (key_) {
        key_->setCells(curves_->cellCount());
    }
}

CellGraph* CellPane::graph(int cell) const {
    return cell >= 0 && cell < kCells ? graphs_[static_cast<std::size_t>(cell)] : nullptr;
}

void CellPane::setShown(bool on) {
    if (on == shown()) {
        return;
    }
    if (on) {
        build();
    } else {
        tearDown();
    }
    chart_.requestFullReplot();
}

void CellPane::build() {
    QCustomPlot* plot = chart_.plot();
    QCPLayoutGrid* layout = plot->plotLayout();
    rect_ = new QCPAxisRect(plot, true);
    rect_->setBackground(Qt::NoBrush);
    rect_->axis(QCPAxis::atTop)->setVisible(false);
    rect_->axis(QCPAxis::atRight)->setVisible(false);
    QCPAxis* time = rect_->axis(QCPAxis::atBottom);
    styleAxis(time, kCellPaneSilver, Qt::white, QString(), elapsedTicker());
    QCPAxis* value = rect_->axis(QCPAxis::atLeft);
    styleAxis(value, kCellPaneSilver, Qt::white, cellAxisTitle(mode()),
              QSharedPointer<QCPAxisTicker>::create());
    // Room above for the splitter's gap, and for a few lines of labels.
    rect_->setMinimumMargins(QMargins(0, kSplitterGap, 0, 0));
    rect_->setMinimumSize(0, kMinPaneLines * QFontMetrics(value->labelFont()).height());
    cellRow_ = layout->rowCount();
    layout->addElement(cellRow_, 0, rect_);
    applyShare();
    // Left and right edges in line with the plot's.
    margins_ = new QCPMarginGroup(plot);
    chart_.axis(ChartAxis::Bottom)
        ->axisRect()
        ->setMarginGroup(QCP::msLeft | QCP::msRight, margins_);
    rect_->setMarginGroup(QCP::msLeft | QCP::msRight, margins_);
    time->setRange(chart_.axis(ChartAxis::Bottom)->range());
    connect(chart_.axis(ChartAxis::Bottom), qOverload<const QCPRange&>(&QCPAxis::rangeChanged),
            time, qOverload<const QCPRange&>(&QCPAxis::setRange));
    if (plot->layer(kCellOverlayLayer) == nullptr) {
        plot->addLayer(kCellOverlayLayer, plot->layer(QStringLiteral("main")),
                       QCustomPlot::limBelow);
    }
    for (Overlay& overlay : overlays_) {
        makeOverlayGraphs(overlay);
    }
    for (int cell = 0; cell < kCells; ++cell) {
        graphs_[static_cast<std::size_t>(cell)] = new CellGraph(rect_, *curves_, cell);
    }
    repaintCells();
    key_ = std::make_unique<CellKey>(
        rect_,
        CellKey::Look{[this](int cell) { return cellColour(cell, light_); },
                      [this](int cell) { return cellHidden(cell); }, [this] { return light_; }});
    updateKey();
    cross_ = new QCPItemStraightLine(plot);
    cross_->setLayer(QStringLiteral("overlay"));
    cross_->setPen(QPen(kCellPaneSilver, 1));
    cross_->setSelectable(false);
    cross_->setClipAxisRect(rect_);
    for (QCPItemPosition* p : {cross_->point1, cross_->point2}) {
        p->setType(QCPItemPosition::ptPlotCoords);
        p->setAxes(time, value);
        p->setAxisRect(rect_);
    }
    cross_->setVisible(false);
    fitValueAxis();
}

void CellPane::tearDown() {
    QCustomPlot* plot = chart_.plot();
    plot->removeItem(cross_);
    cross_ = nullptr;
    for (CellGraph*& g : graphs_) {
        plot->removeGraph(g);
        g = nullptr;
    }
    for (Overlay& overlay : overlays_) {
        removeOverlayGraphs(overlay);
    }
    chart_.axis(ChartAxis::Bottom)->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, nullptr);
    splitter_->reset();
    key_.reset();  // its legend goes with the axis rect
    QCPLayoutGrid* layout = plot->plotLayout();
    layout->remove(rect_);  // deletes it, its axes and the key's legend
    rect_ = nullptr;
    layout->simplify();
    layout->setRowStretchFactor(layout->rowCount() - 1, 1.0);
    delete margins_;
    margins_ = nullptr;
}

void CellPane::setMode(CellCurveMode mode) {
    if (mode == curves_->mode()) {
        return;
    }
    curves_ = std::make_unique<CellCurves>(mode);
    for (Overlay& overlay : overlays_) {
        overlay.curves = std::make_unique<CellCurves>(mode);
    }
    // The graphs hold a reference to the curves: make them anew.
    if (shown()) {
        tearDown();
        build();
    }
    reloadAll();
}

void CellPane::load(std::shared_ptr<RangeRows> rows) {
    source_ = std::move(rows);
    reloadAll();
}

void CellPane::reloadAll() {
    curves_->clear();
    for (Overlay& overlay : overlays_) {
        overlay.curves->clear();
        readRows(*overlay.source, *overlay.curves);
    }
    catchUp();
    if (shown()) {
        updateKey();
        fitValueAxis();
        chart_.requestFullReplot();
    }
}

void CellPane::readRows(RangeRows& rows, CellCurves& curves) {
    const std::size_t count = rows.rowCount();
    for (std::size_t i = curves.size(); i < count; ++i) {
        const RangeRowNumbers r = rows.numbers(i);
        curves.appendRow(r.timed ? r.seconds / kSecondsPerDay : std::nan(""), r);
    }
}

void CellPane::makeOverlayGraphs(Overlay& overlay) {
    for (int cell = 0; cell < kCells; ++cell) {
        auto* g = new CellGraph(rect_, *overlay.curves, cell);
        g->setLayer(kCellOverlayLayer);
        QColor colour = cellColour(cell, light_);
        colour.setAlpha(ChartOverlays::kOverlayAlpha);
        QPen pen(colour, ChartOverlays::kOverlayPenWidth);
        if (!overlay.dashes.isEmpty()) {
            pen.setDashPattern(overlay.dashes);
        }
        g->setPen(pen);
        g->setVisible(!cellHidden(cell));
        overlay.graphs[static_cast<std::size_t>(cell)] = g;
    }
}

void CellPane::removeOverlayGraphs(Overlay& overlay) {
    for (CellGraph*& g : overlay.graphs) {
        if (g != nullptr) {
            chart_.plot()->removeGraph(g);
            g = nullptr;
        }
    }
}

int CellPane::addOverlay(std::shared_ptr<RangeRows> rows, const QList<qreal>& dashes) {
    Overlay overlay;
    overlay.source = std::move(rows);
    overlay.curves = std::make_unique<CellCurves>(mode());
    overlay.dashes = dashes;
    readRows(*overlay.source, *overlay.curves);
    if (shown()) {
        makeOverlayGraphs(overlay);
    }
    overlays_.push_back(std::move(overlay));
    if (shown()) {
        fitValueAxis();
        chart_.requestFullReplot();
    }
    return overlayCount() - 1;
}

void CellPane::removeOverlay(int index) {
    if (index < 0 || index >= overlayCount()) {
        return;
    }
    const auto at = overlays_.begin() + index;
    removeOverlayGraphs(*at);
    overlays_.erase(at);
    if (shown()) {
        fitValueAxis();
        chart_.requestFullReplot();
    }
}

void CellPane::clearOverlays() {
    while (overlayCount() > 0) {
        removeOverlay(overlayCount() - 1);
    }
}

const CellCurves& CellPane::overlayCurves(int index) const {
    return *overlays_.at(static_cast<std::size_t>(index)).curves;
}

CellGraph* CellPane::overlayGraph(int index, int cell) const {
    if (index < 0 || index >= overlayCount() || cell < 0 || cell >= kCells) {
        return nullptr;
    }
    return overlays_[static_cast<std::size_t>(index)].graphs[static_cast<std::size_t>(cell)];
}

void CellPane::catchUp() {
    if (!source_) {
        return;
    }
    const std::size_t count = source_->rowCount();
    if (count < curves_->size()) {
        curves_->clear();  // the rows were cleared: a new recording
    }
    const std::size_t before = curves_->size();
    for (std::size_t i = before; i < count; ++i) {
        const RangeRowNumbers r = source_->numbers(i);
        curves_->appendRow(r.timed ? r.seconds / kSecondsPerDay : std::nan(""), r);
    }
    if (shown() && count != before) {
        updateKey();
        fitValueAxis();
        chart_.requestFullReplot();
    }
}

void CellPane::fitValueAxis() {
    if (!shown()) {
        return;
    }
    double low = 0;
    double high = 0;
    bool any = false;
    std::vector<const CellCurves*> all{curves_.get()};
    for (const Overlay& overlay : overlays_) {
        all.push_back(overlay.curves.get());
    }
    for (const CellCurves* curves : all) {
        const std::size_t rows = curves->size();
        for (int cell = 0; rows > 0 && cell < curves->cellCount(); ++cell) {
            if (cellHidden(cell)) {
                continue;
            }
            const CellSpanValues s = curves->span(cell, 0, rows - 1);
            if (!s.present) {
                continue;
            }
            low = any ? std::min(low, s.min) : s.min;
            high = any ? std::max(high, s.max) : s.max;
            any = true;
        }
    }
    QCPAxis* value = rect_->axis(QCPAxis::atLeft);
    value->setLabel(cellAxisTitle(mode()));
    if (mode() == CellCurveMode::DifferenceMv) {
        // Symmetric about 0, at least ±10 mV.
        const double reach = std::max({10.0, std::abs(low), std::abs(high)}) * 1.1;
        value->setRange(-reach, reach);
        return;
    }
    if (!any) {
        value->setRange(0, 5);
        return;
    }
    const double pad = std::max(0.02, (high - low) * 0.05);
    value->setRange(low - pad, high + pad);
}

void CellPane::setCrossLine(bool on) {
    crossOn_ = on;
    if (cross_ != nullptr) {
        cross_->setVisible(false);  // until the mouse comes
        chart_.requestFullReplot();
    }
}

void CellPane::followMouse(int x) {
    if (cross_ == nullptr || !crossOn_) {
        return;
    }
    const double at = chart_.xAtPixel(x);
    cross_->point1->setCoords(at, 0);
    cross_->point2->setCoords(at, 1);
    cross_->setVisible(true);
    cross_->layer()->replot();
}

bool CellPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void CellPane::retranslate() {
    if (rect_ != nullptr) {
        rect_->axis(QCPAxis::atLeft)->setLabel(cellAxisTitle(mode()));
        chart_.requestFullReplot();
    }
}

}  // namespace cellwatch
