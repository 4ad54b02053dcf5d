#include "chart/pack_history_chart.h"

#include <QResizeEvent>
#include <algorithm>

namespace cellwatch {
namespace {

struct Look {
    QColor color;
    QCPScatterStyle::ScatterShape shape;
    Qt::PenStyle line;
};

const Look kLooks[PackHistoryChart::kHistorySeriesCount] = {
    {QColor(0x1f, 0x77, 0xb4), QCPScatterStyle::ssCircle, Qt::SolidLine},
    {QColor(0x2c, 0xa0, 0x2c), QCPScatterStyle::ssCircle, Qt::SolidLine},
    {QColor(0xff, 0x7f, 0x0e), QCPScatterStyle::ssSquare, Qt::SolidLine},
    {QColor(0xd6, 0x27, 0x28), QCPScatterStyle::ssSquare, Qt::SolidLine},
    {QColor(0x7f, 0x7f, 0x7f), QCPScatterStyle::ssDiamond, Qt::DashLine},
};

// The lower end 0, the upper a little above the largest value (1 when none).
void fitFromZero(QCPAxis* axis, double largest) {
    axis->setRange(0, largest > 0 ? largest * 1.1 : 1);
}

}  // namespace

PackHistoryChart::PackHistoryChart(QWidget* parent) : QCustomPlot(parent) {
    setObjectName(QStringLiteral("packHistory"));
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("yyyy-MM-dd"));
    xAxis->setTicker(ticker);
    yAxis2->setVisible(true);
    spreadAxis_ = axisRect()->addAxis(QCPAxis::atRight);
    for (int s = 0; s < kHistorySeriesCount; ++s) {
        const bool energy = s == kChargeEnergy || s == kDischargeEnergy;
        QCPAxis* valueAxis = s == kSpread ? spreadAxis_ : energy ? yAxis2 : yAxis;
        QCPGraph* g = addGraph(xAxis, valueAxis);
        const Look& look = kLooks[s];
        g->setPen(QPen(look.color, 1.5, look.line));
        g->setLineStyle(QCPGraph::lsLine);
        g->setScatterStyle(QCPScatterStyle(look.shape, look.color, look.color, 6));
    }
    legend->setVisible(true);
    QFont small = legend->font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1));
    legend->setFont(small);
    // The legend in a row of its own above the plot, where it covers no
    // point: out of the axis rectangle's inset, into the layout's first row.
    axisRect()->insetLayout()->take(legend);
    axisRect()->insetLayout()->simplify();
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    plotLayout()->setRowSpacing(0);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setMargins(QMargins(4, 2, 4, 0));
    retranslate();
    setMinimumHeight(180);
}

void PackHistoryChart::resizeEvent(QResizeEvent* event) {
    fitLegend(event->size().width());
    QCustomPlot::resizeEvent(event);
}

void PackHistoryChart::fitLegend(int width) {
    // As many entries to a row as the width holds (all of them when it can).
    // The grid may hold empty cells after a wrap: only entries count.
    int widest = 1;
    int entries = 0;
    for (int i = 0; i < legend->itemCount(); ++i) {
        if (const QCPAbstractLegendItem* item = legend->item(i)) {
            widest = std::max(widest, item->minimumOuterSizeHint().width());
            ++entries;
        }
    }
    const int perRow = std::max(1, (width - 8) / (widest + legend->columnSpacing()));
    const int wrap = perRow >= entries ? 0 : perRow;
    if (legend->wrap() != wrap) {
        legend->setWrap(wrap);
        legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    }
}

void PackHistoryChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QCustomPlot::changeEvent(event);
}

void PackHistoryChart::retranslate() {
    series(kChargeCapacity)->setName(tr("Charge capacity (mAh)"));
    series(kChargeEnergy)->setName(tr("Charge energy (Wh)"));
    series(kDischargeCapacity)->setName(tr("Discharge capacity (mAh)"));
    series(kDischargeEnergy)->setName(tr("Discharge energy (Wh)"));
    series(kSpread)->setName(tr("Largest spread (V)"));
    xAxis->setLabel(tr("Date"));
    yAxis->setLabel(QStringLiteral("mAh"));
    yAxis2->setLabel(QStringLiteral("Wh"));
    spreadAxis_->setLabel(tr("Spread (V)"));
    fitLegend(width());
    replot();
}

void PackHistoryChart::setPoints(const std::vector<PackHistoryPoint>& points) {
    QList<double> keys[kHistorySeriesCount];
    QList<double> values[kHistorySeriesCount];
    double largestMah = 0;
    double largestWh = 0;
    double largestSpread = 0;
    double first = 0;
    double last = 0;
    bool any = false;
    const auto add = [&](int s, double key, double value) {
        keys[s].append(key);
        values[s].append(value);
    };
    for (const PackHistoryPoint& p : points) {
        if (!p.date.isValid()) {
            continue;
        }
        const double key = QCPAxisTickerDateTime::dateTimeToKey(p.date);
        first = any ? std::min(first, key) : key;
        last = any ? std::max(last, key) : key;
        any = true;
        if (p.kind == PackHistoryPoint::Kind::Charge) {
            add(kChargeCapacity, key, p.capacityMah);
            add(kChargeEnergy, key, p.energyWh);
        } else if (p.kind == PackHistoryPoint::Kind::Discharge) {
            add(kDischargeCapacity, key, p.capacityMah);
            add(kDischargeEnergy, key, p.energyWh);
        }
        if (p.kind != PackHistoryPoint::Kind::Mixed) {
            largestMah = std::max(largestMah, p.capacityMah);
            largestWh = std::max(largestWh, p.energyWh);
        }
        add(kSpread, key, p.cellSpreadMaxV);
        largestSpread = std::max(largestSpread, p.cellSpreadMaxV);
    }
    for (int s = 0; s < kHistorySeriesCount; ++s) {
        graph(s)->setData(keys[s], values[s]);
    }
    // A day either side, so that a single point stands clear of the edges.
    constexpr double kDay = 86400;
    xAxis->setRange(any ? first - kDay : 0, any ? last + kDay : kDay);
    fitFromZero(yAxis, largestMah);
    fitFromZero(yAxis2, largestWh);
    fitFromZero(spreadAxis_, largestSpread);
    fitLegend(width());
    replot();
}

void PackHistoryChart::setHistory(const std::vector<PackHistoryEntry>& history) {
    std::vector<PackHistoryPoint> points;
    points.reserve(history.size());
    for (const PackHistoryEntry& e : history) {
        // A charge's and a discharge's figures from their phases (the
        // counter's own increments), both of a recording that has both.
        const bool phased =
            e.phases && (e.phases->chargePhases > 0 || e.phases->dischargePhases > 0);
        if (phased && e.phases->chargePhases > 0) {
            points.push_back({e.start, PackHistoryPoint::Kind::Charge, e.phases->chargeMah,
                              e.phases->chargeWh, e.cellSpreadMaxV});
        }
        if (phased && e.phases->dischargePhases > 0) {
            points.push_back({e.start, PackHistoryPoint::Kind::Discharge, e.phases->dischargeMah,
                              e.phases->dischargeWh, e.cellSpreadMaxV});
        }
        if (!phased) {
            const auto kind = e.kind == RecordingKind::Charge ? PackHistoryPoint::Kind::Charge
                              : e.kind == RecordingKind::Discharge
                                  ? PackHistoryPoint::Kind::Discharge
                                  : PackHistoryPoint::Kind::Mixed;
            points.push_back({e.start, kind, e.capacityMah, e.energyWh, e.cellSpreadMaxV});
        }
    }
    setPoints(points);
}

}  // namespace cellwatch
