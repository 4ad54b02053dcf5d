#include "chart/alarm_markers.h"

#include <qcustomplot.h>

#include "chart/chart_axes.h"
#include "chart/chart_view.h"

namespace cellwatch {
namespace {

// Magenta: as far from every cell's colour and the four curves' as a
// colour bright enough for the dark panel gets.
const QColor kAlarmColour(255, 0, 255);

}  // namespace

QColor AlarmMarkers::colour() {
    return kAlarmColour;
}

AlarmMarkers::AlarmMarkers(ChartView& chart) : QObject(&chart), chart_(chart) {}

AlarmMarkers::~AlarmMarkers() = default;

QCPItemStraightLine* AlarmMarkers::line(std::size_t index) const {
    return index < lines_.size() ? lines_[index] : nullptr;
}

QCPItemText* AlarmMarkers::label(std::size_t index) const {
    return index < labels_.size() ? labels_[index] : nullptr;
}

void AlarmMarkers::clearItems() {
    QCustomPlot* plot = chart_.plot();
    for (QCPItemStraightLine* l : lines_) {
        plot->removeItem(l);
    }
    for (QCPItemText* t : labels_) {
        plot->removeItem(t);
    }
    lines_.clear();
    labels_.clear();
}

void AlarmMarkers::setAlarms(std::vector<AlarmMark> alarms) {
    clearItems();
    alarms_ = std::move(alarms);
    QCustomPlot* plot = chart_.plot();
    QCPAxis* time = chart_.axis(ChartAxis::Bottom);
    QCPAxis* volts = chart_.axis(ChartAxis::Left);
    QPen pen(kAlarmColour, 1, Qt::DashLine);
    for (const AlarmMark& alarm : alarms_) {
        const double x = alarm.seconds / kSecondsPerDay;
        auto* l = new QCPItemStraightLine(plot);
        l->setPen(pen);
        l->setSelectable(false);
        l->setClipAxisRect(time->axisRect());
        for (QCPItemPosition* p : {l->point1, l->point2}) {
            p->setTypeX(QCPItemPosition::ptPlotCoords);
            p->setTypeY(QCPItemPosition::ptAbsolute);
            p->setAxes(time, volts);
        }
        l->point1->setCoords(x, 0);
        l->point2->setCoords(x, 1);
        lines_.push_back(l);
        auto* t = new QCPItemText(plot);
        t->setSelectable(false);
        t->setColor(kAlarmColour);
        t->setText(alarm.kind);
        t->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        t->setClipAxisRect(time->axisRect());
        t->position->setTypeX(QCPItemPosition::ptPlotCoords);
        t->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        t->position->setAxes(time, volts);
        t->position->setAxisRect(time->axisRect());
        t->position->setCoords(x, 0);
        labels_.push_back(t);
    }
    chart_.requestFullReplot();
}

}  // namespace cellwatch
