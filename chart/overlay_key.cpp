#include "chart/overlay_key.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "chart/chart_view.h"

namespace cellwatch {

QCPLegend* addOverlayKey(ChartView& chart, const QString& layer, int iconWidth) {
    QCustomPlot* plot = chart.plot();
    if (plot->layer(layer) == nullptr) {
        plot->addLayer(layer, plot->layer(QStringLiteral("main")), QCustomPlot::limBelow);
    }
    auto* key = new QCPLegend;
    chart.axis(ChartAxis::Left)
        ->axisRect()
        ->insetLayout()
        ->addElement(key, Qt::AlignTop | Qt::AlignLeft);
    key->setLayer(QStringLiteral("legend"));
    key->setBrush(QColor(0, 20, 50, 200));
    key->setBorderPen(QPen(QColor(192, 192, 192), 1));
    key->setTextColor(Qt::white);
    key->setIconSize(iconWidth, 10);
    key->setSelectableParts(QCPLegend::spNone);
    key->setVisible(false);
    return key;
}

void removeOverlayKey(QCPLegend* key) {
    if (auto* inset = qobject_cast<QCPLayoutInset*>(key->layout())) {
        inset->remove(key);
    }
}

void widenRange(AxisRange& range, bool& any, double value) {
    if (std::isnan(value)) {
        return;
    }
    range = any ? AxisRange{std::min(range.min, value), std::max(range.max, value)}
                : AxisRange{value, value};
    any = true;
}

}  // namespace cellwatch
