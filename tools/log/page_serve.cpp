#include "tools/log/page_serve.h"

#include "tools/log/log_session.h"
#include "tools/log/log_signals.h"

#include <QNetworkInterface>

namespace cellwatch::logger {

PageServe::PageServe(session::LiveSession& session, const QString& address,
                     const session::MetricsFeed& metrics)
    : address_(address), feed_(session, server_) {
    server_.addResourceFolder(QStringLiteral(":/web"));
    addMetricsFile(server_, metrics);
}

void addMetricsFile(net::WebServer& server, const session::MetricsFeed& metrics) {
    server.addMadeFile(QStringLiteral("metrics"), session::kMetricsContentType,
                       [&metrics] { return QByteArray::fromStdString(metrics.text()); });
}

QString PageServe::start() {
    QHostAddress host;
    quint16 port = 0;
    const QString error = net::parseListenAddress(address_, host, port);
    if (!error.isEmpty()) {
        return error;
    }
    return server_.listen(host, port);
}

QStringList PageServe::addresses() const {
    const QHostAddress bound = server_.address();
    if (bound != QHostAddress::Any && bound != QHostAddress::AnyIPv4 &&
        bound != QHostAddress::AnyIPv6) {
        return {server_.pageUrl()};
    }
    QStringList lines{server_.pageUrl(QStringLiteral("127.0.0.1"))};
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) {
            lines << server_.pageUrl(a.toString());
        }
    }
    return lines;
}

namespace {

void tellPageAddresses(const PageServe& page, const std::function<void(const QString&)>& say) {
    for (const QString& url : page.addresses()) {
        say(QStringLiteral("page at ") + url);
    }
}

}  // namespace

bool serveMetrics(const QString& address, ServedPage& served,
                  const std::function<void(const QString&)>& say) {
    QHostAddress host;
    quint16 port = 0;
    QString error = net::parseListenAddress(address, host, port);
    served.metricsServer = std::make_unique<net::WebServer>();
    served.metricsServer->openWithoutToken();
    addMetricsFile(*served.metricsServer, *served.metrics);
    if (error.isEmpty()) {
        error = served.metricsServer->listen(host, port);
    }
    if (!error.isEmpty()) {
        say(QStringLiteral("cannot serve the metrics: ") + error);
        return false;
    }
    QObject::connect(served.metricsServer.get(), &net::WebServer::notice, say);
    say(QStringLiteral("metrics at ") + served.metricsServer->pageUrl() +
        QStringLiteral("metrics"));
    return true;
}

bool servePage(LogSession& session, const ServeOptions& options, ServedPage& served,
               const std::function<void(const QString&)>& say) {
    if (options.page.isEmpty() && options.metrics.isEmpty()) {
        return true;
    }
    served.metrics = std::make_unique<session::MetricsFeed>();
    const std::string pack = options.pack;
    served.metrics->watch(session.session(), options.charger, [pack](int) { return pack; });
    if (!options.metrics.isEmpty() && !serveMetrics(options.metrics, served, say)) {
        return false;
    }
    if (options.page.isEmpty()) {
        return true;
    }
    const QString& address = options.page;
    served.page = std::make_unique<PageServe>(session.session(), address, *served.metrics);
    const QString error = served.page->start();
    if (!error.isEmpty()) {
        say(QStringLiteral("cannot serve the page: ") + error);
        return false;
    }
    QObject::connect(&served.page->server(), &net::WebServer::notice, say);
    PageServe* page = served.page.get();
    served.renewals = std::make_unique<SignalWatch>(LogSignal::Renew, [page, say] {
        page->renew();
        tellPageAddresses(*page, say);
    });
    tellPageAddresses(*page, say);
    return true;
}

}  // namespace cellwatch::logger
