#include "chart/alarm_markers.h"

#include <qcustomplot.h>
#include <QFontMetrics>
#include <QToolTip>
#include <cmath>
#include <limits>

#include "chart/chart_axes.h"
#include "chart/chart_view.h"
#include "chart/marker_layout.h"

namespace cellwatch {
namespace {

// Magenta: as far from every cell's colour and the four curves' as a
// colour bright enough for the dark panel gets.
const QColor kAlarmColour(255, 0, 255);

QColor markerColour(bool compared) {
    QColor colour = kAlarmColour;
    if (compared) {
        colour.setAlpha(AlarmMarkers::kComparedAlpha);
    }
    return colour;
}

QString elapsedText(double seconds) {
    const auto s = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A label's width as the label item itself measures its text.
double markerTextWidth(const QCPItemText& label, const QString& text) {
    const QRect box = QFontMetrics(label.font())
                          .boundingRect(0, 0, 0, 0, Qt::TextDontClip | label.textAlignment(), text);
    return box.width() + label.padding().left() + label.padding().right();
}

}  // namespace

QColor AlarmMarkers::colour() {
    return kAlarmColour;
}

AlarmMarkers::AlarmMarkers(ChartView& chart)
    : QObject(&chart), chart_(chart), plot_(chart.plot()), groups_(1) {
    connect(chart.plot(), &QCustomPlot::afterLayout, this, &AlarmMarkers::layOut);
    connect(&chart, &ChartView::mouseMoved, this,
            [this](Qt::KeyboardModifiers, int x, int y) { showToolTip(x, y); });
}

AlarmMarkers::~AlarmMarkers() {
    if (plot_.isNull()) {
        return;  // the items went with the plot
    }
    for (Group& group : groups_) {
        removeItems(group);
    }
}

const std::vector<AlarmMark>& AlarmMarkers::alarms() const {
    return groups_.front().alarms;
}

QCPItemStraightLine* AlarmMarkers::line(std::size_t index) const {
    const std::vector<Marker>& own = groups_.front().markers;
    return index < own.size() ? own[index].line : nullptr;
}

QCPItemText* AlarmMarkers::label(std::size_t index) const {
    const std::vector<Marker>& own = groups_.front().markers;
    return index < own.size() ? own[index].label : nullptr;
}

QString AlarmMarkers::comparedName(int index) const {
    return index >= 0 && index < comparedCount() ? groups_[static_cast<std::size_t>(index) + 1].name
                                                 : QString();
}

const std::vector<AlarmMark>& AlarmMarkers::comparedAlarms(int index) const {
    static const std::vector<AlarmMark> none;
    return index >= 0 && index < comparedCount()
               ? groups_[static_cast<std::size_t>(index) + 1].alarms
               : none;
}

QCPItemStraightLine* AlarmMarkers::comparedLine(int index, std::size_t alarm) const {
    if (index < 0 || index >= comparedCount()) {
        return nullptr;
    }
    const std::vector<Marker>& m = groups_[static_cast<std::size_t>(index) + 1].markers;
    return alarm < m.size() ? m[alarm].line : nullptr;
}

QCPItemText* AlarmMarkers::comparedLabel(int index, std::size_t alarm) const {
    if (index < 0 || index >= comparedCount()) {
        return nullptr;
    }
    const std::vector<Marker>& m = groups_[static_cast<std::size_t>(index) + 1].markers;
    return alarm < m.size() ? m[alarm].label : nullptr;
}

void AlarmMarkers::removeItems(Group& group) {
    for (Marker& m : group.markers) {
        plot_->removeItem(m.line);
        plot_->removeItem(m.label);
    }
    group.markers.clear();
}

void AlarmMarkers::makeItems(Group& group, bool compared) {
    QCustomPlot* plot = chart_.plot();
    QCPAxis* time = chart_.axis(ChartAxis::Bottom);
    QCPAxis* volts = chart_.axis(ChartAxis::Left);
    const QColor colour = markerColour(compared);
    const QPen pen(colour, 1, compared ? Qt::DotLine : Qt::DashLine);
    for (const AlarmMark& alarm : group.alarms) {
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
        auto* t = new QCPItemText(plot);
        t->setSelectable(false);
        t->setColor(colour);
        t->setText(alarm.kind);
        t->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        t->setClipAxisRect(time->axisRect());
        t->position->setTypeX(QCPItemPosition::ptPlotCoords);
        t->position->setTypeY(QCPItemPosition::ptAbsolute);
        t->position->setAxes(time, volts);
        t->position->setCoords(x, time->axisRect()->top());
        group.markers.push_back({alarm, l, t});
    }
}

void AlarmMarkers::setAlarms(std::vector<AlarmMark> alarms) {
    Group& own = groups_.front();
    removeItems(own);
    own.alarms = std::move(alarms);
    makeItems(own, false);
    layOut();
    chart_.requestFullReplot();
}

int AlarmMarkers::addCompared(const QString& name, std::vector<AlarmMark> alarms) {
    Group group;
    group.name = name;
    group.alarms = std::move(alarms);
    makeItems(group, true);
    groups_.push_back(std::move(group));
    layOut();
    chart_.requestFullReplot();
    return comparedCount() - 1;
}

void AlarmMarkers::removeCompared(int index) {
    if (index < 0 || index >= comparedCount()) {
        return;
    }
    const auto at = groups_.begin() + index + 1;
    removeItems(*at);
    groups_.erase(at);
    layOut();
    chart_.requestFullReplot();
}

void AlarmMarkers::clearCompared() {
    while (comparedCount() > 0) {
        removeCompared(comparedCount() - 1);
    }
}

void AlarmMarkers::layOut() {
    shown_.clear();
    QCPAxis* time = chart_.axis(ChartAxis::Bottom);
    const QRect rect = time->axisRect()->rect();
    std::vector<MarkerSpot> spots;
    std::vector<std::pair<std::size_t, std::size_t>> where;  // (group, marker) of each spot
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        for (std::size_t m = 0; m < groups_[g].markers.size(); ++m) {
            const Marker& marker = groups_[g].markers[m];
            marker.label->setVisible(false);
            const double x = time->coordToPixel(marker.alarm.seconds / kSecondsPerDay);
            // The axis ends at left + width (QRect::right() is a pixel short).
            if (std::isfinite(x) && x >= rect.left() && x <= rect.left() + rect.width()) {
                spots.push_back({x, marker.alarm.kind});
                where.emplace_back(g, m);
            }
        }
    }
    if (spots.empty()) {
        return;
    }
    const QCPItemText& sample = *groups_[where.front().first].markers[where.front().second].label;
    const double rowHeight = QFontMetrics(sample.font()).height() + 2;
    MarkerLayoutRules rules;
    rules.rows = kLabelRows;
    // Rows a legend in the plot's top left corner covers start after it.
    QCPLayoutInset* inset = time->axisRect()->insetLayout();
    for (int i = 0; i < inset->elementCount(); ++i) {
        auto* legend = qobject_cast<QCPLegend*>(inset->elementAt(i));
        if (legend == nullptr || !legend->visible() || legend->itemCount() == 0) {
            continue;
        }
        const QRect box = legend->outerRect();
        rules.takenUpTo.resize(static_cast<std::size_t>(kLabelRows),
                               -std::numeric_limits<double>::infinity());
        for (int row = 0; row < kLabelRows; ++row) {
            const double top = rect.top() + 2 + row * rowHeight;
            if (top < box.bottom() && top + rowHeight > box.top()) {
                double& taken = rules.takenUpTo[static_cast<std::size_t>(row)];
                taken = std::max(taken, static_cast<double>(box.right()));
            }
        }
    }
    const std::vector<MarkerLabel> labels = layOutMarkerLabels(
        spots, [&](const QString& text) { return markerTextWidth(sample, text); }, rules);
    for (const MarkerLabel& placed : labels) {
        Shown shown;
        bool anyOwn = false;
        for (const std::size_t member : placed.members) {
            shown.told.push_back(where[member]);
            anyOwn = anyOwn || where[member].first == 0;
        }
        const auto [g, m] = shown.told.front();
        QCPItemText* label = groups_[g].markers[m].label;
        label->setText(placed.text);
        label->setColor(markerColour(!anyOwn));
        label->position->setCoords(time->pixelToCoord(placed.left),
                                   rect.top() + 2 + placed.row * rowHeight);
        label->setVisible(true);
        shown.label = label;
        shown_.push_back(std::move(shown));
    }
}

std::vector<QCPItemText*> AlarmMarkers::shownLabels() const {
    std::vector<QCPItemText*> labels;
    for (const Shown& s : shown_) {
        labels.push_back(s.label);
    }
    return labels;
}

QString AlarmMarkers::toolTipLine(const Group& group, const AlarmMark& alarm) const {
    QString line = elapsedText(alarm.seconds) + QStringLiteral("  ") + alarm.kind;
    if (!alarm.text.isEmpty()) {
        line += QStringLiteral(": ") + alarm.text;
    }
    return group.name.isEmpty() ? line : group.name + QStringLiteral(" · ") + line;
}

QString AlarmMarkers::toolTipAt(QPointF at) const {
    for (const Shown& s : shown_) {
        const QRectF box(s.label->topLeft->pixelPosition(), s.label->bottomRight->pixelPosition());
        if (!box.contains(at)) {
            continue;
        }
        QStringList lines;
        for (const auto& [g, m] : s.told) {
            lines << toolTipLine(groups_[g], groups_[g].markers[m].alarm);
        }
        return lines.join(QLatin1Char('\n'));
    }
    return {};
}

void AlarmMarkers::showToolTip(int x, int y) {
    const QString tip = toolTipAt(QPointF(x, y));
    if (!tip.isEmpty()) {
        QToolTip::showText(plot_->mapToGlobal(QPoint(x, y)), tip, plot_);
        tipShown_ = true;
    } else if (tipShown_) {
        QToolTip::hideText();
        tipShown_ = false;
    }
}

}  // namespace cellwatch
