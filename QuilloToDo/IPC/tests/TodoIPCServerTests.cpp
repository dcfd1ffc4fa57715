#include "QuilloToDo/IPC/TodoIPCServer.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/tests/ModelTestSupport.h"

#include "Platform/SystemLog/SystemLog.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace quillo {
namespace {

constexpr int kTimeoutMs = 20'000;

std::string line(const TodoIPCMessage& message) { return encodeMessage(message); }

std::vector<TodoItem> twoItems() {
    TodoItem second = test::bareChapter();
    second.id = *platform::UUID::parse("0D5F4D2B-8F8B-4C55-9E0B-1B2C3D4E5F60");
    return {test::plausibleItem(), second};
}

// One extension's side of a connection: a real socket that collects whole lines.
class Client {
public:
    explicit Client(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket_.waitForConnected(kTimeoutMs));
    }

    void write(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }

    // The next line, without its line feed; fails the test after the timeout.
    std::string nextLine() {
        const bool arrived = QTest::qWaitFor([&] { return socket_.canReadLine(); }, kTimeoutMs);
        EXPECT_TRUE(arrived) << "no line arrived";
        if (!arrived) return {};
        QByteArray text = socket_.readLine();
        text.chop(1);
        return text.toStdString();
    }

    bool waitForDisconnect() {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, kTimeoutMs);
    }

    QTcpSocket& socket() { return socket_; }

private:
    QTcpSocket socket_;
};

class TodoIPCServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.start();
        ASSERT_NE(server_.port(), 0);
    }

    std::unique_ptr<Client> connectClient() {
        const int before = server_.connectedExtensionCount();
        auto client = std::make_unique<Client>(server_.port());
        EXPECT_TRUE(QTest::qWaitFor([&] { return server_.connectedExtensionCount() == before + 1; }, kTimeoutMs));
        return client;
    }

    bool waitForCount(int count) {
        return QTest::qWaitFor([&] { return server_.connectedExtensionCount() == count; }, kTimeoutMs);
    }

    std::vector<std::string> logged_;
    platform::systemlog::Capture capture_{[this](std::string_view text) { logged_.emplace_back(text); }};
    TodoIPCServer server_{nullptr, TodoIPCServer::Announcement::none};
};

const std::string kHello = R"({"hello":{"appName":"QuilloToDo"}})";
const std::string kEmptyList = R"({"todoList":{"_0":[]}})";
const QByteArray kRefresh = R"({"requestRefresh":{}})"
                            "\n";

TEST_F(TodoIPCServerTest, GreetsWithHelloAloneWhileNothingIsPublishedAndWithTheLastListAfterwards) {
    auto early = connectClient();
    EXPECT_EQ(early->nextLine(), kHello);
    // The next line answers the refresh: no list came between.
    early->write(kRefresh);
    EXPECT_EQ(early->nextLine(), kEmptyList);

    server_.publish(twoItems());
    EXPECT_EQ(early->nextLine(), line(TodoIPCMessage::todoList(twoItems())));

    auto late = connectClient();
    EXPECT_EQ(late->nextLine(), kHello);
    const TodoIPCMessage received = decodeMessage(late->nextLine());
    EXPECT_EQ(std::get<TodoIPCMessage::TodoList>(received.payload()).items, twoItems());
}

TEST_F(TodoIPCServerTest, SecondStartKeepsTheListener) {
    const quint16 port = server_.port();
    server_.start();
    EXPECT_EQ(server_.port(), port);
}

TEST_F(TodoIPCServerTest, EveryConnectionReceivesTheSameBytesOfEachPublishAndOfEachRefresh) {
    auto first = connectClient();
    auto second = connectClient();
    EXPECT_EQ(first->nextLine(), kHello);
    EXPECT_EQ(second->nextLine(), kHello);

    server_.publish(twoItems());
    const std::string expected = line(TodoIPCMessage::todoList(twoItems()));
    EXPECT_EQ(first->nextLine(), expected);
    EXPECT_EQ(second->nextLine(), expected);

    // One asks; both receive.
    first->write(kRefresh);
    EXPECT_EQ(first->nextLine(), expected);
    EXPECT_EQ(second->nextLine(), expected);
}

