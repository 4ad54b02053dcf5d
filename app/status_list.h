// The status band's list of messages (`state_text`): each entry keeps the
// time it was posted, and the open list shows it before the message
// ("14:03:12  Reconnected to USB_0403:6001"); the band's own text is the
// message alone.
#pragma once

#include <QTime>

class QComboBox;

namespace cellwatch {

inline constexpr int kStatusTimeRole = 0x0101;  // Qt::UserRole + 1

// Has the list show each entry's time.
void showStatusTimes(QComboBox& list);
// Gives the list's last entry its time.
void stampLastStatus(QComboBox& list, const QTime& at);

}  // namespace cellwatch
