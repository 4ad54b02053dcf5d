// What a watch tells of the charger's messages, as a window shows it in the
// installed language.
#pragma once

#include <QString>

#include "net/watch_notice.h"

namespace cellwatch {

QString watchNoticeText(const net::WatchNotice& notice);

}  // namespace cellwatch
