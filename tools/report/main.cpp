// cellwatch-report FILE...: what each recording came to (see --help).
#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "drivers/described_chargers.h"
#include "protocol/driver_registry.h"
#include "protocol/version.h"
#include "tools/report/report.h"

namespace {

// The tool's standard error is its own: one line per failed file. Qt's notes
// about the desktop it runs without (no runtime folder, no fonts database
// entry) are dropped; its criticals still show.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "cellwatch-report: %s\n", qPrintable(message));
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace cellwatch;
    qInstallMessageHandler(quietQt);
    if (!prepareDescribedChargers(argc, argv, "cellwatch-report")) {
        return 2;
    }
    // Pictures are drawn by the window's chart, without a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Only pictures need the GUI's application (its start costs more than
    // reading a small journal); what the arguments ask for is seen first.
    QStringList given;
    for (int i = 1; i < argc; ++i) {
        given << QString::fromLocal8Bit(argv[i]);
    }
    report::Options wanted;
    QString unused;
    const report::Parsed seen = report::parseArguments(given, wanted, unused);
    std::unique_ptr<QCoreApplication> app;
    if (seen == report::Parsed::Usage || !wanted.picture.isEmpty()) {
        app = std::make_unique<QApplication>(argc, argv);  // which takes Qt's own options
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    report::Options options;
    QString error;
    switch (report::parseArguments(args, options, error)) {
        case report::Parsed::Help:
            out << report::helpText();
            return report::kExitOk;
        case report::Parsed::Version:
            out << "cellwatch-report " << kProgramVersion << '\n';
            return report::kExitOk;
        case report::Parsed::Usage:
            err << "cellwatch-report: " << report::terminalText(error, false) << " (try --help)\n";
            return report::kExitUsage;
        case report::Parsed::ListChargers:
            out << QString::fromStdString(driverListText());
            return report::kExitOk;
        case report::Parsed::Run:
            break;
    }
    return report::run(options, out, err);
}
