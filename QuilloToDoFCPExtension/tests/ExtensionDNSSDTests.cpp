// The extension's client and the application's server through the real DNS-SD daemon that the
// dnssd fixture starts (scripts/dnssd-daemons), over real loopback sockets.
#include "QuilloToDoFCPExtension/ExtensionNetworkClient.h"
#include "QuilloToDoFCPExtension/ExtensionNetworkClientDelegate.h"
#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/tests/ModelTestSupport.h"

#include "Platform/DNSSD/AvahiQtPoll.h"
#include "Platform/DNSSD/ServiceAdvertiser.h"
#include "Platform/DNSSD/ServiceBrowser.h"
#include "Platform/Foundation/UUID.h"
#include "testing/DNSSDTestLock.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/defs.h>

#include <QSet>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

std::shared_ptr<const std::vector<TodoItem>> shared(const std::vector<TodoItem>& items) {
    return std::make_shared<const std::vector<TodoItem>>(items);
}

// Publishes DNS records as given through a connection of its own to the daemon, so that a service
// can be announced without the records that resolve it.
class RecordPublisher {
public:
    struct Record {
        std::string name;
        std::uint16_t type;
        std::string data;  // as on the wire
    };

    RecordPublisher() {
        int error = 0;
        client_ = avahi_client_new(
            poll_.get(), AvahiClientFlags{}, [](AvahiClient*, AvahiClientState, void*) {}, nullptr, &error);
        EXPECT_NE(client_, nullptr) << error;
    }
    ~RecordPublisher() {
        if (client_) avahi_client_free(client_);  // withdraws every group
    }

    // The records as one group; true once the daemon has established it.
    bool publish(const std::vector<Record>& records) {
        if (!client_) return false;
        AvahiEntryGroup* group = avahi_entry_group_new(
            client_, [](AvahiEntryGroup*, AvahiEntryGroupState, void*) {}, nullptr);
        if (!group) return false;
        for (const Record& record : records) {
            if (avahi_entry_group_add_record(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags{},
                                             record.name.c_str(), AVAHI_DNS_CLASS_IN, record.type, 120,
                                             record.data.data(), record.data.size()) < 0)
                return false;
        }
        if (avahi_entry_group_commit(group) < 0) return false;
        return QTest::qWaitFor([&] { return avahi_entry_group_get_state(group) == AVAHI_ENTRY_GROUP_ESTABLISHED; },
                               kTimeoutMs);
    }

    std::string hostName() const { return client_ ? avahi_client_get_host_name_fqdn(client_) : ""; }

    // A domain name as DNS writes it: each label after its length, then a zero.
    static std::string wireName(const std::string& name) {
        std::string wire;
        for (std::size_t start = 0; start < name.size();) {
            const std::size_t dot = std::min(name.find('.', start), name.size());
            wire += static_cast<char>(dot - start);
            wire += name.substr(start, dot - start);
            start = dot + 1;
        }
        return wire + '\0';
    }

private:
    platform::AvahiQtPoll poll_;
    AvahiClient* client_ = nullptr;
};

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
    server->publish(shared(first));

    ExtensionNetworkClient client;
    client.setDelegate(&received_);
    client.start();
    EXPECT_TRUE(waitForList(first));
    EXPECT_EQ(server->connectedExtensionCount(), 1);

    server.reset();
    server = std::make_unique<TodoIPCServer>();
    server->start();
    const auto second = itemsNamed(1, "Second");
    server->publish(shared(second));
    EXPECT_TRUE(waitForList(second));
}

// One line of about 8,000 items is already larger than 4 MiB.
TEST_F(ExtensionDNSSDTest, ListOfMoreThanFourMebibytesArrives) {
    TodoIPCServer server;
    server.start();
    const auto items = itemsNamed(9'000, "A marker with a text of ordinary length");
    ASSERT_GT(encodeMessage(TodoIPCMessage::todoList(items)).size(), std::size_t{4 * 1024 * 1024});
    server.publish(shared(items));

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

// The service's name is announced before the records that resolve it exist: the daemon gives up on
// the resolve (after its own timeout), and the client browses again until it connects.
TEST_F(ExtensionDNSSDTest, AServiceThatFailedToResolveIsResolvedAgain) {
    TodoIPCServer server(nullptr, TodoIPCServer::Announcement::none);
    server.start();
    const auto items = itemsNamed(1, "Resolved at last");
    server.publish(shared(items));

    // A name of its own: a service that some other program announces as "QuilloToDo" would resolve.
    const std::string name = "QuilloToDo " + platform::UUID::random().uuidString().substr(0, 8);
    const std::string instance = name + "._quillotodo._tcp.local";
    RecordPublisher records;
    ASSERT_TRUE(records.publish({{"_quillotodo._tcp.local", AVAHI_DNS_TYPE_PTR, RecordPublisher::wireName(instance)}}));
    ExtensionNetworkClient client;
    client.setDelegate(&received_);
    client.start();
    // Another test's service that fails to resolve makes the client browse anew: each browser it
    // makes is heard.
    QStringList unresolved;
    QSet<const platform::ServiceBrowser*> heard;
    const auto failedToResolveOurs = [&] {
        for (auto* browser : client.findChildren<platform::ServiceBrowser*>()) {
            if (heard.contains(browser)) continue;
            heard.insert(browser);
            QObject::connect(browser, &platform::ServiceBrowser::resolveFailed, browser,
                             [&unresolved](const QString& failed) { unresolved.append(failed); });
        }
        return unresolved.contains(QString::fromStdString(name));
    };
    ASSERT_TRUE(QTest::qWaitFor(failedToResolveOurs, kTimeoutMs));

    // The name stays announced as it was; only the records that resolve it come.
    const quint16 port = server.port();
    const std::string service = {0, 0, 0, 0, static_cast<char>(port >> 8), static_cast<char>(port & 0xFF)};
    ASSERT_TRUE(
        records.publish({{instance, AVAHI_DNS_TYPE_SRV, service + RecordPublisher::wireName(records.hostName())},
                         {instance, AVAHI_DNS_TYPE_TXT, std::string(1, '\0')}}));
    EXPECT_TRUE(waitForList(items));
}

TEST_F(ExtensionDNSSDTest, PanelShowsTheServersListAndItsReleaseClosesTheConnection) {
    TodoIPCServer server;
    server.start();
    const auto items = itemsNamed(3, "On the panel");
    server.publish(shared(items));

    auto panel = std::make_unique<QuilloToDoFCPExtensionViewController>(nullptr, [] {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel->items() == items; }, kTimeoutMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connectedExtensionCount() == 1; }, kTimeoutMs));
    panel.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connectedExtensionCount() == 0; }, kTimeoutMs));
}

}  // namespace
}  // namespace quillo
