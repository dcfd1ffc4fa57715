#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QTcpServer>

#include <chrono>
#include <deque>

namespace quillo::testing {

// A real HTTP/1.1 server on 127.0.0.1 with a port the system picks, answering each request with the
// next scripted reply and recording what it received. Runs on the thread that made it.
class ScriptedHttpServer : public QObject {
    Q_OBJECT

public:
    struct Reply {
        int status = 201;
        QByteArray body;
        bool answer = true;  // false: read the request and never answer
        QByteArray reason = "Scripted";
        // Above zero: the headers announce a body that never ends, of which one byte of `body` (over
        // and over) is sent every `trickle`.
        std::chrono::milliseconds trickle{0};
    };
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers;  // names in lower case
        QByteArray body;
    };

    ScriptedHttpServer();

    quint16 port() const { return server_.serverPort(); }
    QString baseURL() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    void script(Reply reply) { replies_.push_back(std::move(reply)); }
    const QList<Request>& requests() const noexcept { return requests_; }

private:
    void readFrom(QTcpSocket* socket);

    QTcpServer server_;
    std::deque<Reply> replies_;
    QList<Request> requests_;
    QMap<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace quillo::testing
