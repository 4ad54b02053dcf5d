// Cellwatch: watches a battery charger on a serial line.
//
//   cellwatch [--port PATH]
// --port puts PATH (a port name such as ttyUSB0 or COM3, or a device path)
// into the port box and connects to it as soon as the window is up.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/main_window.h"
#include "app/settings_store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellwatch"));
    QApplication::setApplicationVersion(QStringLiteral("1.10.0"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Watches a battery charger on a serial line and shows, records and exports "
                       "what it reports."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Connect to the charger on PATH at start."),
                                  QStringLiteral("PATH"));
    options.addOption(port);
    options.process(app);

    cellwatch::FileSettingsStore settings(cellwatch::FileSettingsStore::defaultPath());
    cellwatch::MainWindow window(settings);
    window.show();
    if (options.isSet(port)) {
        const QString path = options.value(port);
        QTimer::singleShot(0, &window, [&window, path] { window.connectTo(path); });
    }
    return QApplication::exec();
}
