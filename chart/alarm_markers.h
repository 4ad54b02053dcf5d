// The alarms a recording kept, as markers on the chart's time axis: a
// dashed magenta line through the plot at each alarm's elapsed time, with
// its kind at the top of the plot. Alarms without a time (before the first
// row) stand at 0.
//
// Compared recordings (Compare) bring their alarms too: their markers are
// fainter and dotted, and their tooltips name the recording.
//
// The labels never overlap (chart/marker_layout.h): they are laid out
// again at every layout of the plot (a zoom, a pan, a resize, a picture
// drawn at another size) over kLabelRows rows, and where even then they
// are too close, one label tells a cluster ("cell-spread ×4"). Hovering a
// label shows every alarm it tells, with its time and text.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <vector>

class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;

namespace cellwatch {

class ChartView;

struct AlarmMark {
    double seconds = 0;  // elapsed time of the row before the alarm
    QString kind;
    QString text;
};

class AlarmMarkers : public QObject {
    Q_OBJECT
public:
    static constexpr int kLabelRows = 3;
    static constexpr int kComparedAlpha = 130;  // of 255, for compared recordings' markers

    explicit AlarmMarkers(ChartView& chart);
    // The markers' colour.
    static QColor colour();
    ~AlarmMarkers() override;

    // The recording's own markers anew: one per alarm, in the order given.
    void setAlarms(std::vector<AlarmMark> alarms);
    const std::vector<AlarmMark>& alarms() const;
    // The line and the label of marker `index`. The label is hidden while
    // another's tells its alarm.
    QCPItemStraightLine* line(std::size_t index) const;
    QCPItemText* label(std::size_t index) const;

    // A compared recording's markers, named `name`, after those added
    // before; returns its index.
    int addCompared(const QString& name, std::vector<AlarmMark> alarms);
    // Removes one (an index out of range does nothing); those after it
    // move down by one.
    void removeCompared(int index);
    void clearCompared();
    int comparedCount() const { return static_cast<int>(groups_.size()) - 1; }
    QString comparedName(int index) const;
    const std::vector<AlarmMark>& comparedAlarms(int index) const;
    QCPItemStraightLine* comparedLine(int index, std::size_t alarm) const;
    QCPItemText* comparedLabel(int index, std::size_t alarm) const;

    // Every label shown, own and compared, as laid out last.
    std::vector<QCPItemText*> shownLabels() const;
    // What the tooltip says over the plot's pixel `at`: the alarms of the
    // label there, one a line; empty where there is none.
    QString toolTipAt(QPointF at) const;

    // Lays the labels out for the plot's present geometry (done at every
    // layout of the plot; the items' pixel positions are right after it).
    void layOut();

private:
    struct Marker {
        AlarmMark alarm;
        QCPItemStraightLine* line = nullptr;
        QCPItemText* label = nullptr;
    };
    struct Group {
        QString name;  // empty for the recording's own
        std::vector<AlarmMark> alarms;
        std::vector<Marker> markers;
    };

    void makeItems(Group& group, bool compared);
    void removeItems(Group& group);
    void showToolTip(int x, int y);
    QString toolTipLine(const Group& group, const AlarmMark& alarm) const;

    ChartView& chart_;
    QPointer<QCustomPlot> plot_;
    std::vector<Group> groups_;  // [0]: the recording's own
    // The labels shown at the last layout and the markers each tells
    // (group, marker).
    struct Shown {
        QCPItemText* label = nullptr;
        std::vector<std::pair<std::size_t, std::size_t>> told;
    };
    std::vector<Shown> shown_;
    bool tipShown_ = false;
};

}  // namespace cellwatch
