// The alarms a recording kept, as markers on the chart's time axis: a
// dashed magenta line through the plot (and the cells pane, when shown) at
// each alarm's elapsed time, with its kind at the top of the plot. Alarms
// without a time (before the first row) stand at 0.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QCPItemStraightLine;
class QCPItemText;

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
    explicit AlarmMarkers(ChartView& chart);
    // The markers' colour.
    static QColor colour();
    ~AlarmMarkers() override;

    // The markers anew: one per alarm, in the order given.
    void setAlarms(std::vector<AlarmMark> alarms);
    const std::vector<AlarmMark>& alarms() const { return alarms_; }
    // The line and the label of marker `index`.
    QCPItemStraightLine* line(std::size_t index) const;
    QCPItemText* label(std::size_t index) const;

private:
    void clearItems();

    ChartView& chart_;
    std::vector<AlarmMark> alarms_;
    std::vector<QCPItemStraightLine*> lines_;
    std::vector<QCPItemText*> labels_;
};

}  // namespace cellwatch
