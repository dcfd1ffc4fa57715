#pragma once

#include "QuilloToDoKit/QuilloToDoModel/MessageLineBuffer.h"

#include <QObject>

#include <chrono>
#include <cstddef>

class QTcpSocket;

namespace platform {
class ServiceBrowser;
struct ServiceEndpoint;
}  // namespace platform

namespace quillo {

class ExtensionNetworkClientDelegate;

// The extension's end of the link to the application: finds its "_quillotodo._tcp" service in
// "local." over DNS-SD, keeps one TCP connection to it, says `hello` on every new connection and hands
// each received `todoList` to the delegate. Browses again 2 s after browsing or the connection fails,
// or a found service fails to resolve while there is no connection, for as long as it exists. Sends
// nothing else. Main thread only.
class ExtensionNetworkClient : public QObject {
    Q_OBJECT

public:
    // Unterminated input held at most, that many bytes still accepted; above it the bytes gathered
    // are discarded and reading goes on. A list of 80,000 to-dos is about 41 MB on one line.
    static constexpr std::size_t kReceiveLimit = std::size_t{256} * 1024 * 1024;
    static constexpr std::chrono::milliseconds kRestartDelay{2000};

    explicit ExtensionNetworkClient(QObject* parent = nullptr);
    ~ExtensionNetworkClient() override;

    // Not owned; must outlive the client or be reset first.
    void setDelegate(ExtensionNetworkClientDelegate* delegate) noexcept { delegate_ = delegate; }

    // Browses anew, dropping a browser still held; the current connection stays until a service is
    // found.
    void start();
    // Ends browsing and closes the connection. A restart already scheduled still runs.
    void stop();

private:
    void cancelBrowser();
    void connectTo(const platform::ServiceEndpoint& endpoint);
    void handleReady(QTcpSocket* socket);
    void handleEnded(QTcpSocket* socket);
    void closeConnection();
    void receive(QTcpSocket* socket);
    void scheduleRestart();

    ExtensionNetworkClientDelegate* delegate_ = nullptr;
    platform::ServiceBrowser* browser_ = nullptr;
    QTcpSocket* connection_ = nullptr;
    MessageLineBuffer receiveBuffer_{kReceiveLimit};
};

}  // namespace quillo
