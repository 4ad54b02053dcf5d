// cellwatch-log's steps that each way of logging takes: the output, the
// channels' files, the alarms, the journal, the served page's names and the
// publisher.
#include "tools/log/log_steps.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "alarms/chemistry_limits.h"
#include "drivers/described_chargers.h"
#include "net/broker_setup.h"
#include "net/mqtt_client.h"
#include "net/publisher.h"
#include "net/remote_feed.h"
#include "packs/pack_health.h"
#include "protocol/driver_registry.h"
#include "protocol/frames_text.h"
#include "protocol/tick_clock.h"
#include "protocol/version.h"
#include "readout/journal.h"
#include "readout/recording.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "serial/file_open.h"
#include "serial/frames_capture.h"
#include "session/replay_source.h"
#include "session/watch_source.h"
#include "tools/log/alarm_command.h"
#include "tools/log/club_watch.h"
#include "tools/log/command_line.h"
#include "tools/log/influx_send.h"
#include "tools/log/log_session.h"
#include "tools/log/log_signals.h"
#include "tools/log/page_serve.h"

namespace cellwatch::logger {

// One line on standard error.
void complain(const QString& text) {
    QString line = text;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "cellwatch-log: %s\n", line.toLocal8Bit().constData());
}

// The output: standard output, or the file named by --out (replaced now).
// False, with the error line written, when it cannot be created.
bool openOutput(const LogOptions& options, std::FILE*& out, std::FILE*& file) {
    out = stdout;
    file = nullptr;
    if (options.out.isEmpty()) {
        return true;
    }
    std::string why;
    file = openFileForWriting(QFile::encodeName(options.out).toStdString(), why);
    if (file == nullptr) {
        complain(
            QStringLiteral("cannot write %1: %2").arg(options.out, QString::fromLocal8Bit(why)));
        return false;
    }
    // Unbuffered: a line that does not fit on the disk is taken back whole.
    std::setvbuf(file, nullptr, _IONBF, 0);
    out = file;
    return true;
}

namespace {

// The file of channel `channel`'s lines when --out names one and the
// charger has several: FILE with -CHANNEL before its extension
// (log.tsv: log-2.tsv).
QString channelOutPath(const QString& out, int channel) {
    const QFileInfo info(out);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? out : out.left(out.size() - suffix.size() - 1);
    return base + QStringLiteral("-%1").arg(channel) +
           (suffix.isEmpty() ? QString() : u'.' + suffix);
}

}  // namespace

// Each channel's lines to a file of its own: with --out naming a file, and
// no --channel.
void splitChannels(const LogOptions& options, LogSession& session) {
    if (options.out.isEmpty() || options.channel > 0 || options.out.startsWith(u"/dev/")) {
        return;
    }
    // Closed with the session, which holds the opener.
    std::shared_ptr<std::vector<std::FILE*>> files(new std::vector<std::FILE*>,
                                                   [](std::vector<std::FILE*>* opened) {
                                                       for (std::FILE* file : *opened) {
                                                           std::fclose(file);
                                                       }
                                                       delete opened;
                                                   });
    session.setChannelOutputs([out = options.out, files](int channel, QString& why) -> std::FILE* {
        const QString path = channelOutPath(out, channel);
        std::string error;
        std::FILE* file = openFileForWriting(QFile::encodeName(path).toStdString(), error);
        if (file == nullptr) {
            why = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(error));
            return nullptr;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);
        files->push_back(file);
        return file;
    });
}

// --- alarms ---
// The alarm settings, and the command run for each raised alarm (none
// without --on-alarm).
std::unique_ptr<AlarmCommand> setUpAlarms(LogSession& session, const LogOptions& options,
                                          const QString& port) {
    if (options.pack.isEmpty()) {
        session.setAlarmSettings(options.alarms);
    } else {
        // The pack, as the folder's pack files tell of it: each journal's
        // pack file, and its cell limits for the alarms.
        PackInfo pack =
            packDefinitionOfFolder(Journal::defaultFolder(), options.pack).value_or(PackInfo{});
        pack.pack = options.pack;
        pack.note.clear();
        pack.leftOut = false;
        session.setPack(pack);
        session.setAlarmSettings(alarms::settingsForPack(options.alarms, pack));
    }
    if (options.onAlarm.isEmpty()) {
        return nullptr;
    }
    auto command = std::make_unique<AlarmCommand>(options.onAlarm, port, &complain);
    session.setAlarmHandler([c = command.get(), &session](int channel, const alarms::Alarm& alarm) {
        // A charger of several channels: the text says which.
        const QString text = QString::fromStdString(alarm.text);
        c->run(QString::fromUtf8(alarms::kindName(alarm.kind)),
               session.session().channelCount() > 1
                   ? QStringLiteral("channel %1: %2").arg(channel).arg(text)
                   : text);
    });
    return command;
}

