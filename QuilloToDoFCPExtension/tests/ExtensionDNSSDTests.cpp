// The extension's client and the application's server through the real DNS-SD daemon that the
// dnssd fixture starts (scripts/dnssd-daemons), over real loopback sockets.
#include "QuilloToDoFCPExtension/ExtensionNetworkClient.h"
#include "QuilloToDoFCPExtension/ExtensionNetworkClientDelegate.h"
#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/tests/ModelTestSupport.h"

#include "Platform/DNSSD/ServiceAdvertiser.h"
#include "testing/DNSSDTestLock.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quillo {
namespace {

// Finding a service, a refused stale one and the client's 2 s restarts fit well within this.
constexpr int kTimeoutMs = 30'000;

std::vector<TodoItem> itemsNamed(int count, const std::string& text) {
    std::vector<TodoItem> items;
    TodoItem item = test::plausibleItem();
    item.text = text;
    items.assign(static_cast<std::size_t>(count), item);
    return items;
}

class ReceivedLists final : public ExtensionNetworkClientDelegate {
public:
    void didReceive(std::vector<TodoItem> items) override { lists.push_back(std::move(items)); }
    std::vector<std::vector<TodoItem>> lists;
};

class ExtensionDNSSDTest : public ::testing::Test {
protected:
    bool waitForList(const std::vector<TodoItem>& expected) {
        return QTest::qWaitFor([&] { return !received_.lists.empty() && received_.lists.back() == expected; },
                               kTimeoutMs);
    }

    test::DNSSDTestLock lock_;
    ReceivedLists received_;
};

TEST_F(ExtensionDNSSDTest, ClientFindsTheServerReceivesItsListAndFollowsItsRestart) {
    auto server = std::make_unique<TodoIPCServer>();
    server->start();
    const auto first = itemsNamed(2, "First");
    server->publish(first);

    ExtensionNetworkClient client;
    client.setDelegate(&received_);
    client.start();
    EXPECT_TRUE(waitForList(first));
    EXPECT_EQ(server->connectedExtensionCount(), 1);

    server.reset();
    server = std::make_unique<TodoIPCServer>();
    server->start();
    const auto second = itemsNamed(1, "Second");
    server->publish(second);
    EXPECT_TRUE(waitForList(second));
}

// One line of about 8,000 items is already larger than 4 MiB.
TEST_F(ExtensionDNSSDTest, ListOfMoreThanFourMebibytesArrives) {
    TodoIPCServer server;
    server.start();
    const auto items = itemsNamed(9'000, "A marker with a text of ordinary length");
    ASSERT_GT(encodeMessage(TodoIPCMessage::todoList(items)).size(), std::size_t{4 * 1024 * 1024});
    server.publish(items);

    ExtensionNetworkClient client;
    client.setDelegate(&received_);
    client.start();
    EXPECT_TRUE(waitForList(items));
}

// A server that is cut off in the middle of a line, then another that sends its list first thing: the
// half line must not be glued to the new connection's first line.
TEST_F(ExtensionDNSSDTest, EachConnectionStartsWithAnEmptyReceiveBuffer) {
    const auto items = itemsNamed(1, "After the cut");
    QTcpServer cut;
    ASSERT_TRUE(cut.listen(QHostAddress::LocalHost));
    auto cutAnnouncement = std::make_unique<platform::ServiceAdvertiser>(
        QStringLiteral("QuilloToDo"), QStringLiteral("_quillotodo._tcp"), cut.serverPort());
    cutAnnouncement->start();

    QTcpServer whole;
    std::unique_ptr<platform::ServiceAdvertiser> wholeAnnouncement;
    QTcpSocket* wholeConnection = nullptr;
    QObject::connect(&cut, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = cut.nextPendingConnection();
        socket->write(R"({"todoList":{"_0":[)");
        socket->disconnectFromHost();
        cut.close();
        cutAnnouncement.reset();
        ASSERT_TRUE(whole.listen(QHostAddress::LocalHost));
        wholeAnnouncement = std::make_unique<platform::ServiceAdvertiser>(
            QStringLiteral("QuilloToDo"), QStringLiteral("_quillotodo._tcp"), whole.serverPort());
        wholeAnnouncement->start();
    });
    QObject::connect(&whole, &QTcpServer::newConnection, [&] {
        wholeConnection = whole.nextPendingConnection();
        wholeConnection->write(QByteArray::fromStdString(encodeMessage(TodoIPCMessage::todoList(items)) + "\n"));
    });

    ExtensionNetworkClient client;
    client.setDelegate(&received_);
    client.start();
    EXPECT_TRUE(waitForList(items));
    // The client introduced itself on the new connection.
    ASSERT_NE(wholeConnection, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wholeConnection->canReadLine(); }, kTimeoutMs));
    EXPECT_EQ(wholeConnection->readLine(), QByteArray(R"({"hello":{"appName":"QuilloToDoFCPExtension"}})"
                                                      "\n"));
}

TEST_F(ExtensionDNSSDTest, PanelShowsTheServersListAndItsReleaseClosesTheConnection) {
    TodoIPCServer server;
    server.start();
    const auto items = itemsNamed(3, "On the panel");
    server.publish(items);

    auto panel = std::make_unique<QuilloToDoFCPExtensionViewController>(nullptr, [] {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel->items() == items; }, kTimeoutMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connectedExtensionCount() == 1; }, kTimeoutMs));
    panel.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connectedExtensionCount() == 0; }, kTimeoutMs));
}

}  // namespace
}  // namespace quillo
