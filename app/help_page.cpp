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

QString localHelpFile(const QString& programDir) {
    const QString beside = programDir + QStringLiteral("/ad.htm");
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    const QString shared =
        QDir::cleanPath(programDir + QStringLiteral("/../share/cellwatch/ad.htm"));
    return QFileInfo::exists(shared) ? shared : beside;
}

QString localHelpFile() {
    return localHelpFile(QCoreApplication::applicationDirPath());
}

}  // namespace cellwatch