// Runs the session until Ctrl-C, SIGTERM or its own end, then closes the output.
int run(QCoreApplication& app, LogSession& session, const LogOptions& options, std::FILE* out,
        std::FILE* file, const std::function<void()>& started) {
    const SignalWatch interrupts(LogSignal::Stop, [&] {
        session.stop();
        app.exit(kExitOk);
    });
    QObject::connect(&session, &LogSession::finished, &app, [&](int status) {
        if (!session.failure().isEmpty()) {
            complain(session.failure());
        }
        app.exit(status);
    });

    int status = kExitFailure;
    session.setStopSignal(stopSignalFd());
    if (session.start(out)) {
        if (started) {
            started();
        }
        status = app.exec();
    } else if (session.failure().isEmpty()) {
        status = kExitOk;  // ended by a signal while the header waited for its reader
    } else {
        complain(session.failure());
    }
    session.stop();
    if (session.owedLines() > 0) {
        complain(QStringLiteral("%1 lines of the log could not be written to %2: %3")
                     .arg(session.owedLines())
                     .arg(options.out.isEmpty() ? QStringLiteral("standard output") : options.out,
                          session.owedWhy()));
        status = status == kExitOk ? kExitFailure : status;
    }
    if (file != nullptr && std::fclose(file) != 0 && status == kExitOk) {
        complain(QStringLiteral("cannot write %1: %2")
                     .arg(options.out, QString::fromLocal8Bit(std::strerror(errno))));
        status = kExitFailure;
    }
    return status;
}

// The journal every recording also goes to, in the window's recordings
// folder; nothing with --no-journal. Its notices are error lines.
void makeJournal(const LogOptions& options, LogSession& session) {
    if (!options.journal) {
        return;
    }
    auto journal =
        std::make_unique<Journal>(Journal::defaultFolder(), QString::fromLatin1(kProgramVersion));
    journal->setNoticeHandler([](Journal::Notice notice, const QString& detail) {
        const char* what = notice == Journal::Notice::Stopped    ? "the journal stopped"
                           : notice == Journal::Notice::CaughtUp ? "the journal caught up"
                                                                 : "the journal began anew";
        complain(QStringLiteral("%1: %2").arg(QLatin1String(what), detail));
    });
    session.journalTo(std::move(journal));
}

// What --serve and --metrics serve, the charger named `charger`.
ServeOptions serveOptions(const LogOptions& options, const QString& charger) {
    return {options.serve, options.metrics, charger.toStdString(), options.pack.toStdString()};
}

// --- over the network ------------------------------------------------------------------------

// The client options for `address` as the options give them; the warnings
// about them are said once. Throws net::AddressError or net::MqttError
// (naming a file, never what it holds).
net::BrokerSetup brokerSetup(const LogOptions& options, const QString& address) {
    net::BrokerSetup setup = net::setUpBroker(
        {address, QString(), options.passwordFile, options.caFile, options.keyFile});
    for (const QString& warning : setup.warnings) {
        complain(warning);
    }
    return setup;
}

// The publisher for --publish, not yet connecting; nothing without it.
// False, with the error line written, when it cannot be set up.
bool makePublisher(const LogOptions& options, std::unique_ptr<net::Publisher>& publisher) {
    if (options.publish.isEmpty()) {
        return true;
    }
    try {
        publisher = net::makePublisher(brokerSetup(options, options.publish), options.haDiscovery);
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return false;
    }
    QObject::connect(publisher.get(), &net::Publisher::notice,
                     [](const QString& text) { complain(text); });
    return true;
}

}  // namespace cellwatch::logger