TEST_F(TodoIPCServerTest, LinesAreSplitAcrossReadsMergedWithinOneAndEmptyOrInvalidOnesSkipped) {
    auto client = connectClient();
    EXPECT_EQ(client->nextLine(), kHello);

    client->write(R"({"requestRe)");
    QTest::qWait(50);  // a separate read on the server, whatever the timing: the result is the same
    client->write(
        "fresh\":{}}\n\nnot json\n"
        R"({"jumpTo":{"timelineID":"t","seconds":1}})"
        "\n"
        R"({"setCompleted":{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","completed":true}})"
        "\n" +
        kRefresh + R"({"requestRefresh":{}})");
    EXPECT_EQ(client->nextLine(), kEmptyList);
    EXPECT_EQ(client->nextLine(), kEmptyList);
    // The tail waits for its line feed; the connection stayed open through the bad line.
    client->write("\n");
    EXPECT_EQ(client->nextLine(), kEmptyList);
    EXPECT_EQ(server_.connectedExtensionCount(), 1);
    EXPECT_TRUE(logged_.empty());
}

// The limit applies to everything held after a read, before lines are split off: a line and its line
// feed fit when together they are at most the limit.
TEST_F(TodoIPCServerTest, InputOfTheLimitIsReadAndOneByteMoreDropsTheConnection) {
    const QByteArray atLimit = QByteArray(TodoIPCServer::kReceiveLimit - kRefresh.size() - 1, 'x') + "\n" + kRefresh;
    ASSERT_EQ(atLimit.size(), TodoIPCServer::kReceiveLimit);

    auto patient = connectClient();
    EXPECT_EQ(patient->nextLine(), kHello);
    patient->write(atLimit);
    EXPECT_EQ(patient->nextLine(), kEmptyList);
    EXPECT_TRUE(logged_.empty());

    auto flooding = connectClient();
    EXPECT_EQ(flooding->nextLine(), kHello);
    flooding->write("x" + atLimit);
    EXPECT_TRUE(flooding->waitForDisconnect());
    EXPECT_TRUE(waitForCount(1));
    EXPECT_EQ(logged_, std::vector<std::string>{
                           "[TodoIPCServer] Dropping connection: unterminated message exceeds 1048576 bytes"});
}

TEST_F(TodoIPCServerTest, CountFollowsConnectionsOpenedClosedAndAborted) {
    QSignalSpy changes(&server_, &TodoIPCServer::connectedExtensionCountChanged);
    auto first = connectClient();
    auto second = connectClient();
    auto third = connectClient();
    EXPECT_EQ(server_.connectedExtensionCount(), 3);

    first->socket().abort();
    EXPECT_TRUE(waitForCount(2));
    second->socket().disconnectFromHost();
    EXPECT_TRUE(waitForCount(1));
    third.reset();
    EXPECT_TRUE(waitForCount(0));

    std::vector<int> reported;
    for (const auto& change : changes) reported.push_back(change.at(0).toInt());
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 3, 2, 1, 0}));
}

// An orderly end of the peer's stream is no failure state: the server must notice it itself.
TEST_F(TodoIPCServerTest, PeerThatEndsItsStreamIsClosedAndUncountedAtOnce) {
    auto client = connectClient();
    EXPECT_EQ(client->nextLine(), kHello);
    ASSERT_EQ(::shutdown(static_cast<int>(client->socket().socketDescriptor()), SHUT_WR), 0);
    EXPECT_TRUE(waitForCount(0));
    EXPECT_TRUE(client->waitForDisconnect());
    EXPECT_TRUE(logged_.empty());
}

// A peer that asks for the list again and again but never reads: its unsent output is capped.
TEST_F(TodoIPCServerTest, ConnectionThatStopsReadingIsDroppedOnceItsUnsentOutputExceedsTheCap) {
    TodoItem large = test::plausibleItem();
    large.text = std::string(16 * 1024 * 1024, 'a');
    server_.publish({large});

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(server_.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_TRUE(waitForCount(1));

    const std::string refreshes = [] {
        std::string text;
        for (int i = 0; i < 20; ++i) text += kRefresh.toStdString();  // 20 x 16 MiB > 256 MiB
        return text;
    }();
    ASSERT_EQ(::write(fd, refreshes.data(), refreshes.size()), static_cast<ssize_t>(refreshes.size()));
    EXPECT_TRUE(waitForCount(0));
    ::close(fd);
    ASSERT_EQ(logged_.size(), 1u);
    EXPECT_EQ(logged_[0],
              "[TodoIPCServer] Send error: the extension is not reading; unsent output exceeds "
              "268435456 bytes");
}

}  // namespace
}  // namespace quillo
