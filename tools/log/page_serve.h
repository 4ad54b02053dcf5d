// cellwatch-log's phone page (--serve): the page's server and its feed on
// the log's session, and the lines that tell where the page is.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "net/web_server.h"
#include "session/page_feed.h"

namespace cellwatch::logger {

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

}  // namespace cellwatch::logger
