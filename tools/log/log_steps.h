// The steps cellwatch-log's ways of logging (log_runs.h) have in common:
// each says what goes wrong as one line on standard error.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <functional>
#include <memory>

#include "net/broker_setup.h"
#include "net/publisher.h"
#include "tools/log/alarm_command.h"
#include "tools/log/command_line.h"
#include "tools/log/log_session.h"
#include "tools/log/page_serve.h"

namespace cellwatch::logger {

// One line on standard error.
void complain(const QString& text);

// The output: standard output, or the file named by --out (replaced now).
// False, with the error line written, when it cannot be created.
bool openOutput(const LogOptions& options, std::FILE*& out, std::FILE*& file);

// Each channel's lines to a file of its own: with --out naming a file, and
// no --channel.
void splitChannels(const LogOptions& options, LogSession& session);

// The alarm settings, and the command run for each raised alarm (none
// without --on-alarm).
std::unique_ptr<AlarmCommand> setUpAlarms(LogSession& session, const LogOptions& options,
                                          const QString& port);

// How long the alarm commands still owed may take once the log has ended.
inline constexpr int kAlarmDrainMs = 5000;

// Runs the session until Ctrl-C, SIGTERM or its own end, then closes the
// output; `started` (if any) is called once the log has begun.
int run(QCoreApplication& app, LogSession& session, const LogOptions& options, std::FILE* out,
        std::FILE* file, const std::function<void()>& started);

// The journal every recording also goes to, in the window's recordings
// folder; nothing with --no-journal. Its notices are error lines.
void makeJournal(const LogOptions& options, LogSession& session);

// What --serve and --metrics serve, the charger named `charger`.
ServeOptions serveOptions(const LogOptions& options, const QString& charger);

// The client options for `address` as the options give them; the warnings
// about them are said once. Throws net::AddressError or net::MqttError
// (naming a file, never what it holds).
net::BrokerSetup brokerSetup(const LogOptions& options, const QString& address);

// The publisher for --publish, not yet connecting; nothing without it.
// False, with the error line written, when it cannot be set up.
bool makePublisher(const LogOptions& options, std::unique_ptr<net::Publisher>& publisher);

}  // namespace cellwatch::logger
