#include "testing/ScriptedHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

namespace quillo::testing {

ScriptedHttpServer::ScriptedHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        }
    });
}

void ScriptedHttpServer::readFrom(QTcpSocket* socket) {
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    const auto headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto colon = lines[i].indexOf(':');
        if (colon > 0) request.headers[lines[i].left(colon).trimmed().toLower()] = lines[i].mid(colon + 1).trimmed();
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headerEnd + 4 + length) return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    requests_.append(request);

    const Reply reply = replies_.empty() ? Reply{} : replies_.front();
    if (!replies_.empty()) replies_.pop_front();
    if (!reply.answer) return;
    const QByteArray status = "HTTP/1.1 " + QByteArray::number(reply.status) + " " + reply.reason + "\r\n";
    if (reply.trickle.count() > 0 && !reply.body.isEmpty()) {
        socket->write(status + "Content-Length: 1000000000\r\n\r\n");
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, body = reply.body, sent = qsizetype{0}]() mutable {
            socket->write(body.mid(sent++ % body.size(), 1));
        });
        timer->start(reply.trickle);
        return;
    }
    socket->write(status + "Content-Length: " + QByteArray::number(reply.body.size()) +
                  "\r\nConnection: close\r\n\r\n" + reply.body);
    socket->disconnectFromHost();
}

}  // namespace quillo::testing
