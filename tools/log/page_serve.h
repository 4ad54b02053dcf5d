// cellwatch-log's phone page (--serve): the page's server and its feed on
// the log's session, and the lines that tell where the page is.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "net/web_server.h"
#include "session/page_feed.h"
#include "tools/log/log_signals.h"

namespace cellwatch::logger {

class LogSession;

class PageServe {
public:
    // `address` is --serve's "[ADDRESS:]PORT", already checked.
    PageServe(session::LiveSession& session, const QString& address);

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

// The page of --serve on the log's session, and SIGUSR1 making its new
// address (see log_signals.h); nothing without --serve.
struct ServedPage {
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

// Serves the page at `address` (--serve; "" is none), each address and
// notice a line to `say`. False, with the error said, when the page cannot
// listen.
bool servePage(LogSession& session, const QString& address, ServedPage& served,
               const std::function<void(const QString&)>& say);

}  // namespace cellwatch::logger
