#include "app/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInformation>
#include <cstddef>

#include "serial/file_open.h"

namespace cellwatch {
namespace {

// The page and what it holds inline is a few hundred KiB at most.
constexpr std::size_t kLargestPage = 4 << 20;

}  // namespace

bool IsOnline() {
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend()) {
        return false;
    }
    QNetworkInformation* info = QNetworkInformation::instance();
    return info && info->reachability() == QNetworkInformation::Reachability::Online;
}

QString localHelpFile(const QString& programDir) {
    const QString beside = programDir + QStringLiteral("/ad.htm");
    const QString shared =
        QDir::cleanPath(programDir + QStringLiteral("/../share/cellwatch/ad.htm"));
    for (const QString& candidate : {beside, shared}) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    // Neither is a page: a FIFO or a device at one of the names is never
    // given, so that no reader waits on it.
    return QFileInfo::exists(beside) && !QFileInfo::exists(shared) ? shared : beside;
}

QString localHelpFile() {
    return localHelpFile(QCoreApplication::applicationDirPath());
}

QString readLocalHelpPage(const QString& file, QString* why) {
    const FileContents contents =
        readRegularFile(QFile::encodeName(file).toStdString(), kLargestPage);
    if (why != nullptr) {
        *why = contents.ok()
                   ? QString()
                   : QStringLiteral("cannot read %1: %2")
                         .arg(QDir::toNativeSeparators(file), QString::fromStdString(contents.why));
    }
    return contents.ok() ? QString::fromUtf8(contents.bytes.data(),
                                             static_cast<qsizetype>(contents.bytes.size()))
                         : QString();
}

}  // namespace cellwatch
