#include "app/help_pane.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include "app/help_page.h"

namespace cellwatch {
namespace {

constexpr int kFetchTimeoutMs = 5000;

}  // namespace

HelpPane::HelpPane(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("IE"));
    setOpenExternalLinks(true);
}

void HelpPane::showHelpPage(bool online) {
    address_ = online ? QString::fromLatin1(kOnlineHelpAddress)
                      : QUrl::fromLocalFile(localHelpFile()).toString();
    showAgain();
}

void HelpPane::showAgain() {
    const QUrl url(address_);
    showLocal();
    if (url.isLocalFile()) {
        return;
    }
    if (!network_) {
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    QNetworkReply* reply = network_->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError && QUrl(address_) == url) {
            setHtml(QString::fromUtf8(reply->readAll()));
        }
    });
}

void HelpPane::showLocal() {
    const QString file = localHelpFile();
    if (!QFileInfo::exists(file)) {
        setHtml(QStringLiteral("<p><b>Cellwatch</b></p><p>%1</p>")
                    .arg(tr("The help page ad.htm is missing beside the program.")));
        return;
    }
    // Read through the one opener (a FIFO or a device in the page's place is
    // refused at once) rather than by the pane itself; its pictures and links
    // are found beside it.
    QString why;
    const QString html = readLocalHelpPage(file, &why);
    if (html.isEmpty() && !why.isEmpty()) {
        setHtml(QStringLiteral("<p><b>Cellwatch</b></p><p>%1: %2</p>")
                    .arg(file.toHtmlEscaped(), why.toHtmlEscaped()));
        return;
    }
    setSearchPaths({QFileInfo(file).absolutePath()});
    setHtml(html);
}

}  // namespace cellwatch
