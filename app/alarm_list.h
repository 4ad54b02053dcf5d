// The alarms a recording kept (its "# alarm" lines), listed beside its
// summary in a viewer: one line an alarm, in the file's order, with its
// elapsed time (h:mm:ss from the recording's start, of the row before it),
// its kind and its text, in Chinese or English. Choosing a line (a click,
// or Return on it) asks for the moment of that alarm; a recording without
// alarms shows one line that says so.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "readout/recording_file.h"

class QTableWidget;

namespace cellwatch {

class AlarmList final : public QWidget {
    Q_OBJECT
public:
    explicit AlarmList(QWidget* parent = nullptr);

    void setAlarms(std::vector<AlarmNote> alarms);
    const std::vector<AlarmNote>& alarms() const { return alarms_; }

    QTableWidget& table() const { return *table_; }
    // The grid row (1 = the first data row) whose moment alarm `index`
    // stands for: the row before it, or the first row for one before any.
    static int rowOfAlarm(const AlarmNote& alarm);

signals:
    // Alarm `index` (of alarms()) was chosen.
    void alarmChosen(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void choose(int line);

    QTableWidget* table_ = nullptr;
    std::vector<AlarmNote> alarms_;
};

}  // namespace cellwatch
