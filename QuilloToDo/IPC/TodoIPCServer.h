#pragma once

#include "QuilloToDoKit/QuilloToDoModel/MessageLineBuffer.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QTcpSocket;
class QThreadPool;

namespace platform {
class ServiceAdvertiser;
}

namespace quillo {

class LoopbackListener;

// The application's end of the link to the workflow extension: a TCP listener on 127.0.0.1 with a
// port the system picks, announced over DNS-SD as "QuilloToDo" of type "_quillotodo._tcp". Greets every
// connection with `hello` and the last published list, sends each published list to every connection
// and answers a `requestRefresh` by sending the last list to every connection that has no list queued
// (it gets the newest one already). A connection slower than the publishes skips lists: one it has not
// begun to receive is replaced by the newer one. One message per line. Lives on the main thread; created once,
// started whenever the main window shows its content.
class TodoIPCServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(int connectedExtensionCount READ connectedExtensionCount NOTIFY connectedExtensionCountChanged)

public:
    // Unterminated input a connection may hold, that many bytes still accepted; above it the
    // connection is dropped.
    static constexpr std::size_t kReceiveLimit = 1'048'576;
    // Output a connection may be given while it takes none (a peer that stops reading); above it the
    // connection is dropped rather than left holding an old list for good. A slow reader never gets
    // there: a list it has not begun gives way to the newer one.
    static constexpr qint64 kUnsentOutputLimit = qint64{256} * 1024 * 1024;
    // Connections served at once. While all places are taken, a new connection takes the place of
    // the oldest one that has sent nothing since it was accepted for at least kSilenceBeforeEviction
    // (a panel says `hello` at once; a silent one holds a place for nobody); without one it is closed
    // as soon as it is accepted.
    static constexpr int kMaximumConnections = 64;
    static constexpr std::chrono::seconds kSilenceBeforeEviction{5};
    // After the listener could not accept (out of file descriptors, say), it tries again this much later.
    static constexpr std::chrono::milliseconds kAcceptRetryDelay{200};

    enum class Announcement {
        dnssd,  // the application
        none,   // tests that must not reach a DNS-SD daemon
    };

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `now` tells how long connections have been silent; tests move it by hand.
    explicit TodoIPCServer(QObject* parent = nullptr, Announcement announcement = Announcement::dnssd,
                           Clock now = std::chrono::steady_clock::now);
    ~TodoIPCServer() override;

    // Listens and announces, once: a call while listening does nothing; a call after a failure to
    // listen tries again.
    void start();

    // Open connections to extensions.
    int connectedExtensionCount() const noexcept { return static_cast<int>(connections_.size()); }

    // Stores the list for later connections and refreshes, then sends it to every connection. Encoded
    // once, whatever the number of connections, off the main thread: stored and sent once encoded, in
    // the order of the publishes, so a list still encoding when a newer one is published is never
    // sent. Until then connections greeted and refreshes answered get the last list ready. The server
    // lets go of `items` off the main thread.
    void publish(std::shared_ptr<const std::vector<TodoItem>> items);

    // The listener's port; 0 until start() succeeded.
    quint16 port() const;

signals:
    void connectedExtensionCountChanged(int count);
    // A published list is stored and handed to every connection (one that gave way to a newer
    // publish while it was encoded never is).
    void listPublished();

private:
    // One encoded message, shared by every connection it goes to; the line feed is sent after it.
    using Message = std::shared_ptr<const std::string>;
    enum class Kind { hello, list };

    struct Outgoing {
        Message bytes;
        Kind kind;
    };

    struct Connection {
        Connection(QTcpSocket* connected, std::chrono::steady_clock::time_point acceptedAt)
            : socket(connected), accepted(acceptedAt) {}

        QTcpSocket* socket;
        std::chrono::steady_clock::time_point accepted;
        bool heardFrom = false;  // a byte received since accepted
        MessageLineBuffer received{kReceiveLimit};
        // Messages not yet handed to the socket, the first one possibly in part (`sentOfFirst` bytes).
        // The socket gets them piecewise as it drains, so a list goes out without a copy per connection,
        // and one not yet begun can still give way to a newer one. In order: `hello` while not all
        // handed over, the list under way, at most one list not begun.
        std::deque<Outgoing> outgoing;
        std::size_t sentOfFirst = 0;
        // Bytes given to it since the socket last took any, line feeds included.
        qint64 untaken = 0;

        bool hasList() const;
        bool hasListNotBegun() const;
    };

    void accept(qintptr descriptor);
    QTcpSocket* evictable() const;
    void receive(QTcpSocket* socket);
    void answerRefresh();
    void handleError(QTcpSocket* socket);
    void send(const Message& message, Kind kind, QTcpSocket* socket);
    void pump(Connection& connection);
    std::vector<QTcpSocket*> sockets() const;
    void drop(QTcpSocket* socket);
    void discard(QTcpSocket* socket);  // drop() without telling the count
    void countChanged(int before);

    Announcement announcement_;
    Clock now_;
    LoopbackListener* listener_ = nullptr;
    platform::ServiceAdvertiser* advertiser_ = nullptr;
    bool saidNotAnnounced_ = false;
    // Both since the last connection accepted: a burst of refusals (or failures) is one line.
    bool saidAcceptFailed_ = false;
    bool saidRefused_ = false;
    // Keyed by the socket's identity: two connections from one peer are two entries.
    std::map<QTcpSocket*, std::unique_ptr<Connection>> connections_;
    // `todoList` of the last published items ready, as it goes on the wire; nothing when that list
    // could not be encoded.
    Message lastList_;
    bool lastItemsEmpty_ = true;
    quint64 newestPublish_ = 0;
    // Encodes one list at a time; a child, so that tests can hold it up.
    QThreadPool* encoder_;
};

}  // namespace quillo
