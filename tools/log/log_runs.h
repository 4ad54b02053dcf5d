// cellwatch-log's ways of logging, each until Ctrl-C, SIGTERM or its own
// end; each returns the exit status.
#pragma once

#include <QCoreApplication>

#include "tools/log/command_line.h"

namespace cellwatch::logger {

// Watches a charger on a broker: its start and raw records are played
// through the session's receive path on the publisher's clocks.
int watchLog(QCoreApplication& app, const LogOptions& options);

// Records a charger on a port.
int liveLog(QCoreApplication& app, const LogOptions& options);

// Replays a capture or a frames file.
int replayLog(QCoreApplication& app, LogOptions options);

}  // namespace cellwatch::logger
