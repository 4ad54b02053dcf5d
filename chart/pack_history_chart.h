// A battery pack's history as a small chart: one point per recording at its
// date, the capacity (mAh, left axis) and energy (Wh, right axis) of each
// charge and of each discharge as four series, and the largest cell spread
// of every recording (V) on an axis of its own; a legend in one row above
// the plot (covering none of its points) names them.
#pragma once

#include <qcustomplot.h>
#include <QDateTime>
#include <vector>

#include "packs/pack_history.h"

namespace cellwatch {

struct PackHistoryPoint {
    enum class Kind { Charge, Discharge, Mixed };
    QDateTime date;
    Kind kind = Kind::Mixed;
    double capacityMah = 0;
    double energyWh = 0;
    double cellSpreadMaxV = 0;
};

class PackHistoryChart final : public QCustomPlot {
    Q_OBJECT
public:
    enum Series {
        kChargeCapacity,
        kChargeEnergy,
        kDischargeCapacity,
        kDischargeEnergy,
        kSpread,
        kHistorySeriesCount
    };

    explicit PackHistoryChart(QWidget* parent = nullptr);

    // Points without a valid date are left out; the axes take in the rest.
    void setPoints(const std::vector<PackHistoryPoint>& points);
    // A pack's recordings as points: a charge's and a discharge's figures
    // from their phases (the counter's own increments), both of a recording
    // that has both; a recording without phases by its summary.
    void setHistory(const std::vector<PackHistoryEntry>& history);

    QCPGraph* series(Series s) const { return graph(static_cast<int>(s)); }
    QCPAxis* spreadAxis() const { return spreadAxis_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    // The legend's entries in as few rows as `width` allows.
    void fitLegend(int width);

    QCPAxis* spreadAxis_ = nullptr;
};

}  // namespace cellwatch
