#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "QuilloToDo/IPC/LoopbackListener.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"

#include "Platform/DNSSD/ServiceAdvertiser.h"
#include "Platform/Foundation/Coding.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/SystemLog/SystemLog.h"

#include <QTcpSocket>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace quillo {

namespace {

constexpr qint64 kReadSize = 65'536;
// What a socket is given at a time: enough to keep loopback busy between two event-loop turns.
constexpr qint64 kWriteChunk = 1'048'576;

void log(std::string_view line) { platform::systemlog::write(line); }

using Message = std::shared_ptr<const std::string>;

// The message as it goes on the wire, without its line feed; nothing when it cannot be encoded.
Message encoded(const TodoIPCMessage& message) {
    try {
        return std::make_shared<const std::string>(encodeMessage(message));
    } catch (const platform::EncodingError&) {
        return nullptr;
    }
}

// A list of tens of thousands of items is written straight from the vector, without a copy into a
// message; the message coder decides only what the direct writer leaves to it.
Message encodedList(const std::vector<TodoItem>& items) {
    if (auto text = todolisttext::write(items)) return std::make_shared<const std::string>(std::move(*text));
    return encoded(TodoIPCMessage::todoList(items));
}

// Freeing the text of a large list takes milliseconds (its pages are unmapped) that the main thread
// does not have. Whoever lets go last frees it: a worker, unless another holder outlives it.
void letGo(Message message) {
    if (message && message->size() > static_cast<std::size_t>(kWriteChunk))
        QThreadPool::globalInstance()->start([message = std::move(message)]() mutable { message.reset(); });
}

}  // namespace

TodoIPCServer::TodoIPCServer(QObject* parent, Announcement announcement, Clock now)
    : QObject(parent),
      announcement_(announcement),
      now_(std::move(now)),
      lastList_(encodedList({})),
      encoder_(new QThreadPool(this)) {
    encoder_->setMaxThreadCount(1);
}

// Sockets and listener are children; the connections go with the server. An encoding under way is
// awaited: its result is posted to this object, which must exist when it is posted, and then goes
// with it unsent.
TodoIPCServer::~TodoIPCServer() { encoder_->waitForDone(); }

void TodoIPCServer::start() {
    if (listener_) return;
    auto* listener = new LoopbackListener(kAcceptRetryDelay, this);
    if (!listener->listen()) {
        log("[TodoIPCServer] Failed to start listener: " + platform::toStdString(listener->errorString()));
        delete listener;
        return;
    }
    listener_ = listener;
    connect(listener_, &LoopbackListener::accepted, this, &TodoIPCServer::accept);
    connect(listener_, &LoopbackListener::acceptFailed, this, [this](const QString& reason) {
        if (std::exchange(saidAcceptFailed_, true)) return;
        log("[TodoIPCServer] Failed to accept a connection: " + platform::toStdString(reason) + "; trying again");
    });
    if (announcement_ == Announcement::none) return;

    advertiser_ = new platform::ServiceAdvertiser(QStringLiteral("QuilloToDo"), QStringLiteral("_quillotodo._tcp"),
                                                  listener_->port(), this);
    // Extensions find the application only through the announcement: say once why they cannot.
    connect(advertiser_, &platform::ServiceAdvertiser::notAnnounced, this, [this](const QString& reason) {
        if (std::exchange(saidNotAnnounced_, true)) return;
        std::cerr << "QuilloToDo: the extension service on port " << listener_->port()
                  << " is not announced over DNS-SD (" << platform::toStdString(reason) << ")\n";
    });
    advertiser_->start();
}

quint16 TodoIPCServer::port() const { return listener_ ? listener_->port() : 0; }

void TodoIPCServer::publish(std::shared_ptr<const std::vector<TodoItem>> items) {
    // Move-only: the future hands it over rather than keep a copy of the list to free on the main thread.
    struct Encoded {
        Message list;
        bool empty = true;
        Encoded() = default;
        Encoded(Message encoded, bool emptyList) : list(std::move(encoded)), empty(emptyList) {}
        Encoded(Encoded&&) = default;
        Encoded& operator=(Encoded&&) = default;
    };
    const quint64 publish = ++newestPublish_;
    QtConcurrent::run(encoder_, [items = std::move(items)]() mutable {
        Encoded encoded(encodedList(*items), items->empty());
        items.reset();  // freeing 80,000 items takes a while: here, if this is the last holder
        return encoded;
    }).then(this, [this, publish](Encoded encoded) {
        if (publish != newestPublish_) {  // a newer list is on its way
            letGo(std::move(encoded.list));
            return;
        }
        letGo(std::exchange(lastList_, std::move(encoded.list)));
        lastItemsEmpty_ = encoded.empty;
        for (QTcpSocket* socket : sockets())
            if (connections_.contains(socket)) send(lastList_, Kind::list, socket);
        emit listPublished();
    });
}

