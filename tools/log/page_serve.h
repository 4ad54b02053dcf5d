// cellwatch-log's phone page (--serve) and metrics endpoint (--metrics): the
// servers and their feeds on the log's session, and the lines that tell
// where they are.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "net/web_server.h"
#include "session/metrics_feed.h"
#include "session/page_feed.h"
#include "tools/log/log_signals.h"

namespace cellwatch::logger {

class LogSession;

class PageServe {
public:
    // `address` is --serve's "[ADDRESS:]PORT", already checked.
    // The page's metrics (/TOKEN/metrics) are `metrics`'s.
    PageServe(session::LiveSession& session, const QString& address,
              const session::MetricsFeed& metrics);

    // Listens; returns an empty text, or why it cannot.
    QString start();
    // A new token: the old address stops working.
    void renew() { server_.renewToken(); }

    // The page's addresses, one per line: the listening address, or, on
    // every interface, this computer's own (loopback first).
    QStringList addresses() const;

    net::WebServer& server() { return server_; }

private:
    QString address_;
    net::WebServer server_;
    session::PageFeed feed_;
};

// Serves `metrics` as the file "metrics" of `server` (/TOKEN/metrics, or
// /metrics on a server without a token).
void addMetricsFile(net::WebServer& server, const session::MetricsFeed& metrics);

// The page of --serve on the log's session, and SIGUSR1 making its new
// address (see log_signals.h); nothing without --serve. The metrics of
// --metrics, and of the page.
struct ServedPage {
    std::unique_ptr<session::MetricsFeed> metrics;
    std::unique_ptr<net::WebServer> metricsServer;
    std::unique_ptr<PageServe> page;
    std::unique_ptr<SignalWatch> renewals;
    ServedPage() = default;
    ServedPage(const ServedPage&) = delete;
    ServedPage& operator=(const ServedPage&) = delete;
    // The page's viewers get the log's last messages (a lost link) first.
    ~ServedPage() {
        if (page) {
            page->server().finish();
        }
    }
};

// What is served, and how the metrics name the charger and its pack.
struct ServeOptions {
    QString page;     // --serve's [ADDRESS:]PORT; "" is none
    QString metrics;  // --metrics's; "" is none
    std::string charger;
    std::string pack;
};

// Serves `served.metrics` at --metrics's `address` ([ADDRESS:]PORT) as
// /metrics, its address said. False, with the error said, when it cannot
// listen.
bool serveMetrics(const QString& address, ServedPage& served,
                  const std::function<void(const QString&)>& say);

// Serves the page and the metrics as `options` say, each address and
// notice a line to `say`. False, with the error said, when one cannot
// listen.
bool servePage(LogSession& session, const ServeOptions& options, ServedPage& served,
               const std::function<void(const QString&)>& say);

}  // namespace cellwatch::logger
