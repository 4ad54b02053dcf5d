#include "scripted_http.h"

#include <zlib.h>

#include <stdexcept>

namespace cellwatch::nettest {

QByteArray gunzipped(const QByteArray& gz) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        return {};
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.constData()));
    stream.avail_in = static_cast<uInt>(gz.size());
    QByteArray out;
    char chunk[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

ScriptedHttp::ScriptedHttp(std::vector<Answer> answers) : answers_(std::move(answers)) {
    if (!server_.listen(QHostAddress::LocalHost)) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                pending_.erase(socket);
                socket->deleteLater();
            });
        }
    });
}

QString ScriptedHttp::address() const {
    return QStringLiteral("http://127.0.0.1:%1/write?db=test").arg(port());
}

void ScriptedHttp::read(QTcpSocket* socket) {
    QByteArray& in = pending_[socket];
    in += socket->readAll();
    for (;;) {
        const qsizetype headEnd = in.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            return;
        }
        const QByteArray head = in.left(headEnd);
        qsizetype length = 0;
        for (const QByteArray& line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                length = line.mid(15).trimmed().toLongLong();
            }
        }
        if (in.size() < headEnd + 4 + length) {
            return;
        }
        Request request{head, in.mid(headEnd + 4, length), false};
        in.remove(0, headEnd + 4 + length);
        request.gzip = head.toLower().contains("content-encoding: gzip");
        if (request.gzip) {
            request.body = gunzipped(request.body);
        }
        const Answer& answer = answers_[std::min(requests_.size(), answers_.size() - 1)];
        requests_.push_back(std::move(request));
        if (answer.status < 0) {
            continue;
        }
        socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + " Scripted\r\n" +
                      answer.headers + "Content-Length: " + QByteArray::number(answer.body.size()) +
                      "\r\n\r\n" + answer.body);
    }
}

}  // namespace cellwatch::nettest
