// An HTTP server on 127.0.0.1 that answers each request with the next of a
// list of answers (the last one again once the list is used up), keeping
// what each request sent: for answers no real database gives on demand
// (415, 429 with Retry-After, 503).
#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <map>
#include <vector>

namespace cellwatch::nettest {

class ScriptedHttp {
public:
    struct Answer {
        int status = 204;    // below 0: never answers (a slow server)
        QByteArray headers;  // extra header lines, each ending in "\r\n"
        QByteArray body;
    };
    struct Request {
        QByteArray head;  // the request line and headers
        QByteArray body;  // unpacked when it came gzip-encoded
        bool gzip = false;
    };

    explicit ScriptedHttp(std::vector<Answer> answers);
    std::uint16_t port() const { return server_.serverPort(); }
    // "http://127.0.0.1:PORT/write?db=test".
    QString address() const;
    const std::vector<Request>& requests() const { return requests_; }

private:
    void read(QTcpSocket* socket);

    std::vector<Answer> answers_;
    std::vector<Request> requests_;
    std::map<QTcpSocket*, QByteArray> pending_;
    QTcpServer server_;  // last: its sockets go before what they use
};

// `gz` unpacked; empty when it is no gzip stream.
QByteArray gunzipped(const QByteArray& gz);

}  // namespace cellwatch::nettest
