// Cellwatch: watches a battery charger on a serial line.
//
//   cellwatch [--port PATH] [RECORDING...]
//   cellwatch --replay FILE [--speed N]
// --port puts PATH (a port name such as ttyUSB0 or COM3, or a device path)
// into the port box and connects to it as soon as the window is up.
// --replay plays a capture (written by cellwatch-log --capture) into the
// window as if its charger were connected, on the clocks of the capture:
// speed 1 in real time, 2 twice as fast, 0 as fast as possible. Disconnect
// stops it; at its end the window disconnects and keeps the recording.
// Each RECORDING (a journal or an export) opens in a window of its own
// beside the main window, as File > Open… opens it; one that cannot be read
// is said in a message, and the others still open.
#include <csignal>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "app/captions.h"
#include "app/main_window.h"
#include "app/network_watch.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "drivers/described_chargers.h"
#include "protocol/driver_registry.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"

namespace {

using namespace cellwatch;

// The window's clocks: the capture's simulated time while a replay plays,
// the system's before and after it (a later Connect records live).
// A replay that cannot start or go on: one line on standard error and a message box.
void replayFailed(const QString& text) {
    std::fprintf(stderr, "cellwatch: %s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("Cellwatch"), text);
}

int replay(Settings& settings, const QString& path, double speed) {
    MainWindow window(settings);
    QObject::connect(&window.session(), &session::LiveSession::ended, &window,
                     [&] { window.PostStatusMessage(kReplayEnded.text()); });
    QObject::connect(&window.session(), &session::LiveSession::failed, &window,
                     [](const QString& why) { replayFailed(why); });
    try {
        window.replayCapture(path, speed);
    } catch (const CaptureError& e) {
        replayFailed(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (!cellwatch::prepareDescribedChargers(argc, argv, "cellwatch")) {
        return 2;
    }
#ifdef Q_OS_UNIX
    // A file-size limit makes a write fail as a full disk does (the journal
    // says so and catches up) instead of killing the window mid-row.
    ::signal(SIGXFSZ, SIG_IGN);
#endif
    // Answered before the window system is opened, so they work without a
    // desktop: --version here, --help by the options' parser below.
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            break;
        }
        if (arg == "--version" || arg == "-v") {
            std::printf("cellwatch %s\n", kVersionText);
            return 0;
        }
        help = help || arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all";
    }

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Watches a battery charger on a serial line and shows, records and exports "
                       "what it reports."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Connect to the charger on PATH at start; an address "
                       "mqtt[s]://[USER@]HOST[:PORT]/NAME watches "
                       "that charger on an MQTT broker."),
        QStringLiteral("PATH"));
    const QCommandLineOption replayFile(
        QStringLiteral("replay"),
        QStringLiteral("Play the capture FILE (from cellwatch-log --capture) into the window "
                       "instead of connecting."),
        QStringLiteral("FILE"));
    const QCommandLineOption speedOption(
        QStringLiteral("speed"),
        QStringLiteral("Replay speed: 1 real time (default), 2 twice as fast, 0 as fast as "
                       "possible."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption charger(
        QStringLiteral("charger"),
        QStringLiteral("The charger's driver for --port (see cellwatch-log --list-chargers; "
                       "default: the one last used on that port, else tkrx)."),
        QStringLiteral("NAME"));
    options.addOption(port);
    options.addOption(charger);
    options.addOption(replayFile);
    options.addOption(speedOption);
    options.addPositionalArgument(
        QStringLiteral("recording"),
        QStringLiteral("A recording (journal or export) to open, each in a window of its own."),
        QStringLiteral("[RECORDING...]"));
    if (help) {
        // A plain application under the parser: the window's needs a display.
        QCoreApplication plain(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Cellwatch"));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
        options.process(plain);  // says it and ends the program
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellwatch"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersionText));
    options.process(app);

    cellwatch::FileSettingsStore store(cellwatch::FileSettingsStore::defaultPath());
    cellwatch::Settings settings(store);
    if (options.isSet(replayFile)) {
        const std::optional<double> speed = cellwatch::parseReplaySpeed(options.value(speedOption));
        if (options.isSet(port) || !options.positionalArguments().isEmpty() || !speed) {
            std::fprintf(stderr, "cellwatch: %s\n",
                         options.isSet(port) ? "--port cannot go with --replay"
                         : !options.positionalArguments().isEmpty()
                             ? "recordings to open cannot go with --replay"
                             : qPrintable(QStringLiteral("bad --speed %1 (%2)")
                                              .arg(options.value(speedOption),
                                                   QLatin1String(cellwatch::kReplaySpeedRule))));
            return 1;
        }
        return replay(settings, options.value(replayFile), *speed);
    }
    if (options.isSet(speedOption)) {
        std::fprintf(stderr, "cellwatch: --speed goes only with --replay\n");
        return 1;
    }

    if (options.isSet(port) && cellwatch::net::isBrokerAddress(options.value(port))) {
        // A charger on a broker, in the watch's own window.
        if (cellwatch::NetworkWatch::open(settings, options.value(port)) == nullptr) {
            return 1;
        }
        return QApplication::exec();
    }
    cellwatch::MainWindow window(settings);
    window.show();
    if (!store.problem().isEmpty()) {
        // The language is one of the settings that could not be read, so
        // both languages say it.
        const QString file = QDir::toNativeSeparators(store.path());
        const QString why = store.problem();
        const QString beside = QDir::toNativeSeparators(store.savedBeside());
        const QString text =
            beside.isEmpty()
                ? QStringLiteral(
                      "The settings file %1 could not be read (%2). It is kept as it "
                      "is; settings changed now last until the program ends.\n\n"
                      "无法读取设置文件 %1（%2）。该文件保持不变；现在更改的设置只在本次"
                      "运行中有效。")
                      .arg(file, why)
                : QStringLiteral(
                      "The settings file %1 could not be read (%2). It is kept as it "
                      "is; settings are saved beside it, in %3, and read from there "
                      "until %1 can be read again.\n\n"
                      "无法读取设置文件 %1（%2）。该文件保持不变；设置改为保存在旁边的 %3 "
                      "中，在 %1 能再次读取之前都从那里读取。")
                      .arg(file, why, beside);
        QTimer::singleShot(0, &window, [&window, text] {
            QMessageBox::warning(&window, QStringLiteral("Cellwatch"), text);
        });
    }
    if (options.isSet(charger)) {
        if (cellwatch::findDriver(options.value(charger).toStdString()) == nullptr) {
            std::fprintf(stderr, "cellwatch: no charger %s (the chargers are: %s)\n",
                         qPrintable(options.value(charger)), cellwatch::driverIdsText().c_str());
            return 1;
        }
        window.tool(cellwatch::StatusTool::Charger)->setText(options.value(charger));
    }
    if (options.isSet(port)) {
        const QString path = options.value(port);
        QTimer::singleShot(0, &window, [&window, path] { window.connectTo(path); });
    }
    for (const QString& file : options.positionalArguments()) {
        QTimer::singleShot(0, &window, [&window, file] {
            window.runCommand([&window, &file] { window.openRecording(file); });
        });
    }
    return QApplication::exec();
}
