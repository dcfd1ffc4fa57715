#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QUrl>

// A real HTTP/1.1 server on 127.0.0.1 with a port the system picks. Every GET is answered with the
// response set last, then the connection closes.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    LoopbackHttpServer();

    QUrl url(const QString& path) const;
    void respond(int status, QByteArray reason, QByteArray body, QByteArray contentType = "application/rss+xml");
    // Request lines ("GET /feed.xml HTTP/1.1") in arrival order.
    const QList<QByteArray>& requests() const { return requests_; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer server_;
    QByteArray response_;
    QList<QByteArray> requests_;
    QHash<QTcpSocket*, QByteArray> pending_;
};
