#include "LoopbackHttpServer.h"

#include <QTcpSocket>

#include <stdexcept>

LoopbackHttpServer::LoopbackHttpServer() {
    if (!server_.listen(QHostAddress::LocalHost, 0)) throw std::runtime_error("cannot listen on 127.0.0.1");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                pending_.remove(socket);
                socket->deleteLater();
            });
        }
    });
    respond(404, "Not Found", {});
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void LoopbackHttpServer::respond(int status, QByteArray reason, QByteArray body, QByteArray contentType) {
    response_ = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + contentType +
                "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

void LoopbackHttpServer::serve(QTcpSocket* socket) {
    QByteArray& received = pending_[socket];
    received += socket->readAll();
    // The request is whole once its header ends; a GET has no body.
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0) return;
    requests_.append(received.left(received.indexOf("\r\n")));
    pending_.remove(socket);
    socket->write(response_);
    socket->disconnectFromHost();
}
