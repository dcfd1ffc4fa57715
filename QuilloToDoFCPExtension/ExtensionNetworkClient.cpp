#include "QuilloToDoFCPExtension/ExtensionNetworkClient.h"

#include "QuilloToDoFCPExtension/ExtensionNetworkClientDelegate.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"

#include "Platform/DNSSD/ServiceBrowser.h"

#include <QTcpSocket>
#include <QTimer>

#include <string>
#include <string_view>
#include <variant>

namespace quillo {

namespace {

constexpr qint64 kReadSize = 65'536;

}  // namespace

ExtensionNetworkClient::ExtensionNetworkClient(QObject* parent) : QObject(parent) {}

ExtensionNetworkClient::~ExtensionNetworkClient() { stop(); }

void ExtensionNetworkClient::start() {
    auto* browser = new platform::ServiceBrowser(QStringLiteral("_quillotodo._tcp"), QStringLiteral("local."), this);
    connect(browser, &platform::ServiceBrowser::resultsChanged, this,
            [this](const QList<platform::ServiceEndpoint>& results) {
                // Every report of a found service connects anew, also to the one already connected.
                if (!results.isEmpty()) connectTo(results.first());
            });
    connect(browser, &platform::ServiceBrowser::failed, this, [this] {
        cancelBrowser();
        scheduleRestart();
    });
    // A service found but not resolved would leave the panel waiting for good: browse anew, as after
    // a failure, unless a connection serves the panel meanwhile.
    connect(browser, &platform::ServiceBrowser::resolveFailed, this, [this] {
        if (connection_) return;
        cancelBrowser();
        scheduleRestart();
    });
    browser->start();
    cancelBrowser();
    browser_ = browser;
}

void ExtensionNetworkClient::stop() {
    cancelBrowser();
    closeConnection();
}

void ExtensionNetworkClient::cancelBrowser() {
    if (!browser_) return;
    disconnect(browser_, nullptr, this, nullptr);
    // Its signals may be on their way: it goes once control is back in the event loop.
    browser_->deleteLater();
    browser_ = nullptr;
}

void ExtensionNetworkClient::connectTo(const platform::ServiceEndpoint& endpoint) {
    closeConnection();
    connection_ = new QTcpSocket(this);
    QTcpSocket* socket = connection_;
    connect(socket, &QTcpSocket::connected, this, [this, socket] { handleReady(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { receive(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { handleEnded(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { handleEnded(socket); });
    socket->connectToHost(endpoint.address, endpoint.port);
}

void ExtensionNetworkClient::handleReady(QTcpSocket* socket) {
    if (socket != connection_) return;
    try {
        const std::string hello = encodeMessage(TodoIPCMessage::hello("QuilloToDoFCPExtension")) + '\n';
        socket->write(hello.data(), static_cast<qint64>(hello.size()));
    } catch (const platform::EncodingError&) {
        // Nothing to send; the list still arrives.
    }
}

void ExtensionNetworkClient::handleEnded(QTcpSocket* socket) {
    if (socket != connection_) return;  // a replaced connection says nothing any more
    closeConnection();
    scheduleRestart();
}

void ExtensionNetworkClient::closeConnection() {
    // A new connection starts with an empty buffer: a partial line of the old one would corrupt its
    // first message.
    receiveBuffer_.clear();
    if (!connection_) return;
    QTcpSocket* socket = std::exchange(connection_, nullptr);
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void ExtensionNetworkClient::receive(QTcpSocket* socket) {
    while (socket == connection_ && socket->bytesAvailable() > 0) {
        const QByteArray chunk = socket->read(kReadSize);
        if (!receiveBuffer_.append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            // Too long a line: dropped, and its remainder fails to decode when its line feed comes.
            receiveBuffer_.clear();
            continue;
        }
        receiveBuffer_.takeMessages([this](const TodoIPCMessage& message) {
            const auto* list = std::get_if<TodoIPCMessage::TodoList>(&message.payload());
            // Every other message is ignored.
            if (list && delegate_) delegate_->didReceive(list->items);
        });
    }
}

void ExtensionNetworkClient::scheduleRestart() {
    QTimer::singleShot(kRestartDelay, this, &ExtensionNetworkClient::start);
}

}  // namespace quillo
