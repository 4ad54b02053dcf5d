#include "app/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkInformation>

namespace cellwatch {

bool IsOnline() {
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend()) {
        return false;
    }
    QNetworkInformation* info = QNetworkInformation::instance();
    return info && info->reachability() == QNetworkInformation::Reachability::Online;
}

QString localHelpFile() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/ad.htm");
    return beside;
}

}  // namespace cellwatch
