// Cellwatch: watches a battery charger on a serial line.
#include <QApplication>

#include "app/main_window.h"
#include "app/settings_store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellwatch"));
    QApplication::setApplicationVersion(QStringLiteral("1.10.0"));
    cellwatch::FileSettingsStore settings(cellwatch::FileSettingsStore::defaultPath());
    cellwatch::MainWindow window(settings);
    window.show();
    return QApplication::exec();
}