void TodoIPCServer::accept(qintptr descriptor) {
    saidAcceptFailed_ = false;
    const int before = connectedExtensionCount();
    if (before >= kMaximumConnections) {
        QTcpSocket* silent = evictable();
        if (!silent) {
            if (!std::exchange(saidRefused_, true))
                log("[TodoIPCServer] Refusing connection: " + std::to_string(kMaximumConnections) +
                    " connections are open already");
            ::close(static_cast<int>(descriptor));
            return;
        }
        discard(silent);  // its place changes hands: the count is told only if the new one fails
    }
    saidRefused_ = false;
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(static_cast<int>(descriptor));
        delete socket;
        return;
    }
    connections_.emplace(socket, std::make_unique<Connection>(socket, now_()));
    countChanged(before);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { receive(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { handleError(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        const auto found = connections_.find(socket);
        if (found == connections_.end()) return;
        found->second->untaken = 0;  // the peer reads
        pump(*found->second);
    });

    // An accepted socket is connected already: greet it now, once.
    static const Message hello = encoded(TodoIPCMessage::hello("QuilloToDo"));
    send(hello, Kind::hello, socket);
    if (!lastItemsEmpty_ && connections_.contains(socket)) send(lastList_, Kind::list, socket);
    receive(socket);  // bytes that came with the connection
}

// The oldest connection that has sent nothing for kSilenceBeforeEviction or more; none when there is
// no such connection.
QTcpSocket* TodoIPCServer::evictable() const {
    const Connection* oldest = nullptr;
    for (const auto& [socket, connection] : connections_)
        if (!connection->heardFrom && (!oldest || connection->accepted < oldest->accepted)) oldest = connection.get();
    // Accepted later, every other silent one has been silent for less.
    if (!oldest || now_() - oldest->accepted < kSilenceBeforeEviction) return nullptr;
    return oldest->socket;
}

void TodoIPCServer::receive(QTcpSocket* socket) {
    bool refreshAsked = false;
    for (;;) {
        const auto found = connections_.find(socket);
        if (found == connections_.end() || socket->bytesAvailable() <= 0) break;
        MessageLineBuffer& received = found->second->received;
        const QByteArray chunk = socket->read(kReadSize);
        found->second->heardFrom = true;
        if (!received.append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            log("[TodoIPCServer] Dropping connection: unterminated message exceeds " + std::to_string(kReceiveLimit) +
                " bytes");
            drop(socket);
            return;
        }
        received.takeMessages([&](const TodoIPCMessage& message) {
            if (std::holds_alternative<TodoIPCMessage::RequestRefresh>(message.payload())) refreshAsked = true;
            // Every other message is read and ignored.
        });
    }
    // Answered after the reading, once for any number of requests: a send may drop this very
    // connection.
    if (refreshAsked) answerRefresh();
}

void TodoIPCServer::answerRefresh() {
    // A connection with a list still queued receives the newest one already (the last one queued is
    // always the newest); another copy would only make it wait longer, and a burst of requests from
    // one client would count against every connection's output cap at once.
    for (QTcpSocket* socket : sockets()) {
        const auto found = connections_.find(socket);
        if (found != connections_.end() && !found->second->hasList()) send(lastList_, Kind::list, socket);
    }
}

void TodoIPCServer::handleError(QTcpSocket* socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    // The end of the peer's stream is no error; anything else with output still queued lost a send.
    const bool unsent = socket->bytesToWrite() > 0 || !found->second->outgoing.empty();
    if (socket->error() != QAbstractSocket::RemoteHostClosedError && unsent)
        log("[TodoIPCServer] Send error: " + platform::toStdString(socket->errorString()));
    drop(socket);
}

void TodoIPCServer::send(const Message& message, Kind kind, QTcpSocket* socket) {
    if (!message) return;  // could not be encoded
    Connection& connection = *connections_.at(socket);
    connection.untaken += static_cast<qint64>(message->size()) + 1;
    if (connection.untaken > kUnsentOutputLimit) {
        log("[TodoIPCServer] Send error: the extension is not reading; unsent output exceeds " +
            std::to_string(kUnsentOutputLimit) + " bytes");
        drop(socket);
        return;
    }
    if (kind == Kind::list && connection.hasListNotBegun()) {
        letGo(std::exchange(connection.outgoing.back().bytes, message));
    } else {
        connection.outgoing.push_back({message, kind});
    }
    pump(connection);
}

void TodoIPCServer::pump(Connection& connection) {
    QTcpSocket* socket = connection.socket;
    while (!connection.outgoing.empty() && socket->bytesToWrite() < kWriteChunk) {
        const std::string& bytes = *connection.outgoing.front().bytes;
        const auto piece = std::min<std::size_t>(kWriteChunk, bytes.size() - connection.sentOfFirst);
        socket->write(bytes.data() + connection.sentOfFirst, static_cast<qint64>(piece));
        connection.sentOfFirst += piece;
        if (connection.sentOfFirst < bytes.size()) continue;
        socket->write("\n", 1);
        letGo(std::move(connection.outgoing.front().bytes));
        connection.outgoing.pop_front();
        connection.sentOfFirst = 0;
    }
}

bool TodoIPCServer::Connection::hasList() const {
    return std::any_of(outgoing.begin(), outgoing.end(), [](const Outgoing& next) { return next.kind == Kind::list; });
}

bool TodoIPCServer::Connection::hasListNotBegun() const {
    return !outgoing.empty() && outgoing.back().kind == Kind::list && !(outgoing.size() == 1 && sentOfFirst > 0);
}

// A send may drop a connection: loops that send walk this copy of the keys.
std::vector<QTcpSocket*> TodoIPCServer::sockets() const {
    std::vector<QTcpSocket*> keys;
    keys.reserve(connections_.size());
    for (const auto& entry : connections_) keys.push_back(entry.first);
    return keys;
}

void TodoIPCServer::drop(QTcpSocket* socket) {
    const int before = connectedExtensionCount();
    discard(socket);
    countChanged(before);
}

void TodoIPCServer::discard(QTcpSocket* socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    connections_.erase(found);
    // Disconnected first, so that closing reports nothing back into the tables.
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void TodoIPCServer::countChanged(int before) {
    if (connectedExtensionCount() != before) emit connectedExtensionCountChanged(connectedExtensionCount());
}

}  // namespace quillo
