#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"

#include "Platform/DNSSD/ServiceAdvertiser.h"
#include "Platform/Foundation/Coding.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/SystemLog/SystemLog.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <iostream>
#include <string>
#include <string_view>
#include <variant>

namespace quillo {

namespace {

constexpr qint64 kReadSize = 65'536;

void log(std::string_view line) { platform::systemlog::write(line); }

QByteArray toLine(std::string text) {
    text.push_back('\n');
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The message as it goes on the wire, line feed included; empty when it cannot be encoded.
QByteArray wireLine(const TodoIPCMessage& message) {
    try {
        return toLine(encodeMessage(message));
    } catch (const platform::EncodingError&) {
        return {};
    }
}

// A list of tens of thousands of items is written straight from the vector, without a copy into a
// message; the message coder decides only what the direct writer leaves to it.
QByteArray todoListLine(const std::vector<TodoItem>& items) {
    if (auto text = todolisttext::write(items)) return toLine(std::move(*text));
    return wireLine(TodoIPCMessage::todoList(items));
}

}  // namespace

TodoIPCServer::TodoIPCServer(QObject* parent, Announcement announcement)
    : QObject(parent), announcement_(announcement), lastListLine_(todoListLine({})) {}

// Sockets and listener are children; the connections go with the server.
TodoIPCServer::~TodoIPCServer() = default;

void TodoIPCServer::start() {
    if (listener_) return;
    auto* listener = new QTcpServer(this);
    if (!listener->listen(QHostAddress::LocalHost, 0)) {
        log("[TodoIPCServer] Failed to start listener: " + platform::toStdString(listener->errorString()));
        delete listener;
        return;
    }
    listener_ = listener;
    connect(listener_, &QTcpServer::newConnection, this, &TodoIPCServer::accept);
    if (announcement_ == Announcement::none) return;

    advertiser_ = new platform::ServiceAdvertiser(QStringLiteral("QuilloToDo"), QStringLiteral("_quillotodo._tcp"),
                                                  listener_->serverPort(), this);
    // Extensions find the application only through the announcement: say once why they cannot.
    connect(advertiser_, &platform::ServiceAdvertiser::notAnnounced, this, [this](const QString& reason) {
        if (std::exchange(saidNotAnnounced_, true)) return;
        std::cerr << "QuilloToDo: the extension service on port " << listener_->serverPort()
                  << " is not announced over DNS-SD (" << platform::toStdString(reason) << ")\n";
    });
    advertiser_->start();
}

quint16 TodoIPCServer::port() const { return listener_ ? listener_->serverPort() : 0; }

void TodoIPCServer::publish(const std::vector<TodoItem>& items) {
    lastListLine_ = todoListLine(items);
    lastItemsEmpty_ = items.empty();
    broadcast(lastListLine_);
}

void TodoIPCServer::accept() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        const int before = connectedExtensionCount();
        connections_.emplace(socket, std::make_unique<Connection>(Connection{socket}));
        countChanged(before);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { receive(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { handleError(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });

        // An accepted socket is connected already: greet it now, once.
        static const QByteArray hello = wireLine(TodoIPCMessage::hello("QuilloToDo"));
        send(hello, socket);
        if (!lastItemsEmpty_) send(lastListLine_, socket);
        receive(socket);  // bytes that came with the connection
    }
}

void TodoIPCServer::receive(QTcpSocket* socket) {
    int refreshes = 0;
    for (;;) {
        const auto found = connections_.find(socket);
        if (found == connections_.end() || socket->bytesAvailable() <= 0) break;
        MessageLineBuffer& received = found->second->received;
        const QByteArray chunk = socket->read(kReadSize);
        if (!received.append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            log("[TodoIPCServer] Dropping connection: unterminated message exceeds " + std::to_string(kReceiveLimit) +
                " bytes");
            drop(socket);
            return;
        }
        received.takeMessages([&](const TodoIPCMessage& message) {
            if (std::holds_alternative<TodoIPCMessage::RequestRefresh>(message.payload())) ++refreshes;
            // Every other message is read and ignored.
        });
    }
    // Answered after the reading: a broadcast may drop this very connection.
    for (int i = 0; i < refreshes; ++i) broadcast(lastListLine_);
}

void TodoIPCServer::handleError(QTcpSocket* socket) {
    if (!connections_.contains(socket)) return;
    // The end of the peer's stream is no error; anything else with output still queued lost a send.
    if (socket->error() != QAbstractSocket::RemoteHostClosedError && socket->bytesToWrite() > 0)
        log("[TodoIPCServer] Send error: " + platform::toStdString(socket->errorString()));
    drop(socket);
}

void TodoIPCServer::send(const QByteArray& line, QTcpSocket* socket) {
    if (line.isEmpty()) return;  // could not be encoded
    // The socket shares the bytes: one encoding serves every connection.
    socket->write(line);
    if (socket->bytesToWrite() > kUnsentOutputLimit) {
        log("[TodoIPCServer] Send error: the extension is not reading; unsent output exceeds " +
            std::to_string(kUnsentOutputLimit) + " bytes");
        drop(socket);
    }
}

void TodoIPCServer::broadcast(const QByteArray& line) {
    // A send may drop a connection: walk a copy of the keys.
    std::vector<QTcpSocket*> sockets;
    sockets.reserve(connections_.size());
    for (const auto& entry : connections_) sockets.push_back(entry.first);
    for (QTcpSocket* socket : sockets)
        if (connections_.contains(socket)) send(line, socket);
}

void TodoIPCServer::drop(QTcpSocket* socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    const int before = connectedExtensionCount();
    connections_.erase(found);
    // Disconnected first, so that closing reports nothing back into the tables.
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
    countChanged(before);
}

void TodoIPCServer::countChanged(int before) {
    if (connectedExtensionCount() != before) emit connectedExtensionCountChanged(connectedExtensionCount());
}

}  // namespace quillo
