// cellwatch-log: the live recording of a charger without a window, or the
// replay of a capture of one.
#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "drivers/described_chargers.h"
#include "net/mqtt_client.h"
#include "protocol/driver_registry.h"
#include "protocol/version.h"
#include "tools/log/club_watch.h"
#include "tools/log/command_line.h"
#include "tools/log/log_runs.h"
#include "tools/log/log_signals.h"
#include "tools/log/log_steps.h"

using namespace cellwatch;
using namespace cellwatch::logger;

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--describe-schema") {
        std::fputs(cellwatch::chargerDescriptionSchema().data(), stdout);
        return kExitOk;
    }
    if (!cellwatch::prepareDescribedChargers(argc, argv, "cellwatch-log")) {
        return 2;
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::printf("cellwatch-log %s\n", kProgramVersion);
        return kExitOk;
    }
    LogOptions options;
    try {
        options = parseArguments(arguments);
    } catch (const UsageError& e) {
        complain(QString::fromUtf8(e.what()) + QStringLiteral(" (try --help)"));
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return kExitOk;
    }
    if (options.listChargers) {
        std::fputs(driverListText().c_str(), stdout);
        return kExitOk;
    }

    QCoreApplication app(argc, argv);
    if (!options.caFile.isEmpty()) {
        // Looked at before anything starts: a folder, a device or a file
        // without a certificate would fail every attempt to connect.
        try {
            net::checkCertificateFile(options.caFile);
        } catch (const net::MqttError& e) {
            complain(QString::fromUtf8(e.what()) + QStringLiteral(" (--ca)"));
            return kExitUsage;
        }
    }

    if (!catchSignals()) {
        complain(QStringLiteral("cannot catch signals: ") + qt_error_string(errno));
        return kExitFailure;
    }
    if (options.everyCharger) {
        return runClubLog(app, options, &complain);
    }
    if (options.portIsBroker) {
        return watchLog(app, options);
    }
    return options.replay.isEmpty() && options.frames.isEmpty() ? liveLog(app, options)
                                                                : replayLog(app, options);
}
