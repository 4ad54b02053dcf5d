// An alarm's text in Chinese. The alarms are worded in English where they are
// made (alarm_monitor.cpp), and so they stay in the journal, the log's output,
// on the broker and in an --on-alarm command's environment: one wording that
// scripts and the journal reader can rely on. A window or page in Chinese
// shows them through this: each English form the monitor writes has its
// Chinese one, with the numbers, cells and times carried over; a reason
// from the system (after "Link lost …: ") stays as the system said it.
#pragma once

#include <string>
#include <string_view>

#include "alarms/alarm_rules.h"

namespace cellwatch::alarms {

// The Chinese of `english`, an alarm text of `kind`; a text in no form the
// monitor writes (an older journal's, another program's) comes back as it is.
std::string chineseAlarmText(Kind kind, std::string_view english);

}  // namespace cellwatch::alarms
