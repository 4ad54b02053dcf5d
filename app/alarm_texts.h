// An alarm's text as a window shows it, in the installed language: made
// from the alarm's figures, or from its English line read back (a journal's
// alarm, one from the broker). A line in no form the monitor writes (an
// older program's) is shown as it is.
#pragma once

#include <QString>

#include "alarms/alarm_figures.h"
#include "alarms/alarm_monitor.h"

namespace cellwatch {

QString alarmText(alarms::Kind kind, const alarms::Figures& figures);
QString alarmText(const alarms::Alarm& alarm);
QString alarmText(alarms::Kind kind, const QString& line);

}  // namespace cellwatch
